#include "playlist/list_file.h"

#include "platform/data_folders.h"
#include "platform/file_commit.h"
#include "platform/gb18030.h"

#include <QFile>
#include <QFileInfo>

const QString TitlesListName = QStringLiteral("load.lwo");
const QString PathsListName = QStringLiteral("load1.lwo");
const QString PairMarkerName = QStringLiteral("load.lwo.committed");

namespace {

constexpr char CR = '\r';
constexpr char LF = '\n';
constexpr qint64 ReadChunk = 1 << 20;

// Where the line that starts at `pos` ends, and where the next one starts.
struct LineEnd {
    qsizetype textEnd;
    qsizetype next;
};

template <typename Text, typename Char>
LineEnd FindLineEnd(const Text& text, qsizetype pos, Char cr, Char lf) {
    const qsizetype crAt = text.indexOf(cr, pos);
    if (crAt < 0)
        return {text.size(), text.size()};
    const qsizetype next =
        (crAt + 1 < text.size() && text.at(crAt + 1) == lf) ? crAt + 2 : crAt + 1;
    return {crAt, next};
}

// Reads the bytes that hold the first `maxLines` lines of the file (the
// whole file when it has fewer), so a huge file with many lines is not read
// past what the list can take. GB18030 never uses CR or LF inside a
// multi-byte character, so counting lines on the raw bytes is exact.
QByteArray ReadFirstLines(QFile& file, int maxLines) {
    QByteArray bytes;
    qsizetype lineStart = 0;
    int lines = 0;
    while (true) {
        const QByteArray chunk = file.read(ReadChunk);
        const bool atEnd = chunk.isEmpty();
        qsizetype searchFrom = std::max(lineStart, bytes.size() - 1);
        bytes.append(chunk);
        qsizetype cr;
        while ((cr = bytes.indexOf(CR, searchFrom)) >= 0) {
            // A CR at the end of what was read may still get its LF.
            if (cr + 1 == bytes.size() && !atEnd)
                break;
            lineStart = FindLineEnd(bytes, lineStart, CR, LF).next;
            searchFrom = lineStart;
            if (++lines >= maxLines)
                return bytes.left(lineStart);
        }
        if (atEnd)
            return bytes;
    }
}

// Splits the text into at most `maxLines` lines. An empty text is one blank
// line; a terminator at the very end does not start another line.
QStringList SplitLines(const QString& text, int maxLines) {
    QStringList lines;
    qsizetype pos = 0;
    do {
        const LineEnd end = FindLineEnd(text, pos, QChar(u'\r'), QChar(u'\n'));
        lines.append(text.mid(pos, end.textEnd - pos));
        pos = end.next;
    } while (pos < text.size() && lines.size() < maxLines);
    return lines;
}

// The decoded content of a readable regular file; empty otherwise. Anything
// else (a folder, a pipe that would block, a device) counts as unreadable.
QString ReadListText(const QString& Filename, int maxLines) {
    if (Filename.isEmpty() || !QFileInfo(Filename).isFile())
        return {};
    QFile file(Filename);
    if (!file.open(QIODevice::ReadOnly))
        return {};
    return Gb18030::decode(ReadFirstLines(file, maxLines));
}

} // namespace

void List_Add(ListControl& List, const QString& txt) {
    List.addItem(txt);
}

void List_Load(ListControl& TheList, const QString& Filename) {
    const int room = ListControl::MaxEntries - TheList.count();
    if (room <= 0)
        return;
    TheList.addItems(SplitLines(ReadListText(Filename, room), room));
}

namespace {

QByteArray ListBytes(const ListControl& TheList) {
    QString text;
    for (const QString& entry : TheList.entries()) {
        text += entry;
        text += QStringLiteral("\r\n");
    }
    return Gb18030::encode(text);
}

QString PairMarker(const QString& programFolder) {
    return ProgramFile(programFolder, PairMarkerName);
}

} // namespace

void List_Save(const ListControl& TheList, const QString& Filename) {
    FileCommit::replace(Filename, ListBytes(TheList));
}

void SaveLists(const PlaylistPair& pair, const QString& programFolder) {
    FileCommit::replaceTogether(
        {{ProgramFile(programFolder, TitlesListName), ListBytes(pair.lstsong)},
         {ProgramFile(programFolder, PathsListName), ListBytes(pair.temlst)}},
        PairMarker(programFolder));
}

void FinishInterruptedSave(const QString& programFolder) {
    FileCommit::finishInterrupted(
        {ProgramFile(programFolder, TitlesListName), ProgramFile(programFolder, PathsListName)},
        PairMarker(programFolder));
}
