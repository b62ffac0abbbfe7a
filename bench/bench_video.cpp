// Processor time of the real player against the mpv command-line program
// (told that a software renderer is fine: --gpu-sw=yes) on
// the same generated clips (H.264 with AAC sound), one after the other in
// the same run: 3 s to settle, then 10 s measured, alternating the two
// players over several rounds. Needs an X server; starts its own window
// manager (openbox) and sound server (pulseaudio with a null sink):
//   cmake --build build --target sonvela bench_video
//   tests/run-with-xvfb build/bench/bench_video [rounds]
// Prints one figure a line: the ratios, the dropped frames at 720p60, the
// player stopped with its video window shown, and idle, both also against a
// bare Qt program that repaints the title's strip (idle_figures.h); then, with the
// player's window and engine in this process, the longest the UI thread
// went unanswered while a file that never opens was being opened, and the
// silence between two playlist entries at the end of a stream (wav and mp4
// entries, from a recording of the null sink).
#include "engine/mpv_engine.h"
#include "idle_figures.h"
#include "playlist/playlist_pair.h"
#include "shared/title_scroller.h"
#include "support/fakes.h"
#include "support/installed_copy.h"
#include "support/test_clips.h"
#include "video/video_window_manager.h"
#include "video_switching.h"

#include <mpv/client.h>

#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QFile>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>
#include <QThread>
#include <QTimer>
#include <algorithm>
#include <cmath>
#include <cstdio>
#include <functional>
#include <sys/stat.h>
#include <unistd.h>

namespace {

constexpr int SettleMs = 3000;
constexpr int MeasureSeconds = 10;
constexpr int ClipSeconds = 40;

struct Clip {
    const char* name;
    int width, height, rate;
};
constexpr Clip Clip360{"360p", 640, 360, 25};
constexpr Clip Clip720{"720p60", 1280, 720, 60};

// `seconds` of test pattern with a sine tone of `frequencyHz` (H.264 and AAC),
// in the container `suffix` names.
QString makeClip(const Clip& clip, int seconds = ClipSeconds, int frequencyHz = 1000,
                 const QString& suffix = QStringLiteral("mkv")) {
    const QString picture = QStringLiteral("testsrc2=size=%1x%2:rate=%3:duration=%4")
                                .arg(clip.width)
                                .arg(clip.height)
                                .arg(clip.rate)
                                .arg(seconds);
    const QString sound =
        QStringLiteral("sine=frequency=%1:duration=%2").arg(frequencyHz).arg(seconds);
    return TestClips::make(QStringLiteral("bench-%1x%2-%3fps-%4s-%5hz.%6")
                               .arg(clip.width)
                               .arg(clip.height)
                               .arg(clip.rate)
                               .arg(seconds)
                               .arg(frequencyHz)
                               .arg(suffix),
                           {"-f", "lavfi", "-i", picture, "-f", "lavfi", "-i", sound, "-ac", "2",
                            "-c:v", "libx264", "-preset", "veryfast", "-pix_fmt", "yuv420p", "-c:a",
                            "aac"});
}

// User plus system time of a process and all its threads, in seconds.
double cpuSeconds(qint64 pid) {
    QFile stat(QStringLiteral("/proc/%1/stat").arg(pid));
    if (!stat.open(QIODevice::ReadOnly))
        return -1;
    const QByteArray line = stat.readAll();
    // Fields after the command name, which ends at the last ')': utime is
    // field 14 and stime 15.
    const QList<QByteArray> fields = line.mid(line.lastIndexOf(')') + 2).split(' ');
    if (fields.size() < 13)
        return -1;
    return (fields.at(11).toDouble() + fields.at(12).toDouble()) / double(sysconf(_SC_CLK_TCK));
}

// Percent of one core over the measured window, after the settle time.
double cpuPercent(QProcess& process) {
    QTest::qWait(SettleMs);
    const double before = cpuSeconds(process.processId());
    QTest::qWait(MeasureSeconds * 1000);
    const double after = cpuSeconds(process.processId());
    if (before < 0 || after < 0 || process.state() != QProcess::Running)
        return -1;
    return (after - before) / MeasureSeconds * 100;
}

void stop(QProcess& process) {
    process.terminate();
    if (!process.waitForFinished(5000))
        process.kill();
    process.waitForFinished(5000);
}

bool writeFile(const QString& path, const QByteArray& bytes) {
    QFile file(path);
    return file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size();
}

QString loadAverage() {
    QFile file(QStringLiteral("/proc/loadavg"));
    return file.open(QIODevice::ReadOnly) ? QString::fromLatin1(file.readAll()).section(' ', 0, 2)
                                          : QString();
}

// The window manager and sound server every player of the run shares.
class Desk {
  public:
    Desk() {
        windowManager_.start(QStringLiteral("openbox"), {});
        windowManager_.waitForStarted(5000);
        env_ = QProcessEnvironment::systemEnvironment();
        env_.remove("QT_QPA_PLATFORM");
        if (!QStandardPaths::findExecutable(QStringLiteral("pulseaudio")).isEmpty()) {
            env_.insert("XDG_RUNTIME_DIR", dir_.path());
            env_.insert("HOME", dir_.path());
            sound_.setProcessEnvironment(env_);
            sound_.start(QStringLiteral("pulseaudio"),
                         {"-n", "--daemonize=no", "--exit-idle-time=-1", "-L",
                          "module-null-sink sink_name=bench", "-L", "module-native-protocol-unix"});
            sound_.waitForStarted(5000);
            QTest::qWait(1500);
            env_.insert("PULSE_SERVER", "unix:" + dir_.filePath("pulse/native"));
            qputenv("PULSE_SERVER", env_.value("PULSE_SERVER").toUtf8());
        }
        QTest::qWait(500);
    }
    ~Desk() {
        stop(sound_);
        stop(windowManager_);
    }
    QProcessEnvironment environment() const { return env_; }

