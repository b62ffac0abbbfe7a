#include "platform/listed_path.h"

#include "platform/gb18030.h"
#include "platform/local_names.h"

#include <dirent.h>
#include <memory>
#include <sys/stat.h>

namespace {

bool NameExists(const QString& path) {
    struct stat info {};
    return ::lstat(StringToLocalName(path).constData(), &info) == 0;
}

// What a list file gives back for the name `name` after a save and a load.
QString ListedText(const QString& name) {
    return Gb18030::decode(Gb18030::encode(name));
}

// The name in `folder` that a list file gives back as `listed`, or "".
QString NameListedAs(const QString& folder, const QString& listed) {
    const QByteArray bytes = StringToLocalName(folder.isEmpty() ? QStringLiteral("/") : folder);
    const std::unique_ptr<DIR, int (*)(DIR*)> dir(opendir(bytes.constData()), &closedir);
    while (dir) {
        const dirent* entry = readdir(dir.get());
        if (!entry)
            break;
        const QString name = LocalNameToString(entry->d_name);
        if (ListedText(name) == listed)
            return name;
    }
    return {};
}

// `part` of `folder` as it exists on disk, or "".
QString ExistingPart(const QString& folder, const QString& part) {
    const QString bytes = LocalNameToString(Gb18030::encode(part));
    if (bytes != part && NameExists(folder + u'/' + bytes))
        return bytes;
    return NameListedAs(folder, part);
}

} // namespace

QString ResolveListedPath(const QString& path) {
    if (path.isEmpty() || NameExists(path))
        return path;
    const QStringList parts = path.split(u'/');
    QString resolved = parts.first();
    for (qsizetype i = 1; i < parts.size(); ++i) {
        QString part = parts.at(i);
        if (!part.isEmpty() && !NameExists(resolved + u'/' + part)) {
            part = ExistingPart(resolved, part);
            if (part.isEmpty())
                return path;
        }
        resolved += u'/' + part;
    }
    return resolved;
}
