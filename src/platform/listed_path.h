#pragma once

#include <QString>

// The path on disk that `path`, read from a list file, means. A list file
// holds a name that is not UTF-8 as its bytes, which read back as the
// GB18030 text they spell ("中文" for d6 d0 ce c4), a different name. Each
// part of the path that does not exist as it reads is looked for as the
// GB18030 bytes of its text, then as any name in its folder that a list
// file would give back as that text; a part that exists as it reads wins.
// `path` itself when it exists or nothing matches.
QString ResolveListedPath(const QString& path);