  private:
    QTemporaryDir dir_;
    QProcess windowManager_;
    QProcess sound_;
    QProcessEnvironment env_;
};

// A program folder with the player's own copy (it finds its list files
// beside its executable), its list files, and its own settings and runtime
// folders; the one entry, if any, plays at start-up with the video window
// hidden.
class PlayerFolder {
  public:
    explicit PlayerFolder(const QString& clip) {
        ok_ = dir_.isValid() && CopyProgramInto(dir_.path());
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

    bool start(QProcess& process, QProcessEnvironment env) const {
        env.insert("XDG_CONFIG_HOME", dir_.filePath("config"));
        env.insert("XDG_RUNTIME_DIR", dir_.filePath("runtime"));
        process.setProcessEnvironment(env);
        process.setProcessChannelMode(QProcess::ForwardedErrorChannel);
        process.start(program(), {});
        return ok_ && process.waitForStarted();
    }

  private:
    QString program() const { return dir_.filePath("sonvela"); }
    QTemporaryDir dir_;
    bool ok_ = false;
};

QString xdotool(const QStringList& args) {
    QProcess tool;
    tool.start(QStringLiteral("xdotool"), args);
    tool.waitForFinished(5000);
    return QString::fromUtf8(tool.readAllStandardOutput()).trimmed();
}

// A transport button of the control panel, in main-window pixels: the panel
// sits at (-15, 270) twips, the buttons 1365 twips down in it, 240 x 195.
void pressButton(QProcess& player, int buttonLeftTwips) {
    const QString mainWindow =
        xdotool({"search", "--onlyvisible", "--pid", QString::number(player.processId())})
            .section('\n', 0, 0);
    // The video window may lie over the main window once shown.
    xdotool({"windowraise", mainWindow});
    QTest::qWait(300);
    xdotool({"mousemove", "--window", mainWindow,
             QString::number((-15 + buttonLeftTwips + 120) / 15),
             QString::number((270 + 1365 + 97) / 15), "click", "1"});
}
constexpr int PlayButton = 690;
constexpr int StopButton = 1320;

enum class Scene { Idle, Hidden, Shown, Stopped };

double playerPercent(const Desk& desk, const QString& clip, Scene scene,
                     const CpuMeter& measure = cpuPercent) {
    PlayerFolder folder(scene == Scene::Idle ? QString() : clip);
    QProcess player;
    if (!folder.start(player, desk.environment())) {
        std::fprintf(stderr, "cannot start the player (is %s built?)\n",
                     SONVELA_BINARY_DIR "/sonvela");
        return -1;
    }
    QTest::qWait(2500); // the main window is up
    if (scene == Scene::Shown || scene == Scene::Stopped)
        pressButton(player, PlayButton);
    if (scene == Scene::Stopped) {
        QTest::qWait(1000);
        pressButton(player, StopButton);
    }
    const double percent = measure(player);
    stop(player);
    return percent;
}

double mpvPercent(const Desk& desk, const QString& clip, bool picture) {
    QProcess mpv;
    mpv.setProcessEnvironment(desk.environment());
    mpv.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    mpv.start(QStringLiteral("mpv"), {"--no-config", "--really-quiet",
                                      picture ? "--vo=gpu" : "--vid=no", "--gpu-sw=yes", clip});
    if (!mpv.waitForStarted())
        return -1;
    const double percent = cpuPercent(mpv);
    stop(mpv);
    return percent;
}

// Player against mpv, alternating which goes first; sums of the rounds.
double playRatio(const Desk& desk, const QString& clip, Scene scene, int rounds, const char* name) {
    const bool picture = scene == Scene::Shown;
    double player = 0, mpv = 0;
    for (int round = 0; round < rounds; ++round) {
        const bool playerFirst = round % 2 == 0;
        const double first =
            playerFirst ? playerPercent(desk, clip, scene) : mpvPercent(desk, clip, picture);
        const double second =
            playerFirst ? mpvPercent(desk, clip, picture) : playerPercent(desk, clip, scene);
        const double p = playerFirst ? first : second, m = playerFirst ? second : first;
        std::printf("# %s round %d: player %.2f%%, mpv %.2f%%\n", name, round + 1, p, m);
        std::fflush(stdout);
        player += p;
        mpv += m;
    }
    return mpv > 0 ? player / mpv : -1;
}

// Frames mpv dropped or showed late while measured, as it counts them.
qint64 dropCount(mpv_handle* mpv) {
    qint64 dropped = 0, delayed = 0;
    mpv_get_property(mpv, "frame-drop-count", MPV_FORMAT_INT64, &dropped);
    mpv_get_property(mpv, "vo-delayed-frame-count", MPV_FORMAT_INT64, &delayed);
    return dropped + delayed;
}

// The player's video window and its engine, in this process, to read what
// the program keeps to itself (mpv's counters, its UI thread).
struct InProcessPlayer {
    explicit InProcessPlayer(const MpvEngineOptions& options = {})
        : video(playlist, title, tips, [options] { return std::make_unique<MpvEngine>(options); }) {
        video.showVideoWindow();
    }
    MpvEngine& engine() { return static_cast<MpvEngine&>(video.engine()); }
    // `path` has been opened and plays on past its first half second.
    bool plays(const QString& path) {
        return QTest::qWaitFor(
            [this, &path] {
                return engine().fileName() == path && !engine().isOpening() &&
                       engine().playbackState() == PlaybackState::Playing &&
                       engine().currentPosition().value_or(0) > 0.5;
            },
            10000);
    }

