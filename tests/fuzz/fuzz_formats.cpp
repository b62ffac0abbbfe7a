// One fuzz target for the program's 8-bit text formats: the codec, the
// list files (reader, writer, and the pair as the close button saves it)
// and the tips file. Any broken property aborts, so libFuzzer and the
// replay runner both report it.
#include "platform/data_folders.h"
#include "platform/gb18030.h"
#include "platform/local_names.h"
#include "playlist/list_file.h"
#include "playlist/paths.h"
#include "tips/tip_store.h"

#include <QFile>
#include <QTemporaryDir>

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstdlib>

namespace {

void require(bool holds, const char* property) {
    if (holds)
        return;
    std::fprintf(stderr, "broken: %s\n", property);
    std::abort();
}

const QTemporaryDir& scratch() {
    static const QTemporaryDir dir;
    return dir;
}

void writeFile(const QString& path, const QByteArray& bytes) {
    QFile file(path);
    require(file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size(),
            "scratch file written");
}

QStringList load(const QString& path) {
    ListControl list;
    List_Load(list, path);
    return list.entries();
}

// What a save writes loads and saves back byte for byte; text without lone
// surrogates loads back as it saved; a file name that is not UTF-8 is
// written as its own bytes.
void checkCodec(const QByteArray& bytes) {
    const QByteArray saved = Gb18030::encode(Gb18030::decode(bytes));
    require(Gb18030::encode(Gb18030::decode(saved)) == saved, "bytes -> text -> same bytes");
    const QString unicode = QString::fromUtf8(bytes);
    require(Gb18030::decode(Gb18030::encode(unicode)) == unicode, "text -> bytes -> same text");
    // The bytes as a file name: held as text, written to a list.
    const QString name = LocalNameToString(bytes);
    require(StringToLocalName(name) == bytes, "name -> text -> same name");
    const bool onlyAsciiAndBytes = std::all_of(name.cbegin(), name.cend(), [](QChar c) {
        return c.unicode() < 0x80 || (c.unicode() >= 0xDC80 && c.unicode() <= 0xDCFF);
    });
    require(!onlyAsciiAndBytes || Gb18030::encode(name) == bytes,
            "name -> list bytes -> its bytes");
}

// A list file loads, saves and loads again to the same entries; a list
// with no CR in it saves and loads back unchanged.
void checkListFile(const QByteArray& bytes) {
    const QString file = scratch().filePath(QStringLiteral("fuzz.lwo"));
    writeFile(file, bytes);
    ListControl list;
    List_Load(list, file);
    List_Save(list, file);
    // Old escape codes are written as bare bytes: from then on, stable.
    const QStringList saved = load(file);
    ListControl again;
    again.addItems(saved);
    List_Save(again, file);
    require(load(file) == saved, "load -> save -> load");
}

// What the close button saves, the next start loads in step: every title
// against its own path, for entries that fit the list files.
void checkPair(const QByteArray& bytes) {
    const QStringList pieces = Gb18030::decode(bytes).split(u'\t');
    PlaylistPair pair;
    for (qsizetype i = 0; i + 1 < pieces.size(); i += 2)
        if (FitsListFile(pieces[i]) && FitsListFile(pieces[i + 1]))
            pair.append(pieces[i], pieces[i + 1]);
    const QString folder = scratch().path();
    SaveLists(pair, folder);
    FinishInterruptedSave(folder);
    const QStringList titles = load(ProgramFile(folder, TitlesListName));
    const QStringList paths = load(ProgramFile(folder, PathsListName));
    // An empty list file loads as one blank entry.
    const QStringList blank{QString()};
    require(titles == (pair.lstsong.count() ? pair.lstsong.entries() : blank), "titles in step");
    require(paths == (pair.temlst.count() ? pair.temlst.entries() : blank), "paths in step");
}

void checkTips(const QByteArray& bytes) {
    const QString file = scratch().filePath(QStringLiteral("File.Lwo"));
    writeFile(file, bytes);
    TipStore store;
    require(store.LoadTips(file), "tips file read");
    require(store.count() <= bytes.count('\r') + bytes.count('\n') + 1, "one tip per line");
    require(store.count() == 0 || store.currentTip().has_value(), "a tip on show");
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const QByteArray bytes(reinterpret_cast<const char*>(data), qsizetype(size));
    checkCodec(bytes);
    checkListFile(bytes);
    checkPair(bytes);
    checkTips(bytes);
    return 0;
}
