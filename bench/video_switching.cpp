#include "video_switching.h"

#include "engine/mpv_engine.h"
#include "playback/transport.h"
#include "playlist/playlist_pair.h"
#include "shared/title_scroller.h"
#include "support/fakes.h"
#include "support/installed_copy.h"
#include "support/test_clips.h"
#include "video/video_window_manager.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>
#include <QThread>
#include <algorithm>
#include <cmath>
#include <cstdio>
#include <memory>
#include <vector>

namespace {

constexpr int ToneSeconds = 2;
constexpr int RecordRate = 44100;

void print(const char* name, double value) {
    std::printf("%s %.3f\n", name, value);
    std::fflush(stdout);
}

double median(std::vector<double> values) {
    std::sort(values.begin(), values.end());
    return values.empty() ? -1 : values[values.size() / 2];
}

void end(QProcess& process) {
    process.terminate();
    if (!process.waitForFinished(5000))
        process.kill();
    process.waitForFinished(5000);
}

double residentMb(qint64 pid) {
    QFile status(QStringLiteral("/proc/%1/status").arg(pid));
    if (!status.open(QIODevice::ReadOnly))
        return -1;
    for (const QByteArray& line : status.readAll().split('\n'))
        if (line.startsWith("VmRSS:"))
            return line.mid(6).trimmed().split(' ').value(0).toDouble() / 1024;
    return -1;
}

// The longest run below -60 dBFS between the first and the last sound of
// a raw 16-bit stereo recording, in ms; -1 unless both tones were heard.
double longestSilenceMs(const QByteArray& raw) {
    const auto* samples = reinterpret_cast<const qint16*>(raw.constData());
    const qsizetype frames = raw.size() / 4;
    const int quiet = int(32768 * std::pow(10.0, -60.0 / 20));
    const auto loud = [&](qsizetype i) {
        return std::max(std::abs(int(samples[2 * i])), std::abs(int(samples[2 * i + 1]))) >= quiet;
    };
    qsizetype first = 0, last = frames - 1;
    while (first < frames && !loud(first))
        ++first;
    while (last > first && !loud(last))
        --last;
    qsizetype longest = 0, run = 0;
    for (qsizetype i = first; i <= last; ++i) {
        run = loud(i) ? 0 : run + 1;
        longest = std::max(longest, run);
    }
    const double heard = double(last - first - longest) / RecordRate;
    return heard < 1.5 * ToneSeconds ? -1 : double(longest) * 1000 / RecordRate;
}

// Records the bench's null sink while `play` runs (it returns once the
// tones have played); the longest silence between them.
double gapWhile(const QProcessEnvironment& env, const std::function<void()>& play) {
    QProcess parec;
    parec.setProcessEnvironment(env);
    parec.start(QStringLiteral("parec"), {"-d", "bench.monitor", "--latency-msec=20",
                                          "--format=s16le", "--rate=44100", "--channels=2"});
    if (!parec.waitForStarted(5000))
        return -1;
    QTest::qWait(500);
    play();
    QTest::qWait(500);
    const QByteArray raw = parec.readAllStandardOutput();
    end(parec);
    return longestSilenceMs(raw);
}

// The player's own folder: its copy, its two list files (GB18030, CR LF;
// the paths here are ASCII) and its settings, with the tips turned off.
class ProgramFolder {
  public:
    explicit ProgramFolder(const QStringList& paths) {
        QByteArray titles, lines;
        for (const QString& path : paths) {
            titles += QFileInfo(path).fileName().toUtf8() + "\r\n";
            lines += path.toUtf8() + "\r\n";
        }
        ok_ = dir_.isValid() && CopyProgramInto(dir_.path()) && write("load.lwo", titles) &&
              write("load1.lwo", lines) && QDir().mkpath(dir_.filePath("config/sonvela")) &&
              write("config/sonvela/sonvela.ini", "[Options]\r\nShow Tips at startup=0\r\n") &&
              QDir().mkpath(dir_.filePath("runtime")) &&
              QFile::setPermissions(dir_.filePath("runtime"),
                                    QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    }
    // Starts the player, which plays the first entry at once.
    bool start(QProcess& player, QProcessEnvironment env) {
        env.insert("XDG_CONFIG_HOME", dir_.filePath("config"));
        env.insert("XDG_RUNTIME_DIR", dir_.filePath("runtime"));
        player.setProcessEnvironment(env);
        player.start(dir_.filePath("sonvela"), {});
        return ok_ && player.waitForStarted(5000);
    }

  private:
    bool write(const char* name, const QByteArray& bytes) {
        QFile file(dir_.filePath(QString::fromLatin1(name)));
        return file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size();
    }
    QTemporaryDir dir_;
    bool ok_ = false;
};

double playerGapMs(const QProcessEnvironment& env, const QString& first, const QString& second) {
    return gapWhile(env, [&] {
        ProgramFolder folder({first, second});
        QProcess player;
        if (!folder.start(player, env))
            return;
        QTest::qWait(3000 + 2 * ToneSeconds * 1000); // start-up, then both tones
        end(player);
    });
}

double mpvGapMs(const QProcessEnvironment& env, const QString& first, const QString& second) {
    return gapWhile(env, [&] {
        QProcess mpv;
        mpv.setProcessEnvironment(env);
        mpv.start(QStringLiteral("mpv"),
                  {"--no-config", "--really-quiet", "--vid=no", first, second});
        mpv.waitForFinished(4 * ToneSeconds * 1000 + 5000);
    });
}

// One busy process per core while it lives.
class Hogs {
  public:
    Hogs() {
        for (int i = 0; i < QThread::idealThreadCount(); ++i) {
            hogs_.push_back(std::make_unique<QProcess>());
            hogs_.back()->start(QStringLiteral("sh"), {"-c", "while :; do :; done"});
        }
    }
    ~Hogs() {
        for (auto& hog : hogs_)
            end(*hog);
    }

