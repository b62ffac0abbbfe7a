#include "desktop/command_line.h"
#include "engine/media_info.h"
#include "engine/mpv_engine.h"
#include "platform/gb18030.h"
#include "platform/local_names.h"
#include "support/patience.h"
#include "support/test_clips.h"
#include "support/wav.h"

#include <mpv/client.h>

#include <QDir>
#include <QFile>
#include <QSignalSpy>
#include <QTcpServer>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <cmath>
#include <memory>
#include <unistd.h>
#include <utility>

namespace {

constexpr double kSilence = 1000;

MpvEngineOptions headless() {
    MpvEngineOptions options;
    options.videoOutput = QStringLiteral("null");
    options.audioOutput = QStringLiteral("null");
    return options;
}

// Opens `path` and waits for mpv's verdict: true once it has loaded, false
// when it was refused at once or could not be played.
bool opens(MpvEngine& engine, const QString& path, bool playlist = false) {
    QSignalSpy failed(&engine, &MediaEngine::openFailed);
    if (!(playlist ? engine.openPlaylist(path) : engine.setFileName(path)))
        return false;
    return QTest::qWaitFor([&] { return !engine.isOpening(); }, PatientWaitMs) && failed.isEmpty();
}

// The position once it holds for 300 ms (mpv's last report from before a
// pause or stop is in), or -1 if it never does.
double settledPosition(const MpvEngine& engine) {
    double last = -2;
    const bool held = QTest::qWaitFor(
        [&] {
            const double before = std::exchange(last, engine.currentPosition().value_or(-1));
            QTest::qWait(300);
            return before == last && engine.currentPosition().value_or(-1) == last;
        },
        PatientWaitMs);
    return held ? last : -1;
}

} // namespace

class TestMpvEngine : public QObject {
    Q_OBJECT

  private slots:
    void initTestCase();
    void opensAndKnowsDuration();
    void positionAdvancesAndSeeks();
    void pauseHoldsAndPlayResumes();
    void stopHalts();
    void refusesWhatItCannotPlay_data();
    void refusesWhatItCannotPlay();
    void playAfterTheEnd_data();
    void playAfterTheEnd();
    void playlistPlaysInOrderAndEndsOnce();
    void aPickedFileNeverReachesTheNetwork_data();
    void aPickedFileNeverReachesTheNetwork();
    void pickedMediaFilesStillPlay_data();
    void pickedMediaFilesStillPlay();
    void levels_data();
    void levels();
    void changesMidFileKeepPlaying();
    void liveChangesReachTheSound_data();
    void liveChangesReachTheSound();
    void pictureOffLeavesTheSoundWhole();
    void subtitlesBesideAClipReadInEitherEncoding_data();
    void subtitlesBesideAClipReadInEitherEncoding();
    void aNameInGbkFromTheCommandLinePlays();
    void tagTextInEitherEncoding_data();
    void tagTextInEitherEncoding();

  private:
    std::unique_ptr<MpvEngine> engine_;
    QTemporaryDir temp_;
    // Plays `clip` to its end through the pcm output and reads the sound
    // back; `before` runs ahead of opening the file, `after` right after.
    Wav render(const std::function<void(MpvEngine&)>& before, const QString& clip,
               const std::function<void(MpvEngine&)>& after = nullptr);
};

void TestMpvEngine::initTestCase() {
    QVERIFY(!TestClips::sineClip().isEmpty());
    QVERIFY(temp_.isValid());
}

void TestMpvEngine::opensAndKnowsDuration() {
    MpvEngine engine(headless());
    QVERIFY(engine.isValid());
    QSignalSpy known(&engine, &MediaEngine::durationKnown);
    QVERIFY(engine.setFileName(TestClips::sineClip()));
    QVERIFY(engine.play());
    QVERIFY(known.wait(5000));
    QCOMPARE(engine.fileName(), TestClips::sineClip());
    const auto length = engine.duration();
    QVERIFY(length);
    QCOMPARE(known.last().at(0).toDouble(), *length);
    QVERIFY2(std::abs(*length - 3.0) < 0.1, qPrintable(QString::number(*length)));
    // No script runs inside the core: no Lua thread was started for one.
    for (const QString& task : QDir(QStringLiteral("/proc/self/task")).entryList(QDir::Dirs)) {
        QFile name(QStringLiteral("/proc/self/task/%1/comm").arg(task));
        if (name.open(QIODevice::ReadOnly))
            QVERIFY2(!name.readAll().contains("lua"), qPrintable(task));
    }
}