    PlaylistPair playlist;
    TitleScroller title;
    CountingTips tips;
    VideoWindowManager video;
};

// Frames the player's mpv dropped or showed late while measured.
qint64 playerDrops(const QString& clip) {
    InProcessPlayer player;
    if (!player.engine().setFileName(clip) || !player.engine().play())
        return -1;
    QTest::qWait(SettleMs);
    const qint64 before = dropCount(player.engine().handle());
    QTest::qWait(MeasureSeconds * 1000);
    return dropCount(player.engine().handle()) - before;
}

// The same counters from the command-line player, read by a script in it.
qint64 mpvDrops(const Desk& desk, const QString& clip) {
    QTemporaryDir dir;
    const QString script = dir.filePath("drops.lua");
    writeFile(script, QStringLiteral("local function n() return mp.get_property_number("
                                     "'frame-drop-count', 0) + mp.get_property_number("
                                     "'vo-delayed-frame-count', 0) end\n"
                                     "local before = 0\n"
                                     "mp.add_timeout(%1, function() before = n() end)\n"
                                     "mp.add_timeout(%2, function() print('drops ' .. (n() - "
                                     "before)); mp.command('quit') end)\n")
                          .arg(SettleMs / 1000.0)
                          .arg(SettleMs / 1000.0 + MeasureSeconds)
                          .toUtf8());
    QProcess mpv;
    mpv.setProcessEnvironment(desk.environment());
    mpv.start(QStringLiteral("mpv"), {"--no-config", "--vo=gpu", "--gpu-sw=yes",
                                      "--msg-level=all=no,drops=info", "--script=" + script, clip});
    mpv.waitForFinished((SettleMs / 1000 + MeasureSeconds + 10) * 1000);
    const QString output = QString::fromUtf8(mpv.readAllStandardOutput());
    const qsizetype at = output.indexOf(QStringLiteral("drops "));
    return at < 0 ? -1 : output.mid(at + 6).section('\n', 0, 0).trimmed().toLongLong();
}

// Runs the event loop for `ms` as the program's own loop runs it (no sleeps
// between passes, unlike QTest::qWait), timing a 5 ms probe timer
// meanwhile; `action` runs first from the loop, so the time it blocks counts
// too. The longest the UI thread left the probe unanswered, in ms.
double longestProbeGapMs(int ms, const std::function<void()>& action) {
    QElapsedTimer clock;
    clock.start();
    qint64 last = 0, longest = 0;
    QTimer probe;
    probe.setTimerType(Qt::PreciseTimer);
    QObject::connect(&probe, &QTimer::timeout, [&] {
        const qint64 now = clock.nsecsElapsed();
        longest = std::max(longest, now - last);
        last = now;
    });
    QEventLoop loop;
    QTimer::singleShot(ms, &loop, &QEventLoop::quit);
    probe.start(5);
    QTimer::singleShot(0, &loop, action);
    loop.exec();
    return double(std::max(longest, clock.nsecsElapsed() - last)) / 1e6;
}

// While a clip plays, a cue sheet naming a FIFO nobody writes to is opened
// (it stands for a stalled network share): its open never finishes. The
// longest probe gap meanwhile; then another clip opened after it must play.
double uiStallMs(const QString& clip, const QString& after) {
    QTemporaryDir dir;
    const QString fifo = dir.filePath("x.wav");
    const QString cue = dir.filePath("stalled.cue");
    if (mkfifo(QFile::encodeName(fifo).constData(), 0600) != 0 ||
        !writeFile(cue, "FILE \"x.wav\" WAVE\n  TRACK 01 AUDIO\n    INDEX 01 00:00:00\n"))
        return -1;
    InProcessPlayer player;
    MpvEngine& engine = player.engine();
    if (!engine.setFileName(clip) || !engine.play() || !player.plays(clip)) {
        std::printf("# the clip before the stalled open did not play\n");
        return -1;
    }
    const double stall = longestProbeGapMs(3000, [&engine, &cue] {
        if (!engine.setFileName(cue) || !engine.play())
            std::printf("# the stalled open was refused\n");
    });
    if (!engine.isOpening())
        std::printf("# the stalled open ended within 3 s\n");
    const double afterMs = longestProbeGapMs(500, [&engine, &after] {
        engine.setFileName(after);
        engine.play();
    });
    if (!player.plays(after))
        std::printf("# a clip opened after the stalled open did not play\n");
    std::printf("# longest probe gap while that clip opened: %.1f ms\n", afterMs);
    std::fflush(stdout);
    return stall;
}

// The Desk's null sink as it sounds, 16-bit stereo at 44.1 kHz.
class SinkRecorder {
  public:
    SinkRecorder() {
        // Small fragments, as a player's sound card would run: at pulse's
        // default of 2 s the recording drives the sink's latency to seconds.
        parec_.start(QStringLiteral("parec"),
                     {"-d", "bench.monitor", "--latency-msec=20", "--format=s16le", "--rate=44100",
                      "--channels=2", "--raw"});
        started_ = parec_.waitForStarted(5000);
        QTest::qWait(500); // connected and recording
    }
    ~SinkRecorder() { stop(parec_); }