  private:
    std::vector<std::unique_ptr<QProcess>> hogs_;
};

void printGaps(const QProcessEnvironment& env, const char* suffix) {
    const QString clips[][2] = {
        {TestClips::shortClip(ToneSeconds, 440), TestClips::shortClip(ToneSeconds, 660)},
        {TestClips::make("gap-a.mp4",
                         {"-f", "lavfi", "-i", "testsrc2=s=640x360:d=2", "-f", "lavfi", "-i",
                          "sine=f=440:d=2", "-ac", "2", "-pix_fmt", "yuv420p", "-c:a", "aac"}),
         TestClips::make("gap-b.mp4",
                         {"-f", "lavfi", "-i", "testsrc2=s=640x360:d=2", "-f", "lavfi", "-i",
                          "sine=f=660:d=2", "-ac", "2", "-pix_fmt", "yuv420p", "-c:a", "aac"})}};
    const char* kinds[] = {"wav", "mp4"};
    for (int kind = 0; kind < 2; ++kind) {
        std::vector<double> player, mpv;
        for (int round = 0; round < 3; ++round) {
            player.push_back(playerGapMs(env, clips[kind][0], clips[kind][1]));
            mpv.push_back(mpvGapMs(env, clips[kind][0], clips[kind][1]));
        }
        for (const auto& [who, values] : {std::pair{"player", player}, std::pair{"mpv", mpv}}) {
            const QByteArray name =
                QStringLiteral("eos_gap_ms_%1_%2%3").arg(kinds[kind], who, suffix).toUtf8();
            std::printf("# %s:", name.constData());
            for (double value : values)
                std::printf(" %.1f", value);
            std::printf("\n");
            print(name.constData(), median(values));
        }
    }
}

// The video window and engine in this process, driven as the list drives
// them: a double click is the transport's.
struct Rig {
    PlaylistPair playlist;
    TitleScroller title;
    CountingTips tips;
    RecordingMessages messages;
    VideoWindowManager video{playlist, title, tips, [] {
                                 MpvEngineOptions options;
                                 options.audioOutput = QStringLiteral("pulse");
                                 return std::make_unique<MpvEngine>(options);
                             }};
    Transport transport{playlist, title, video, messages};

    // Double-clicks entry `index`; the ms until its file plays on.
    double play(int index) {
        QElapsedTimer clock;
        clock.start();
        playlist.select(index);
        transport.lstsong_DblClick();
        MediaEngine& engine = video.engine();
        const QString path = playlist.selectedPath();
        const bool plays = QTest::qWaitFor(
            [&] { return !engine.isOpening() && engine.fileName() == path; }, 20000);
        return plays ? double(clock.nsecsElapsed()) / 1e6 : -1;
    }
};

void printOpenTimes(const QString& clip) {
    Rig rig;
    rig.playlist.append("a", TestClips::shortClip(10, 440));
    rig.playlist.append("b", clip);
    std::vector<double> playing, stopped;
    for (int round = 0; round < 10; ++round) {
        rig.play(0);
        QTest::qWait(1000);
        const bool stop = round % 2 == 1;
        if (stop) {
            rig.transport.stopSelected();
            QTest::qWait(500);
        }
        (stop ? stopped : playing).push_back(rig.play(1));
        QTest::qWait(500);
    }
    print("open_while_playing_ms", median(playing));
    print("open_after_stop_ms", median(stopped));
}

void printSwitchingMemory(const QString& video) {
    Rig rig;
    rig.video.showVideoWindow();
    rig.playlist.append("a", TestClips::shortClip(10, 440));
    rig.playlist.append("b", video);
    double first = -1;
    for (int i = 0; i < 300; ++i) {
        if (rig.play(i % 2) < 0)
            std::printf("# switch %d did not play\n", i);
        QTest::qWait(50);
        if (i == 0)
            first = residentMb(QCoreApplication::applicationPid());
    }
    QTest::qWait(1000);
    print("rss_first_switch_mb", first);
    print("rss_after_switches_mb", residentMb(QCoreApplication::applicationPid()));
}

void printMemoryAgainstMpv(const QProcessEnvironment& env, const QString& clip,
                           const std::function<void(QProcess&)>& pressPlay) {
    ProgramFolder folder({clip});
    QProcess player;
    folder.start(player, env);
    QTest::qWait(3000);
    pressPlay(player); // the video window shows the picture
    QTest::qWait(5000);
    const double playerMb = residentMb(player.processId());
    end(player);
    QProcess mpv;
    mpv.setProcessEnvironment(env);
    mpv.start(QStringLiteral("mpv"),
              {"--no-config", "--really-quiet", "--vo=gpu", "--gpu-sw=yes", clip});
    QTest::qWait(5000);
    const double mpvMb = residentMb(mpv.processId());
    end(mpv);
    std::printf("# resident: player %.1f MB, mpv %.1f MB\n", playerMb, mpvMb);
    print("rss_playing_vs_mpv", mpvMb > 0 ? playerMb / mpvMb : -1);
}

} // namespace

void PrintSwitchingFigures(const QProcessEnvironment& env, const QString& clip360,
                           const std::function<void(QProcess&)>& pressPlay) {
    printGaps(env, "");
    {
        Hogs hogs;
        printGaps(env, "_loaded");
    }
    printOpenTimes(TestClips::shortClip(3, 660));
    printSwitchingMemory(TestClips::videoClip());
    printMemoryAgainstMpv(env, clip360, pressPlay);
}