void TestMpvEngine::positionAdvancesAndSeeks() {
    MpvEngine engine(headless());
    QVERIFY(engine.setFileName(TestClips::shortClip(10)));
    QTRY_VERIFY_WITH_TIMEOUT(engine.currentPosition().value_or(0) > 0.3, PatientWaitMs);
    QVERIFY(engine.setCurrentPosition(7));
    QTRY_VERIFY_WITH_TIMEOUT(engine.currentPosition().value_or(0) >= 7, PatientWaitMs);
    QVERIFY(engine.currentPosition().value_or(0) < 9);
}

void TestMpvEngine::pauseHoldsAndPlayResumes() {
    MpvEngine engine(headless());
    QVERIFY(engine.setFileName(TestClips::shortClip(10)));
    QTRY_VERIFY_WITH_TIMEOUT(engine.currentPosition().value_or(0) > 0.2, PatientWaitMs);
    QVERIFY(engine.pause());
    const double held = settledPosition(engine);
    QTest::qWait(500);
    QCOMPARE(engine.currentPosition().value_or(-1), held);
    QVERIFY(engine.play());
    QTRY_VERIFY_WITH_TIMEOUT(engine.currentPosition().value_or(0) > held + 0.2, PatientWaitMs);
}

void TestMpvEngine::stopHalts() {
    MpvEngine engine(headless());
    QVERIFY(engine.setFileName(TestClips::shortClip(10)));
    QTRY_VERIFY_WITH_TIMEOUT(engine.currentPosition().value_or(0) > 0.3, PatientWaitMs);
    QVERIFY(engine.stop());
    const double halted = settledPosition(engine);
    QVERIFY2(halted >= 0 && halted < 0.3, qPrintable(QString::number(halted)));
    QTest::qWait(400);
    QCOMPARE(engine.currentPosition().value_or(-1), halted);
    // Play after Stop starts the file again.
    QVERIFY(engine.play());
    QTRY_VERIFY_WITH_TIMEOUT(engine.currentPosition().value_or(0) > 0.2, PatientWaitMs);
}

void TestMpvEngine::refusesWhatItCannotPlay_data() {
    QTest::addColumn<QString>("path");
    QTest::newRow("missing") << QDir(TestClips::dir()).filePath("no-such-clip.wav");
    QTest::newRow("not media") << TestClips::notMediaFile();
    QTest::newRow("folder") << TestClips::dir();
    QTest::newRow("empty") << QString();
    QTest::newRow("Video CD track without its disc")
        << "sonvela-vcd://" + TestClips::dir() + "/no-such.cue/MPEGAV/AVSEQ01.DAT";
}

void TestMpvEngine::refusesWhatItCannotPlay() {
    QFETCH(QString, path);
    MpvEngine engine(headless());
    QVERIFY(opens(engine, TestClips::shortClip(10)));
    QVERIFY(!opens(engine, path));
    // What played goes on as it was.
    QCOMPARE(engine.fileName(), TestClips::shortClip(10));
    QCOMPARE(engine.playbackState(), PlaybackState::Playing);
    // Still working: a good file plays afterwards.
    QVERIFY(engine.setFileName(TestClips::sineClip()));
    QTRY_VERIFY_WITH_TIMEOUT(engine.currentPosition().value_or(0) > 0.2, PatientWaitMs);
}

void TestMpvEngine::playAfterTheEnd_data() {
    QTest::addColumn<QString>("refused");
    QTest::newRow("nothing asked since") << QString();
    QTest::newRow("missing file asked for") << QDir(TestClips::dir()).filePath("no-such-clip.wav");
    QTest::newRow("not media asked for") << TestClips::notMediaFile();
}