    // Stops recording; the frames' loudest channel, as absolute samples.
    std::vector<int> finish() {
        const QByteArray bytes = parec_.readAllStandardOutput();
        stop(parec_);
        std::vector<int> frames;
        if (!started_)
            return frames;
        const auto* samples = reinterpret_cast<const qint16*>(bytes.constData());
        for (qsizetype i = 0; i + 1 < bytes.size() / qsizetype(sizeof(qint16)); i += 2)
            frames.push_back(std::max(std::abs(int(samples[i])), std::abs(int(samples[i + 1]))));
        return frames;
    }

  private:
    QProcess parec_;
    bool started_ = false;
};

constexpr int RecordRate = 44100;
constexpr int EosClipSeconds = 2;

// Two playlist entries of steady tone, played from the first to the end of
// the second as the video window moves on at the end of a stream; the
// longest near-silence (below -60 dBFS) from the start of the first tone to
// the end of the second, in ms.
double eosGapMs(const QString& first, const QString& second) {
    int ends = 0;
    MpvEngineOptions options;
    options.audioOutput = QStringLiteral("pulse");
    InProcessPlayer player(options);
    if (!player.playlist.append(QStringLiteral("first"), first) ||
        !player.playlist.append(QStringLiteral("second"), second))
        return -1;
    MpvEngine& engine = player.engine();
    QObject::connect(&engine, &MediaEngine::EndOfStream, [&ends] { ++ends; });
    QObject::connect(&engine, &MediaEngine::movedOn, [&ends] { ++ends; }); // gapless
    SinkRecorder recorder;
    player.playlist.select(0);
    engine.setFileName(player.playlist.selectedPath());
    engine.play();
    if (!QTest::qWaitFor([&ends] { return ends >= 2; }, 4 * EosClipSeconds * 1000 + 5000))
        std::printf("# the second entry did not reach its end\n");
    QTest::qWait(500); // the end of the second tone reaches the recording
    const std::vector<int> frames = recorder.finish();

    const int quiet = int(32768 * std::pow(10.0, -60.0 / 20)); // -60 dBFS
    const auto loud = [quiet](int sample) { return sample >= quiet; };
    const auto begin = std::find_if(frames.begin(), frames.end(), loud);
    const auto end = std::find_if(frames.rbegin(), frames.rend(), loud).base();
    qsizetype longest = 0, run = 0;
    for (auto frame = begin; frame < end; ++frame) {
        run = loud(*frame) ? 0 : run + 1;
        longest = std::max(longest, run);
    }
    // Both tones must be in the recording, not just the first.
    const double heardSeconds = double(std::distance(begin, end) - longest) / RecordRate;
    if (begin >= end || heardSeconds < 1.5 * EosClipSeconds) {
        std::printf("# only %.2f s of tone heard\n", begin < end ? heardSeconds : 0.0);
        return -1;
    }
    return double(longest) * 1000 / RecordRate;
}

void print(const char* name, double value) {
    std::printf("%s %.3f\n", name, value);
    std::fflush(stdout);
}

} // namespace

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    if (qEnvironmentVariableIsEmpty("DISPLAY")) {
        std::fprintf(stderr, "needs an X server: run under tests/run-with-xvfb\n");
        return 1;
    }
    const int rounds = argc > 1 ? std::max(1, atoi(argv[1])) : 2;
    const QString clip360 = makeClip(Clip360);
    const QString clip720 = makeClip(Clip720);
    if (clip360.isEmpty() || clip720.isEmpty())
        return 1;
    std::printf("# load average at start: %s\n", qPrintable(loadAverage()));
    Desk desk;

