// Processor time of the real player: idle (nothing playing) and playing a
// 640x360 clip, the latter against a bare libmpv program (bench_bare_mpv)
// playing the same clip the same way. Needs an X server: run it as
//   cmake --build build --target bench_idle bench_bare_mpv
//   xvfb-run -a -s "-screen 0 1280x1024x24" build/bench/bench_idle
// Prints `idle_cpu_percent X` and `play_cpu_ratio X` (picture shown: the
// player's play button is pressed with xdotool), then the same comparison
// with the picture hidden, as the player plays its first entry at start-up.
#include "support/test_clips.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <QThread>
#include <cstdio>
#include <unistd.h>

namespace {

constexpr int IdleSeconds = 30;
constexpr int PlaySeconds = 20;
constexpr int SettleMs = 4000;
constexpr int ClipSeconds = 60;

// User plus system time of a process and all its threads, in seconds.
double cpuSeconds(qint64 pid) {
    QFile stat(QStringLiteral("/proc/%1/stat").arg(pid));
    if (!stat.open(QIODevice::ReadOnly))
        return -1;
    const QByteArray line = stat.readAll();
    // Fields after the command name, which ends at the last ')': state is
    // field 3, utime 14 and stime 15.
    const QList<QByteArray> fields = line.mid(line.lastIndexOf(')') + 2).split(' ');
    if (fields.size() < 13)
        return -1;
    return (fields.at(11).toDouble() + fields.at(12).toDouble()) / double(sysconf(_SC_CLK_TCK));
}

double cpuPercentOver(QProcess& process, int seconds) {
    QThread::msleep(SettleMs);
    const double before = cpuSeconds(process.processId());
    QThread::sleep(seconds);
    const double after = cpuSeconds(process.processId());
    if (before < 0 || after < 0 || process.state() != QProcess::Running)
        return -1;
    return (after - before) / seconds * 100;
}

void stop(QProcess& process) {
    process.kill();
    process.waitForFinished(5000);
}

bool writeFile(const QString& path, const QByteArray& bytes) {
    QFile file(path);
    return file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size();
}

// A program folder with the player's own copy (it finds its list files
// beside its executable, so a link would not do), its list files, and its
// own settings and runtime folders.
class PlayerFolder {
  public:
    explicit PlayerFolder(const QString& clip) {
        const QString source = QStringLiteral(SONVELA_BINARY_DIR "/sonvela");
        ok_ = dir_.isValid() && QFile::copy(source, program()) &&
              QFile::setPermissions(program(), QFile::permissions(source));
        // Titles and paths, one a line, CR LF (ASCII is also GB18030).
        const QByteArray titles = clip.isEmpty() ? QByteArray() : "bench clip\r\n";
        const QByteArray paths = clip.isEmpty() ? QByteArray() : clip.toUtf8() + "\r\n";
        ok_ = ok_ && writeFile(dir_.filePath("load.lwo"), titles) &&
              writeFile(dir_.filePath("load1.lwo"), paths);
        ok_ = ok_ && QDir().mkpath(dir_.filePath("config/sonvela")) &&
              writeFile(dir_.filePath("config/sonvela/sonvela.ini"),
                        "[Options]\r\nShow Tips at startup=0\r\n");
        ok_ = ok_ && QDir().mkpath(dir_.filePath("runtime")) &&
              QFile::setPermissions(dir_.filePath("runtime"),
                                    QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    }
    bool ok() const { return ok_; }
    QString program() const { return dir_.filePath("sonvela"); }

    void start(QProcess& process) const {
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert("XDG_CONFIG_HOME", dir_.filePath("config"));
        env.insert("XDG_RUNTIME_DIR", dir_.filePath("runtime"));
        env.remove("QT_QPA_PLATFORM");
        process.setProcessEnvironment(env);
        process.setProcessChannelMode(QProcess::ForwardedErrorChannel);
        process.start(program(), {});
        process.waitForStarted();
    }

  private:
    QTemporaryDir dir_;
    bool ok_ = false;
};

// The play button of the control panel, in main-window pixels: the panel
// sits at (-15, 270) twips, the button at (690, 1365) in it, 240 x 195.
constexpr int PlayButtonX = (-15 + 690 + 120) / 15;
constexpr int PlayButtonY = (270 + 1365 + 97) / 15;

QString runTool(const QStringList& args) {
    QProcess tool;
    tool.start(QStringLiteral("xdotool"), args);
    tool.waitForFinished(5000);
    return QString::fromUtf8(tool.readAllStandardOutput()).trimmed();
}

// Start-up plays the first entry with the video window hidden; a click on
// the play button plays it again with the picture shown.
bool pressPlay(QProcess& player) {
    QThread::msleep(3000);
    const QString mainWindow =
        runTool({"search", "--onlyvisible", "--pid", QString::number(player.processId())})
            .section('\n', 0, 0);
    if (mainWindow.isEmpty())
        return false;
    runTool({"mousemove", "--window", mainWindow, QString::number(PlayButtonX),
             QString::number(PlayButtonY), "click", "1"});
    return true;
}

double playerPercent(const QString& clip, int seconds, bool shown) {
    PlayerFolder folder(clip);
    if (!folder.ok()) {
        std::fprintf(stderr, "cannot set up a program folder (is %s built?)\n",
                     SONVELA_BINARY_DIR "/sonvela");
        return -1;
    }
    QProcess player;
    folder.start(player);
    if (shown && !pressPlay(player)) {
        std::fprintf(stderr, "found no player window to press play in\n");
        stop(player);
        return -1;
    }
    const double percent = cpuPercentOver(player, seconds);
    stop(player);
    return percent;
}

double barePercent(const QString& clip, int seconds, bool shown) {
    const QString bare = QCoreApplication::applicationDirPath() + "/bench_bare_mpv";
    if (!QFile::exists(bare)) {
        std::fprintf(stderr, "build bench_bare_mpv first\n");
        return -1;
    }
    QProcess process;
    process.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.remove("QT_QPA_PLATFORM");
    process.setProcessEnvironment(env);
    process.start(bare, shown ? QStringList{clip, "--show"} : QStringList{clip});
    process.waitForStarted();
    const double percent = cpuPercentOver(process, seconds);
    stop(process);
    return percent;
}

// Player against the bare program, both with the picture shown or hidden.
bool comparePlaying(const QString& clip, bool shown) {
    const char* prefix = shown ? "play" : "hidden_play";
    const double player = playerPercent(clip, PlaySeconds, shown);
    const double bare = barePercent(clip, PlaySeconds, shown);
    std::printf("%s_cpu_percent_player %.2f\n", prefix, player);
    std::printf("%s_cpu_percent_bare %.2f\n", prefix, bare);
    std::printf("%s_cpu_ratio %.3f\n", prefix, bare > 0 ? player / bare : -1.0);
    std::fflush(stdout);
    return player >= 0 && bare > 0;
}

} // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    if (qEnvironmentVariableIsEmpty("DISPLAY")) {
        std::fprintf(stderr, "needs an X server: run under xvfb-run\n");
        return 1;
    }
    const QString clip = TestClips::testPatternClip(ClipSeconds);
    if (clip.isEmpty())
        return 1;

    const double idle = playerPercent(QString(), IdleSeconds, false);
    std::printf("idle_cpu_percent %.3f\n", idle);
    std::fflush(stdout);

    const bool shown = comparePlaying(clip, true);
    const bool hidden = comparePlaying(clip, false);
    return idle >= 0 && shown && hidden ? 0 : 1;
}
