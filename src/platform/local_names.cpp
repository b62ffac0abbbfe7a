#include "platform/local_names.h"

#include <QFile>
#include <QUrl>
#include <algorithm>
#include <dirent.h>
#include <fcntl.h>
#include <memory>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

namespace {

constexpr char16_t EscapeBase = 0xDC00;
constexpr char16_t FirstEscape = 0xDC80, LastEscape = 0xDCFF;
constexpr QChar Replacement = QChar::ReplacementCharacter;

// The length of the valid UTF-8 sequence at `s`, or 0. Overlong forms,
// surrogates and code points past U+10FFFF are not valid.
int Utf8SequenceLength(const unsigned char* s, qsizetype left) {
    const unsigned b = s[0];
    int length = 0;
    unsigned low = 0x80, high = 0xBF; // the range of the second byte
    if (b < 0x80)
        return 1;
    if (b >= 0xC2 && b <= 0xDF) {
        length = 2;
    } else if (b >= 0xE0 && b <= 0xEF) {
        length = 3;
        low = b == 0xE0 ? 0xA0 : 0x80;
        high = b == 0xED ? 0x9F : 0xBF;
    } else if (b >= 0xF0 && b <= 0xF4) {
        length = 4;
        low = b == 0xF0 ? 0x90 : 0x80;
        high = b == 0xF4 ? 0x8F : 0xBF;
    } else {
        return 0;
    }
    if (left < length || s[1] < low || s[1] > high)
        return 0;
    for (int i = 2; i < length; ++i)
        if ((s[i] & 0xC0) != 0x80)
            return 0;
    return length;
}

struct FolderCloser {
    void operator()(DIR* dir) const { closedir(dir); }
};
using Folder = std::unique_ptr<DIR, FolderCloser>;

Folder OpenFolder(const QString& path) {
    return Folder(opendir(StringToLocalName(path).constData()));
}

bool IsEscape(char16_t c) {
    return c >= FirstEscape && c <= LastEscape;
}

} // namespace

QString LocalNameToString(const QByteArray& name) {
    const auto* s = reinterpret_cast<const unsigned char*>(name.constData());
    const qsizetype n = name.size();
    QString text;
    qsizetype runStart = 0; // of the valid UTF-8 not yet taken
    for (qsizetype i = 0; i < n;) {
        if (const int length = Utf8SequenceLength(s + i, n - i)) {
            i += length;
            continue;
        }
        text += QString::fromUtf8(name.constData() + runStart, i - runStart);
        text += QChar(char16_t(EscapeBase + s[i++]));
        runStart = i;
    }
    return runStart == 0 ? QString::fromUtf8(name) : text + QString::fromUtf8(name.mid(runStart));
}

QByteArray StringToLocalName(const QString& name) {
    QByteArray bytes;
    bytes.reserve(name.size());
    qsizetype runStart = 0;
    const auto flushRun = [&](qsizetype end) {
        bytes += QStringView(name).mid(runStart, end - runStart).toUtf8();
    };
    for (qsizetype i = 0; i < name.size(); ++i) {
        const char16_t c = name.at(i).unicode();
        // A low surrogate after a high one is half of a character.
        const bool paired = i > 0 && name.at(i - 1).isHighSurrogate();
        if (!IsEscape(c) || paired)
            continue;
        flushRun(i);
        bytes += char(c - EscapeBase);
        runStart = i + 1;
    }
    flushRun(name.size());
    return bytes;
}

QString LocalCurrentFolder() {
    std::unique_ptr<char, decltype(&free)> folder(getcwd(nullptr, 0), &free);
    return folder ? LocalNameToString(folder.get()) : QString();
}

QStringList LocalArguments(int argc, char** argv) {
    QStringList arguments;
    for (int i = 1; i < argc; ++i)
        arguments << LocalNameToString(argv[i]);
    return arguments;
}

QString LocalFileOfUrl(const QUrl& url) {
    if (!url.isLocalFile())
        return {};
    // A file URL naming another host keeps Qt's form of it (//host/path).
    if (!url.host().isEmpty())
        return url.toLocalFile();
    return LocalNameToString(
        QByteArray::fromPercentEncoding(url.path(QUrl::FullyEncoded).toLatin1()));
}

QUrl LocalFileUrl(const QString& path) {
    // Bytes no text can hold stay percent-encoded in the URL's text.
    return QUrl::fromEncoded("file://" + StringToLocalName(path).toPercentEncoding("/"));
}

QString RecoverLocalPath(const QString& qtPath) {
    if (!qtPath.contains(Replacement))
        return qtPath;
    const QStringList parts = qtPath.split(u'/');
    QString path = parts.first();
    for (qsizetype i = 1; i < parts.size(); ++i) {
        QString part = parts.at(i);
        if (part.contains(Replacement)) {
            const QString folder = path.isEmpty() ? QStringLiteral("/") : path;
            const Folder dir = OpenFolder(folder);
            while (dir) {
                const dirent* entry = readdir(dir.get());
                if (!entry)
                    break;
                if (QFile::decodeName(entry->d_name) == part) {
                    part = LocalNameToString(entry->d_name);
                    break;
                }
            }
        }
        path += u'/' + part;
    }
    return path;
}

QStringList ListFolder(const QString& folder, FolderEntries kind) {
    const Folder dir = OpenFolder(folder);
    if (!dir)
        return {};
    struct Entry {
        QString key;
        QString name;
    };
    std::vector<Entry> entries;
    const int fd = dirfd(dir.get());
    const mode_t wanted = kind == FolderEntries::Files ? S_IFREG : S_IFDIR;
    const bool followLinks = kind != FolderEntries::RealFolders;
    while (const dirent* entry = readdir(dir.get())) {
        if (entry->d_name[0] == '.')
            continue;
        // The listing's own type where it settles the question; a linked
        // folder is no real folder.
        mode_t type = DTTOIF(entry->d_type);
        if (entry->d_type == DT_UNKNOWN || (followLinks && entry->d_type == DT_LNK)) {
            struct stat info {};
            if (fstatat(fd, entry->d_name, &info, followLinks ? 0 : AT_SYMLINK_NOFOLLOW) != 0)
                continue;
            type = info.st_mode & S_IFMT;
        }
        if (type != wanted)
            continue;
        QString name = LocalNameToString(entry->d_name);
        entries.push_back({name.toLower(), std::move(name)});
    }
    std::sort(entries.begin(), entries.end(), [](const Entry& a, const Entry& b) {
        const int byKey = a.key.compare(b.key);
        return byKey != 0 ? byKey < 0 : a.name < b.name;
    });
    QStringList names;
    names.reserve(qsizetype(entries.size()));
    for (Entry& entry : entries)
        names.append(std::move(entry.name));
    return names;
}

namespace {
mode_t TypeOf(const QString& path) {
    struct stat info {};
    return ::stat(StringToLocalName(path).constData(), &info) == 0 ? info.st_mode & S_IFMT : 0;
}
} // namespace

bool IsLocalFile(const QString& path) {
    return TypeOf(path) == S_IFREG;
}

bool IsLocalFolder(const QString& path) {
    return TypeOf(path) == S_IFDIR;
}

bool IsReadableLocalFile(const QString& path) {
    return IsLocalFile(path) && ::access(StringToLocalName(path).constData(), R_OK) == 0;
}