    print("play_vs_mpv_ratio_360p", playRatio(desk, clip360, Scene::Shown, rounds, "360p"));
    print("play_vs_mpv_ratio_720p60", playRatio(desk, clip720, Scene::Shown, rounds, "720p60"));
    std::printf("dropped_frames_player_720p60 %lld\n", playerDrops(clip720));
    std::printf("dropped_frames_mpv_720p60 %lld\n", mpvDrops(desk, clip720));
    print("hidden_play_vs_mpv_audio_ratio",
          playRatio(desk, clip360, Scene::Hidden, rounds, "hidden"));
    const auto scene = [&](Scene s) {
        return [&, s](const CpuMeter& meter) { return playerPercent(desk, clip360, s, meter); };
    };
    printIdleFigures(desk.environment(), scene(Scene::Idle), scene(Scene::Stopped), rounds);
    print("ui_stall_max_ms", uiStallMs(clip360, TestClips::videoClip()));
    const double wavGap = eosGapMs(TestClips::shortClip(EosClipSeconds, 440),
                                   TestClips::shortClip(EosClipSeconds, 660));
    print("eos_gap_ms_wav", wavGap);
    const double mp4Gap = eosGapMs(makeClip(Clip360, EosClipSeconds, 440, QStringLiteral("mp4")),
                                   makeClip(Clip360, EosClipSeconds, 660, QStringLiteral("mp4")));
    print("eos_gap_ms_mp4", mp4Gap);
    print("eos_gap_ms", wavGap < 0 || mp4Gap < 0 ? -1 : std::max(wavGap, mp4Gap));
    PrintSwitchingFigures(desk.environment(), clip360,
                          [](QProcess& player) { pressButton(player, PlayButton); });
    std::printf("# load average at end: %s\n", qPrintable(loadAverage()));
    return 0;
}