// Play after the end starts the file again, but never after an open was
// refused: that would replay the file that has just ended.
void TestMpvEngine::playAfterTheEnd() {
    QFETCH(QString, refused);
    MpvEngine engine(headless());
    QSignalSpy ended(&engine, &MpvEngine::EndOfStream);
    QVERIFY(engine.setFileName(TestClips::shortClip(1)));
    QVERIFY(ended.wait(PatientWaitMs));
    if (!refused.isEmpty())
        QVERIFY(!opens(engine, refused));
    QCOMPARE(engine.play(), refused.isEmpty());
    if (refused.isEmpty()) // opened again: a position once it plays
        QTRY_VERIFY_WITH_TIMEOUT(engine.currentPosition().has_value(), 5000);
    QTest::qWait(300);
    QCOMPARE(engine.currentPosition().has_value(), refused.isEmpty());
}

void TestMpvEngine::playlistPlaysInOrderAndEndsOnce() {
    const QString first = TestClips::shortClip(1, 440);
    const QString second = TestClips::shortClip(2, 880);
    const QString list = temp_.filePath("two.m3u");
    QFile m3u(list);
    QVERIFY(m3u.open(QIODevice::WriteOnly));
    m3u.write((first + "\r\n" + second + "\r\n").toUtf8());
    m3u.close();

    MpvEngine engine(headless());
    QSignalSpy ended(&engine, &MpvEngine::EndOfStream);
    QVERIFY(opens(engine, list, true));
    QTRY_VERIFY_WITH_TIMEOUT(std::abs(engine.duration().value_or(0) - 1.0) < 0.1, PatientWaitMs);
    // The second clip is the longer one: seeing its length means it plays.
    QTRY_VERIFY_WITH_TIMEOUT(std::abs(engine.duration().value_or(0) - 2.0) < 0.1, PatientWaitMs);
    QCOMPARE(ended.count(), 0);
    QVERIFY(ended.wait(PatientWaitMs));
    QTest::qWait(500);
    QCOMPARE(ended.count(), 1);
}

// Files that name other files or addresses inside. %1 is a local HTTP
// listener's address, %2 a playable local clip.
void TestMpvEngine::aPickedFileNeverReachesTheNetwork_data() {
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("content");
    QTest::newRow("M3U named .mp3") << "x.mp3"
                                    << "#EXTM3U\n%1/a.mp3\n";
    QTest::newRow("bare address named .mp3") << "y.mp3"
                                             << "%1/b.mp3\n";
    QTest::newRow("M3U named .m3u") << "z.m3u"
                                    << "%1/c.mp3\n%2\n";
    QTest::newRow("HLS named .mp4")
        << "h.mp4"
        << "#EXTM3U\n#EXT-X-TARGETDURATION:2\n#EXTINF:2,\n%1/s.ts\n#EXT-X-ENDLIST\n";
    QTest::newRow("M3U named .cue") << "k.cue"
                                    << "#EXTM3U\n%1/d.mp3\n";
    QTest::newRow("cue sheet with an address")
        << "n.cue"
        << "FILE \"%1/e.wav\" WAVE\n  TRACK 01 AUDIO\n    INDEX 01 00:00:00\n";
}

void TestMpvEngine::aPickedFileNeverReachesTheNetwork() {
    QFETCH(QString, name);
    QFETCH(QString, content);
    QTcpServer listener;
    QVERIFY(listener.listen(QHostAddress::LocalHost));
    const QString address = QStringLiteral("http://127.0.0.1:%1").arg(listener.serverPort());
    const QString path = temp_.filePath(name);
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write(QString(content)
                   .replace(QLatin1String("%1"), address)
                   .replace(QLatin1String("%2"), TestClips::shortClip(1))
                   .toUtf8());
    file.close();

    MpvEngine engine(headless());
    // Played as the file it is, which is no media: refused.
    QVERIFY(!opens(engine, path));
    QVERIFY(!listener.waitForNewConnection(500));
}

