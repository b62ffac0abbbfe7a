#include "desktop/command_line.h"

#include <QDir>

namespace {

const QString Program = QStringLiteral("sonvela");

QString Usage() {
    return QStringLiteral("用法：sonvela [选项] [文件或文件夹……]\n"
                          "\n"
                          "把给出的文件和文件夹添加到播放列表的末尾，并播放其中第一个。\n"
                          "文件管理器的“打开方式”就这样把文件交给播放器；播放器已在运行时，\n"
                          "由正在运行的播放器添加和播放。\n"
                          "\n"
                          "选项：\n"
                          "  -h, --help     显示本说明后退出\n"
                          "      --version  显示版本后退出\n"
                          "  --             其后的参数都是文件名，即使以“-”开头\n");
}

bool IsOption(const QString& argument) {
    return argument.size() > 1 && argument.startsWith(QLatin1Char('-'));
}

CommandLine Answer(int exitStatus, const QString& output, const QString& error = {}) {
    CommandLine answer;
    answer.answered = true;
    answer.exitStatus = exitStatus;
    answer.standardOutput = output;
    answer.standardError = error;
    return answer;
}

} // namespace

QString ProgramVersion() {
    return QStringLiteral(SONVELA_VERSION);
}

CommandLine ParseCommandLine(const QStringList& arguments, const QString& workingFolder) {
    QStringList names;
    QString firstAnswer;
    bool optionsEnded = false;
    for (const QString& argument : arguments) {
        if (optionsEnded || !IsOption(argument)) {
            names << argument;
        } else if (argument == QLatin1String("--")) {
            optionsEnded = true;
        } else if (argument == QLatin1String("--help") || argument == QLatin1String("-h") ||
                   argument == QLatin1String("--version")) {
            if (firstAnswer.isEmpty())
                firstAnswer = argument;
        } else {
            return Answer(2, {},
                          QStringLiteral("%1：无法识别的选项“%2”；用 %1 --help 查看用法。\n")
                              .arg(Program, argument));
        }
    }
    if (firstAnswer == QLatin1String("--version"))
        return Answer(0, QStringLiteral("%1 %2\n").arg(Program, ProgramVersion()));
    if (!firstAnswer.isEmpty())
        return Answer(0, Usage());
    CommandLine start;
    start.files = AbsoluteFilePaths(names, workingFolder);
    return start;
}

QStringList AbsoluteFilePaths(const QStringList& arguments, const QString& workingFolder) {
    QStringList paths;
    const QDir base(workingFolder);
    for (const QString& argument : arguments) {
        if (argument.isEmpty())
            continue;
        // cleanPath also takes off a trailing separator, as a drop does.
        paths.append(QDir::cleanPath(base.absoluteFilePath(argument)));
    }
    return paths;
}
