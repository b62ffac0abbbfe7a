// The installed player, started from its desktop entry's Exec line, driven
// through its MPRIS interface by a real D-Bus client. Runs in a session bus
// of its own (dbus-run-session) on a real X server.
#include "platform/settings_store.h"
#include "support/installed_copy.h"
#include "support/patience.h"
#include "support/test_clips.h"

#include <QDBusArgument>
#include <QDBusConnection>
#include <QDBusConnectionInterface>
#include <QDBusInterface>
#include <QDBusObjectPath>
#include <QDBusReply>
#include <QDBusVariant>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>
#include <QUrl>
#include <utility>

namespace {

const QString Service = QStringLiteral("org.mpris.MediaPlayer2.sonvela");
const QString ObjectPath = QStringLiteral("/org/mpris/MediaPlayer2");
const QString Root = QStringLiteral("org.mpris.MediaPlayer2");
const QString Player = QStringLiteral("org.mpris.MediaPlayer2.Player");
const QString Properties = QStringLiteral("org.freedesktop.DBus.Properties");

QVariant Get(const QString& interface, const QString& name) {
    QDBusInterface properties(Service, ObjectPath, Properties);
    const QDBusReply<QDBusVariant> reply = properties.call("Get", interface, name);
    return reply.isValid() ? reply.value().variant() : QVariant();
}

QVariantMap Metadata() {
    return qdbus_cast<QVariantMap>(Get(Player, "Metadata").value<QDBusArgument>());
}

QString PlayingUrl() {
    return Metadata().value("xesam:url").toString();
}

QString Status() {
    return Get(Player, "PlaybackStatus").toString();
}

qlonglong Position() {
    return Get(Player, "Position").toLongLong();
}

void Call(const QString& method, const QVariantList& arguments = {}) {
    QDBusInterface player(Service, ObjectPath, Player);
    const QDBusMessage reply = player.callWithArgumentList(QDBus::Block, method, arguments);
    QVERIFY2(reply.type() == QDBusMessage::ReplyMessage, qPrintable(reply.errorMessage()));
}

QString FileUrl(const QString& path) {
    return QUrl::fromLocalFile(path).toString();
}

} // namespace

class TestE2eMpris : public QObject {
    Q_OBJECT
  private:
    QTemporaryDir root_;
    QProcessEnvironment env_;
    QProcess player_;
    QString a_, b_, c_;
    // Properties named by PropertiesChanged, in order of arrival.
    QStringList changed_;
    // Every Metadata and PlaybackStatus clients were told of, in order.
    QList<QVariantMap> metadataSeen_;
    QStringList statusSeen_;

    QString prefix() const { return root_.path() + "/prefix"; }

    // A start of the installed program as a file manager makes it: the
    // desktop entry's Exec line with %F replaced by the files.
    void startFromDesktopEntry(QProcess& process, const QStringList& files) {
        QStringList command = DesktopEntryValue(prefix(), "Exec").split(' ');
        const qsizetype fileField = command.indexOf("%F");
        QVERIFY(fileField > 0);
        command.removeAt(fileField);
        for (qsizetype i = 0; i < files.size(); ++i)
            command.insert(fileField + i, files[i]);
        process.setProcessEnvironment(env_);
        process.setWorkingDirectory(root_.path());
        process.start(prefix() + "/bin/" + command.takeFirst(), command);
        QVERIFY(process.waitForStarted());
    }

  private slots:
    void onPropertiesChanged(const QString& interface, const QVariantMap& changed,
                             const QStringList&) {
        if (interface != Player)
            return;
        changed_ << changed.keys();
        if (changed.contains("Metadata"))
            metadataSeen_ << qdbus_cast<QVariantMap>(changed.value("Metadata"));
        if (changed.contains("PlaybackStatus"))
            statusSeen_ << changed.value("PlaybackStatus").toString();
    }