void TestMpvEngine::pickedMediaFilesStillPlay_data() {
    QTest::addColumn<QString>("clip");
    const QStringList sine{"-f", "lavfi", "-i", "sine=f=500:d=2"};
    QTest::newRow("wav") << TestClips::shortClip(2);
    QTest::newRow("mp3") << TestClips::make("sine-2s.mp3", sine);
    QTest::newRow("mp4") << TestClips::make(
        "pattern-2s.mp4", {"-f", "lavfi", "-i", "testsrc=d=2:s=64x48", "-pix_fmt", "yuv420p"});
    QTest::newRow("mkv") << TestClips::videoClip();
    // A cue sheet finds its sound file beside it.
    const QString cue = temp_.filePath("album.cue");
    QFile::copy(TestClips::shortClip(2), temp_.filePath("album.wav"));
    QFile sheet(cue);
    if (sheet.open(QIODevice::WriteOnly))
        sheet.write("FILE \"album.wav\" WAVE\n  TRACK 01 AUDIO\n    INDEX 01 00:00:00\n"
                    "  TRACK 02 AUDIO\n    INDEX 01 00:01:00\n");
    QTest::newRow("cue") << cue;
}

void TestMpvEngine::pickedMediaFilesStillPlay() {
    QFETCH(QString, clip);
    QVERIFY(!clip.isEmpty());
    MpvEngine engine(headless());
    QVERIFY(engine.setFileName(clip));
    QTRY_VERIFY_WITH_TIMEOUT(engine.currentPosition().value_or(0) > 0.2, PatientWaitMs);
}

Wav TestMpvEngine::render(const std::function<void(MpvEngine&)>& before, const QString& clip,
                          const std::function<void(MpvEngine&)>& after) {
    static int run = 0;
    const QString wavPath = temp_.filePath(QStringLiteral("out-%1.wav").arg(++run));
    {
        MpvEngineOptions options = headless();
        options.audioOutput = QStringLiteral("pcm");
        options.audioFile = wavPath;
        MpvEngine engine(options);
        QSignalSpy ended(&engine, &MpvEngine::EndOfStream);
        if (before)
            before(engine);
        if (!engine.setFileName(clip))
            return {};
        if (after)
            after(engine);
        if (ended.isEmpty() && !ended.wait(15000))
            return {};
    } // the WAV header is finished when the engine goes
    return readWav(wavPath);
}

void TestMpvEngine::levels_data() {
    QTest::addColumn<int>("volume");
    QTest::addColumn<int>("balance");
    QTest::addColumn<bool>("mute");
    QTest::addColumn<double>("leftDrop");
    QTest::addColumn<double>("rightDrop");
    QTest::newRow("volume -8 dB") << -800 << 0 << false << 8.0 << 8.0;
    QTest::newRow("volume -25 dB") << -2500 << 0 << false << 25.0 << 25.0;
    QTest::newRow("volume -0.37 dB") << -37 << 0 << false << 0.37 << 0.37;
    QTest::newRow("balance -10 dB") << 0 << -1000 << false << 0.0 << 10.0;
    QTest::newRow("balance +10 dB") << 0 << 1000 << false << 10.0 << 0.0;
    QTest::newRow("balance +50 dB") << 0 << 5000 << false << 50.0 << 0.0;
    QTest::newRow("volume and balance") << -600 << -300 << false << 6.0 << 9.0;
    QTest::newRow("mute") << 0 << 0 << true << kSilence << kSilence;
}

void TestMpvEngine::levels() {
    QFETCH(int, volume);
    QFETCH(int, balance);
    QFETCH(bool, mute);
    QFETCH(double, leftDrop);
    QFETCH(double, rightDrop);
    const QString clip = TestClips::sineClip();
    const Wav reference = render(nullptr, clip);
    const Wav changed = render(
        [&](MpvEngine& engine) {
            QVERIFY(engine.setVolume(volume));
            QVERIFY(engine.setBalance(balance));
            QVERIFY(engine.setMute(mute));
            QCOMPARE(engine.balance().value_or(0), balance);
        },
        clip);
    QCOMPARE(reference.channels, 2);
    QCOMPARE(changed.channels, 2);
    QVERIFY(std::abs(changed.seconds() - 3.0) < 0.2);
    const double drops[] = {leftDrop, rightDrop};
    for (int channel = 0; channel < 2; ++channel) {
        const double drop =
            reference.levelDb(channel, 0.5, 2.5) - changed.levelDb(channel, 0.5, 2.5);
        qInfo("channel %d: %.3f dB down (want %.2f)", channel, drop, drops[channel]);
        if (drops[channel] == kSilence) {
            QVERIFY(changed.levelDb(channel, 0.5, 2.5) < -90);
            continue;
        }
        QVERIFY2(std::abs(drop - drops[channel]) <= 0.3, qPrintable(QString::number(drop)));
    }
}

void TestMpvEngine::changesMidFileKeepPlaying() {
    MpvEngine engine(headless());
    QVERIFY(engine.setFileName(TestClips::shortClip(10)));
    QTRY_VERIFY_WITH_TIMEOUT(engine.currentPosition().value_or(0) > 0.3, PatientWaitMs);
    QSignalSpy ended(&engine, &MpvEngine::EndOfStream);
    double last = engine.currentPosition().value_or(0);
    const std::function<bool()> changes[] = {
        [&] { return engine.setVolume(-800); }, [&] { return engine.setBalance(-1000); },
        [&] { return engine.setMute(true); },   [&] { return engine.setMute(false); },
        [&] { return engine.setVolume(0); },    [&] { return engine.setBalance(2000); }};
    for (const auto& change : changes) {
        QVERIFY(change());
        // Neither restarted (position would drop) nor paused (would stand).
        const auto position = [&] { return engine.currentPosition().value_or(0); };
        QTRY_VERIFY_WITH_TIMEOUT(position() > last + 0.1 || position() < last, PatientWaitMs);
        const double now = position();
        QVERIFY2(now > last + 0.1, qPrintable(QStringLiteral("%1 -> %2").arg(last).arg(now)));
        last = now;
    }
    QCOMPARE(ended.count(), 0);
}

void TestMpvEngine::liveChangesReachTheSound_data() {
    QTest::addColumn<bool>("seekAfter");
    QTest::newRow("in place") << false;
    QTest::newRow("then seek") << true;
}

void TestMpvEngine::liveChangesReachTheSound() {
    // The pcm output runs ahead of real time, so the file is paused at once
    // and changed while paused: the end of the sound must then be quieter by
    // exactly the change, also after a seek rebuilds the audio pipeline.
    QFETCH(bool, seekAfter);
    const QString clip = TestClips::shortClip(20);
    const Wav reference = render(nullptr, clip);
    const Wav changed = render(nullptr, clip, [&](MpvEngine& engine) {
        QVERIFY(engine.pause()); // the file loads paused
        QTRY_VERIFY(!engine.isOpening());
        QVERIFY(engine.setCurrentPosition(5));
        QTest::qWait(500);
        const double at = engine.currentPosition().value_or(-1);
        qInfo("changed at %.3f s", at);
        QVERIFY(engine.setVolume(-800));
        QVERIFY(engine.setBalance(1000));
        if (seekAfter)
            QVERIFY(engine.setCurrentPosition(10));
        QTest::qWait(500);
        QVERIFY(engine.play());
    });
    const double expectedLength = reference.seconds() - (seekAfter ? 10 : 5);
    qInfo("lengths %.6f %.6f", reference.seconds(), changed.seconds());
    QVERIFY(std::abs(changed.seconds() - expectedLength) < 0.3);
    const double end = changed.seconds() - 0.5;
    const double refEnd = reference.seconds() - 0.5;
    const double leftDrop =
        reference.levelDb(0, refEnd - 1, refEnd) - changed.levelDb(0, end - 1, end);
    const double rightDrop =
        reference.levelDb(1, refEnd - 1, refEnd) - changed.levelDb(1, end - 1, end);
    qInfo("live change: left %.3f dB, right %.3f dB down", leftDrop, rightDrop);
    QVERIFY(std::abs(leftDrop - 18.0) <= 0.3);
    QVERIFY(std::abs(rightDrop - 8.0) <= 0.3);
}

void TestMpvEngine::pictureOffLeavesTheSoundWhole() {
    // Hiding the video window switches the video track off while the sound
    // plays: the sound must come out sample for sample as without it.
    const QString clip = TestClips::testPatternClip(6);
    const Wav reference = render(nullptr, clip);
    const Wav switched = render(nullptr, clip, [&](MpvEngine& engine) {
        QTRY_VERIFY_WITH_TIMEOUT(engine.currentPosition().value_or(0) > 1, PatientWaitMs);
        engine.setPictureShown(false);
    });
    QCOMPARE(switched.samples.at(0).size(), reference.samples.at(0).size());
    double worst = 0;
    for (size_t i = 0; i < reference.samples[0].size(); ++i)
        worst = std::max(worst, std::abs(switched.samples[0][i] - reference.samples[0][i]));
    QVERIFY2(worst < 1e-3, qPrintable(QString::number(worst)));
}