    void initTestCase() {
        QVERIFY(QDBusConnection::sessionBus().isConnected());
        QVERIFY(root_.isValid());
        const QString failure = InstallInto(prefix());
        QVERIFY2(failure.isEmpty(), qPrintable(failure));
        a_ = TestClips::shortClip(30, 440);
        b_ = TestClips::shortClip(30, 550);
        c_ = TestClips::shortClip(30, 660);
        QVERIFY(!a_.isEmpty() && !b_.isEmpty() && !c_.isEmpty());
        // The saved playlist holds a; tips stay closed.
        QVERIFY(QDir().mkpath(root_.path() + "/data/sonvela"));
        QFile titles(root_.path() + "/data/sonvela/load.lwo");
        QVERIFY(titles.open(QIODevice::WriteOnly));
        titles.write(QFileInfo(a_).fileName().toUtf8() + "\r\n");
        titles.close();
        QFile paths(root_.path() + "/data/sonvela/load1.lwo");
        QVERIFY(paths.open(QIODevice::WriteOnly));
        paths.write(a_.toUtf8() + "\r\n");
        paths.close();
        SettingsStore(root_.path() + "/config/sonvela")
            .write("sonvela", "Options", "Show Tips at startup", "0");
        QDir().mkpath(root_.path() + "/run");
        QFile::setPermissions(root_.path() + "/run",
                              QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
        env_ = QProcessEnvironment::systemEnvironment();
        env_.insert("XDG_RUNTIME_DIR", root_.path() + "/run");
        env_.insert("XDG_CONFIG_HOME", root_.path() + "/config");
        env_.insert("XDG_DATA_HOME", root_.path() + "/data");
        env_.insert("XDG_CACHE_HOME", root_.path() + "/cache");
        QDBusConnection::sessionBus().connect(
            Service, ObjectPath, Properties, "PropertiesChanged", this,
            SLOT(onPropertiesChanged(QString, QVariantMap, QStringList)));
    }

    void cleanupTestCase() {
        if (player_.state() != QProcess::NotRunning) {
            player_.kill();
            player_.waitForFinished();
        }
    }

    void startsOnTheBusPlayingTheFileItWasGiven() {
        startFromDesktopEntry(player_, {b_});
        QTRY_VERIFY_WITH_TIMEOUT(
            QDBusConnection::sessionBus().interface()->isServiceRegistered(Service), PatientWaitMs);
        QCOMPARE(Get(Root, "Identity").toString(), QString("Sonvela"));
        QCOMPARE(Get(Root, "DesktopEntry").toString(), QString("sonvela"));
        QTRY_COMPARE_WITH_TIMEOUT(PlayingUrl(), FileUrl(b_), PatientWaitMs);
        QTRY_COMPARE_WITH_TIMEOUT(Status(), QString("Playing"), PatientWaitMs);
        const QVariantMap metadata = Metadata();
        QCOMPARE(metadata.value("xesam:title").toString(), QFileInfo(b_).fileName());
        QVERIFY(qAbs(metadata.value("mpris:length").toLongLong() - 30'000'000) < 200'000);
        QVERIFY(metadata.value("mpris:trackid").value<QDBusObjectPath>().path().size() > 1);
    }

    void positionIsReadWhenAsked() {
        const qlonglong before = Position();
        QTRY_VERIFY_WITH_TIMEOUT(Position() > before + 300'000, PatientWaitMs);
    }

    void pauseAndPlayChangeTheStatusAndSignalIt() {
        changed_.clear();
        Call("PlayPause");
        QTRY_COMPARE_WITH_TIMEOUT(Status(), QString("Paused"), PatientWaitMs);
        QTRY_VERIFY_WITH_TIMEOUT(changed_.contains("PlaybackStatus"), PatientWaitMs);
        // The position holds, once mpv's last report from before the pause is in.
        qlonglong held = Position();
        QTRY_VERIFY_WITH_TIMEOUT(
            [&] {
                QTest::qWait(400);
                const qlonglong before = std::exchange(held, Position());
                return held == before;
            }(),
            PatientWaitMs);
        // Asking for the state it is in changes nothing, once or twice.
        for (const char* again : {"Pause", "Pause"}) {
            Call(again);
            QTest::qWait(200);
            QCOMPARE(Status(), QString("Paused"));
        }
        for (const char* resume : {"Play", "Play"}) {
            Call(resume);
            QTRY_COMPARE_WITH_TIMEOUT(Status(), QString("Playing"), PatientWaitMs);
        }
    }

    // Only in the open track: a track open before, or no place in this
    // one, moves nothing.
    void setPositionSeeksInTheOpenTrack_data() {
        QTest::addColumn<int>("trackOffset"); // from the open track's number
        QTest::addColumn<qlonglong>("position");
        QTest::addColumn<bool>("seeks");
        QTest::newRow("open track") << 0 << qlonglong(20'000'000) << true;
        QTest::newRow("stale track") << -1 << qlonglong(5'000'000) << false;
        QTest::newRow("negative") << 0 << qlonglong(-1'000'000) << false;
        QTest::newRow("past the end") << 0 << qlonglong(31'000'000) << false;
    }
    void setPositionSeeksInTheOpenTrack() {
        QFETCH(int, trackOffset);
        QFETCH(qlonglong, position);
        QFETCH(bool, seeks);
        Call("Pause");
        QTRY_COMPARE_WITH_TIMEOUT(Status(), QString("Paused"), PatientWaitMs);
        QTest::qWait(300); // mpv's last report from before the pause
        QString track = Metadata().value("mpris:trackid").value<QDBusObjectPath>().path();
        track = track.section('/', 0, -2) + '/' +
                QString::number(track.section('/', -1).toInt() + trackOffset);
        const qlonglong held = Position();
        Call("SetPosition", {QVariant::fromValue(QDBusObjectPath(track)), position});
        QTest::qWait(1000);
        Call("Play"); // a paused player reports the new place once it plays
        QTRY_VERIFY_WITH_TIMEOUT(seeks ? Position() >= position && Position() < position + 5'000'000
                                       : qAbs(Position() - held) < 1'500'000,
                                 PatientWaitMs);
        QCOMPARE(PlayingUrl(), FileUrl(b_));
    }

    void volumeIsTheVolumeBar() {
        // Start-up puts the bar at 1700 of 2500.
        QCOMPARE(Get(Player, "Volume").toDouble(), 0.68);
        changed_.clear();
        QDBusInterface properties(Service, ObjectPath, Properties);
        properties.call("Set", Player, "Volume", QVariant::fromValue(QDBusVariant(0.5)));
        QTRY_COMPARE_WITH_TIMEOUT(Get(Player, "Volume").toDouble(), 0.5, PatientWaitMs);
        QTRY_VERIFY_WITH_TIMEOUT(changed_.contains("Volume"), PatientWaitMs);
        // Levels no bar can show change nothing.
        for (const double level : {qQNaN(), qInf(), -qInf(), -0.25})
            properties.call("Set", Player, "Volume", QVariant::fromValue(QDBusVariant(level)));
        QTest::qWait(300);
        QCOMPARE(Get(Player, "Volume").toDouble(), 0.5);
    }

    void nextPlaysFromTheTrackNumberAndStopStops() {
        changed_.clear();
        metadataSeen_.clear();
        statusSeen_.clear();
        // The file given at start plays as entry 2: next wraps round to entry 1.
        Call("Next");
        QTRY_COMPARE_WITH_TIMEOUT(PlayingUrl(), FileUrl(a_), PatientWaitMs);
        QTRY_VERIFY_WITH_TIMEOUT(changed_.contains("Metadata"), PatientWaitMs);
        // Clients go straight to the new track, with its length.
        QTRY_VERIFY_WITH_TIMEOUT(!metadataSeen_.isEmpty(), PatientWaitMs);
        for (const QVariantMap& seen : metadataSeen_) {
            QCOMPARE(seen.value("xesam:url").toString(), FileUrl(a_));
            QVERIFY(seen.contains("mpris:length"));
        }
        QVERIFY(!statusSeen_.contains("Stopped"));
        Call("Next");
        QTRY_COMPARE_WITH_TIMEOUT(PlayingUrl(), FileUrl(b_), PatientWaitMs);
        Call("Stop");
        QTRY_COMPARE_WITH_TIMEOUT(Status(), QString("Stopped"), PatientWaitMs);
    }

    void secondStartHandsItsFileOverAndEnds() {
        QProcess second;
        startFromDesktopEntry(second, {c_});
        QVERIFY(second.waitForFinished(PatientWaitMs));
        QCOMPARE(second.exitCode(), 0);
        QTRY_COMPARE_WITH_TIMEOUT(PlayingUrl(), FileUrl(c_), PatientWaitMs);
        QTRY_COMPARE_WITH_TIMEOUT(Status(), QString("Playing"), PatientWaitMs);
    }

    // Only absolute file URIs: "file:b.wav" would name a file in whatever
    // folder the player was started from.
    void openUriTakesOnlyAbsoluteFileUris() {
        QVERIFY(QFile::copy(a_, root_.path() + "/b.wav"));
        Call("OpenUri", {QStringLiteral("file:b.wav")});
        QTest::qWait(1500);
        QCOMPARE(PlayingUrl(), FileUrl(c_));
        Call("OpenUri", {FileUrl(a_)});
        QTRY_COMPARE_WITH_TIMEOUT(PlayingUrl(), FileUrl(a_), PatientWaitMs);
    }

    void secondStartWithoutFilesKeepsTheWarning() {
        QProcess second;
        startFromDesktopEntry(second, {});
        // It waits on the "already running" message box.
        QVERIFY(!second.waitForFinished(1500));
        second.kill();
        second.waitForFinished();
        QCOMPARE(player_.state(), QProcess::Running);
    }

    void tagsAndCoverReachTheDesktop_data() {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QString>("title"); // empty: the file's name
        QTest::addColumn<QStringList>("artists");
        QTest::addColumn<QString>("album");
        QTest::addColumn<int>("track");
        QTest::addColumn<QStringList>("genres");
        QTest::newRow("UTF-8 ID3v2") << "utf8.mp3"
                                     << "你好世界" << QStringList{"歌手甲", "歌手乙"} << "专辑乙"
                                     << 3 << QStringList{"流行"};
        QTest::newRow("GBK ID3v1") << "gbk.mp3"
                                   << "你好" << QStringList{"歌手"} << "专辑" << 0 << QStringList{};
        QTest::newRow("FLAC") << "tagged.flac"
                              << "Flac 标题" << QStringList{"乐队"} << "" << 0 << QStringList{};
        QTest::newRow("MP4") << "tagged.m4a"
                             << "M4A 标题" << QStringList{} << "专辑丙" << 0 << QStringList{};
        QTest::newRow("cover beside") << "untagged.mp3"
                                      << "" << QStringList{} << "" << 0 << QStringList{};
        QTest::newRow("untagged") << "untagged.wav"
                                  << "" << QStringList{} << "" << 0 << QStringList{};
    }
    void tagsAndCoverReachTheDesktop() {
        QFETCH(QString, name);
        QFETCH(QString, title);
        TestClips::TaggedClip clip;
        for (const TestClips::TaggedClip& each : TestClips::taggedClips())
            if (each.name == name)
                clip = each;
        QVERIFY(!clip.path.isEmpty());
        metadataSeen_.clear();
        Call("OpenUri", {FileUrl(clip.path)});
        QTRY_COMPARE_WITH_TIMEOUT(PlayingUrl(), FileUrl(clip.path), PatientWaitMs);
        QTRY_COMPARE_WITH_TIMEOUT(Metadata().value("xesam:title").toString(),
                                  title.isEmpty() ? QFileInfo(clip.path).fileName() : title,
                                  PatientWaitMs);
        QTRY_COMPARE_WITH_TIMEOUT(Metadata().contains("mpris:artUrl"), !clip.picture.isEmpty(),
                                  PatientWaitMs);
        QTest::qWait(500); // a cover found late would come by now
        const QVariantMap metadata = Metadata();
        QTEST(metadata.value("xesam:artist").toStringList(), "artists");
        QTEST(metadata.value("xesam:album").toString(), "album");
        QTEST(metadata.value("xesam:trackNumber").toInt(), "track");
        QTEST(metadata.value("xesam:genre").toStringList(), "genres");
        // Never the cover of another file, not even for a moment.
        const QString art = metadata.value("mpris:artUrl").toString();
        for (const QVariantMap& seen : metadataSeen_)
            if (seen.value("xesam:url") == FileUrl(clip.path) && seen.contains("mpris:artUrl"))
                QCOMPARE(seen.value("mpris:artUrl").toString(), art);
        if (clip.picture.isEmpty())
            return;
        const QString copy = QUrl(art).toLocalFile();
        QVERIFY2(copy.startsWith(root_.path() + "/cache/sonvela/covers/"), qPrintable(copy));
        QFile kept(copy), picture(clip.picture);
        QVERIFY(kept.open(QIODevice::ReadOnly) && picture.open(QIODevice::ReadOnly));
        QCOMPARE(kept.readAll(), picture.readAll());
    }

    void quitEndsThePlayer() {
        // It ends as "关闭程序" does, once its caller has its answer.
        const QDBusMessage reply = QDBusInterface(Service, ObjectPath, Root).call("Quit");
        QCOMPARE(reply.type(), QDBusMessage::ReplyMessage);
        QVERIFY(player_.waitForFinished(PatientWaitMs));
        QTRY_VERIFY_WITH_TIMEOUT(
            !QDBusConnection::sessionBus().interface()->isServiceRegistered(Service),
            PatientWaitMs);
    }
};

QTEST_MAIN(TestE2eMpris)
#include "tst_e2e_mpris.moc"