// Chinese subtitle files are mostly GBK; UTF-8 ones must still read.
void TestMpvEngine::subtitlesBesideAClipReadInEitherEncoding_data() {
    QTest::addColumn<QByteArray>("text");
    QTest::newRow("GBK") << QByteArray("\xD6\xD0\xCE\xC4\xD7\xD6\xC4\xBB");
    QTest::newRow("UTF-8") << QStringLiteral("中文字幕").toUtf8();
}

void TestMpvEngine::subtitlesBesideAClipReadInEitherEncoding() {
    QFETCH(QByteArray, text);
    const QString clip =
        temp_.filePath(QStringLiteral("subtitled-%1.mkv").arg(QTest::currentDataTag()));
    QVERIFY(QFile::copy(TestClips::testPatternClip(3), clip));
    QFile subtitles(QString(clip).replace(QLatin1String(".mkv"), QLatin1String(".srt")));
    QVERIFY(subtitles.open(QIODevice::WriteOnly));
    subtitles.write("1\r\n00:00:00,000 --> 00:00:03,000\r\n" + text + "\r\n\r\n");
    subtitles.close();
    MpvEngine engine(headless());
    QVERIFY(opens(engine, clip));
    const auto shown = [&] {
        char* value = mpv_get_property_string(engine.handle(), "sub-text");
        const QString line = QString::fromUtf8(value ? value : "");
        mpv_free(value);
        return line;
    };
    QTRY_COMPARE_WITH_TIMEOUT(shown(), QStringLiteral("中文字幕"), PatientWaitMs);
}

// "Open with" on a file whose name is GBK bytes: the bytes reach mpv, and
// the file's own tone comes out.
void TestMpvEngine::aNameInGbkFromTheCommandLinePlays() {
    const QByteArray name = Gb18030::encode(QStringLiteral("中文.wav"));
    const QByteArray link = QFile::encodeName(temp_.path()) + '/' + name;
    QVERIFY(::symlink(QFile::encodeName(TestClips::shortClip(1, 660)).constData(), link) == 0);
    char* argv[] = {nullptr, const_cast<char*>(name.constData())};
    const QStringList paths = AbsoluteFilePaths(LocalArguments(2, argv), temp_.path());
    const Wav sound = render(nullptr, paths.value(0));
    ::unlink(link.constData());
    QVERIFY(sound.seconds() > 0.9);
    QVERIFY(std::abs(sound.frequencyHz(0, 0.1, 0.9) - 660) < 10);
}

QTEST_GUILESS_MAIN(TestMpvEngine)
#include "tst_mpv_engine.moc"

void TestMpvEngine::tagTextInEitherEncoding_data() {
    QTest::addColumn<QByteArray>("raw");
    QTest::addColumn<QString>("text");
    QTest::newRow("UTF-8") << QStringLiteral("你好").toUtf8() << "你好";
    QTest::newRow("GBK bytes") << QByteArray("\xC4\xE3\xBA\xC3") << "你好";
    // ID3v2's Latin-1 frames: mpv hands GBK over read as Latin-1.
    QTest::newRow("GBK read as Latin-1")
        << QByteArray("\xC3\x84\xC3\xA3\xC2\xBA\xC3\x83") << "你好";
    QTest::newRow("Latin-1 bytes") << QByteArray("Bj\xF6rk") << "Björk";
    QTest::newRow("Latin-1 as UTF-8") << QByteArray("Bj\xC3\xB6rk") << "Björk";
    QTest::newRow("UTF-8 twice") << QByteArray("\xC3\x83\xC2\xA9") << "Ã©";
}

void TestMpvEngine::tagTextInEitherEncoding() {
    QFETCH(QByteArray, raw);
    QTEST(TagText(raw), "text");
}
