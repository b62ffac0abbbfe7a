#include "engine/playback_policy.h"

#include <QTest>

namespace {

// Records what the policy asks of the core and tells the program, one line
// each: "load a@12.5", "append b", "drop", "pause yes", "seek 0", "stop";
// "opened", "failed b", "eos", "moved b".
struct Recorder : PlaybackPolicy::Core, PlaybackPolicy::Listener {
    QStringList log;
    uint64_t requests = 0;

    uint64_t load(const QString& path, PlaybackPolicy::Source, double start) override {
        log << QStringLiteral("load %1@%2").arg(path).arg(start);
        return ++requests;
    }
    uint64_t append(const QString& path) override {
        log << "append " + path;
        return ++requests;
    }
    void dropQueued() override { log << "drop"; }
    void setPaused(bool paused) override { log << (paused ? "pause yes" : "pause no"); }
    void seek(double seconds) override { log << "seek " + QString::number(seconds); }
    void stop() override { log << "stop"; }
    void stateChanged() override {}
    void openFailed(const QString& path) override { log << "failed " + path; }
    void endOfStream() override { log << "eos"; }
    void movedOn(const QString& path) override { log << "moved " + path; }
    void opened() override { log << "opened"; }
};

const char* const kStates[] = {"idle", "opening", "playing", "paused", "stopped"};

CoreEvent::EndReason reasonNamed(const QString& name) {
    if (name == QLatin1String("eof"))
        return CoreEvent::EndReason::Eof;
    return name == QLatin1String("error") ? CoreEvent::EndReason::Error
                                          : CoreEvent::EndReason::Stop;
}

// Runs one step of a script: a request of the program ("open b", "list v",
// "play", "pause", "stop", "next b", "seek 3") or a report of the core
// ("reply <request> <entry>", "start <entry>", "restart", "pos <s>",
// "end <entry> eof|error|stop", "idle"). Returns "refused" for a request
// turned down.
QString runStep(PlaybackPolicy& policy, const QString& step) {
    const QStringList w = step.split(' ');
    const QString arg = w.value(1);
    bool ok = true;
    CoreEvent event;
    if (w[0] == "open" || w[0] == "list")
        ok = policy.open(arg, w[0] == "open" ? PlaybackPolicy::Source::UserFile
                                             : PlaybackPolicy::Source::OwnPlaylist);
    else if (w[0] == "play")
        ok = policy.play();
    else if (w[0] == "pause")
        ok = policy.pause();
    else if (w[0] == "stop")
        ok = policy.stop();
    else if (w[0] == "seek")
        ok = policy.seek(arg.toDouble());
    else if (w[0] == "next")
        policy.setNext(arg);
    else if (w[0] == "pos")
        policy.onPosition(arg.toDouble());
    else {
        const std::map<QString, CoreEvent::Kind> kinds{
            {"reply", CoreEvent::Kind::Reply},
            {"start", CoreEvent::Kind::StartFile},
            {"restart", CoreEvent::Kind::PlaybackRestart},
            {"end", CoreEvent::Kind::EndFile},
            {"idle", CoreEvent::Kind::Idle}};
        event.kind = kinds.at(w[0]);
        event.reply = event.kind == CoreEvent::Kind::Reply ? arg.toULongLong() : 0;
        event.entry = (event.kind == CoreEvent::Kind::Reply ? w.value(2) : arg).toLongLong();
        event.reason = reasonNamed(w.value(2));
        event.error = event.reason == CoreEvent::EndReason::Error ? -16 : 0;
        policy.onEvent(event);
    }
    return ok ? QString() : QStringLiteral("refused");
}

// File a opened and playing: its first samples are out.
const QString kPlaying = QStringLiteral("open a; reply 1 1; start 1; restart; pos 0; pos 0.1; ");

} // namespace

class TestPlaybackPolicy : public QObject {
    Q_OBJECT

  private slots:
    void scripts_data() {
        QTest::addColumn<QString>("script");
        QTest::addColumn<QString>("log");
        QTest::addColumn<QString>("state");
        QTest::addColumn<QString>("heard");
        const QString a = "pause yes | load a@0 | pause no | opened";
        QTest::newRow("a picture shown that does not play on: still opening")
            << "open a; reply 1 1; start 1; restart; pos 0"
            << "pause yes | load a@0 | pause no"
            << "opening"
            << "";
        QTest::newRow("old file ends while a newer one opens: no move on")
            << kPlaying + "open b; end 1 eof; idle; reply 2 2; start 2; restart; pos 0; pos 0.1"
            << a + " | pause yes | load b@0 | pause no | opened"
            << "playing"
            << "b";
        QTest::newRow("loads but cannot decode: the old file again, where it was")
            << kPlaying +
                   "pos 12.5; open b; reply 2 2; end 1 stop; start 2; restart; "
                   "pos 0; end 2 error; idle; reply 3 3; start 3; restart; pos 12.5; pos 12.6"
            << a + " | pause yes | load b@0 | pause no | pause yes | load a@12.5 | failed b | "
                   "pause no | opened"
            << "playing"
            << "a";
        QTest::newRow("refused while paused: back paused, never heard meanwhile")
            << kPlaying + "pause; pos 4; open b; reply 2 2; start 2; end 2 error; "
                          "reply 3 3; start 3; restart"
            << a + " | pause yes | load b@0 | pause no | pause yes | load a@4 | failed b | opened"
            << "paused"
            << "a";
        QTest::newRow("after Stop the new file is let go only once it began")
            << kPlaying + "stop; open b; reply 2 2; end 1 stop; start 2; restart; pos 0; pos 0.1"
            << a + " | pause yes | seek 0 | load b@0 | pause no | opened"
            << "playing"
            << "b";
        QTest::newRow("refused while stopped: back halted at the start")
            << kPlaying + "pos 3; stop; open b; reply 2 2; start 2; end 2 error; "
                          "reply 3 3; start 3; restart"
            << a + " | pause yes | seek 0 | load b@0 | pause no | pause yes | load a@0 | "
                   "failed b | opened"
            << "stopped"
            << "a";
        QTest::newRow("a later open supersedes a pending one; the same one twice loads once")
            << kPlaying + "open b; open b; open c; reply 2 2; reply 3 3; start 2; end 2 stop; "
                          "start 3; restart; pos 0; pos 0.1"
            << a + " | pause yes | load b@0 | load c@0 | pause no | opened"
            << "playing"
            << "c";
        QTest::newRow("a missing file is refused before anything changes")
            << kPlaying + "next b; reply 2 2; open missing" << a + " | append b | refused"
            << "playing"
            << "a";
        QTest::newRow("Stop during an open gives it up; Play asks again")
            << kPlaying + "open b; reply 2 2; stop; end 2 stop; idle; play"
            << a + " | pause yes | load b@0 | stop | load b@0"
            << "opening"
            << "b";
        QTest::newRow("the end of the file heard, then Play starts it again")
            << kPlaying + "end 1 eof; idle; play" << a + " | eos | pause yes | load a@0"
            << "opening"
            << "a";
        QTest::newRow("the end of a file nobody plays any more is no end")
            << kPlaying + "end 7 eof; idle" << a << "playing"
            << "a";
        QTest::newRow("failing with nothing before: idle, Play does not retry")
            << "open b; reply 1 1; start 1; restart; end 1 error; idle; play"
            << "pause yes | load b@0 | pause no | failed b | refused"
            << "idle"
            << "";
        QTest::newRow("the file before fails too: idle")
            << kPlaying + "open b; reply 2 2; start 2; end 2 error; reply 3 3; start 3; "
                          "end 3 error; idle"
            << a + " | pause yes | load b@0 | pause no | pause yes | load a@0.1 | failed b | pause "
                   "no"
            << "idle"
            << "a";
        QTest::newRow("paused while opening: plays paused")
            << kPlaying + "open b; pause; reply 2 2; start 2; restart"
            << a + " | pause yes | load b@0 | opened"
            << "paused"
            << "b";
        QTest::newRow("queued once the file plays; the core's move is followed")
            << "next b; " + kPlaying + "reply 2 2; end 1 eof; start 2"
            << a + " | append b | moved b | opened"
            << "playing"
            << "b";
        QTest::newRow("queued file replaced, dropped, missing one not queued")
            << kPlaying + "next b; next c; next missing; next c"
            << a + " | append b | drop | append c | drop | append c"
            << "playing"
            << "a";
        QTest::newRow("another open drops the queued file, queued again once it plays")
            << kPlaying + "next b; reply 2 2; open c; reply 3 3; start 3; restart; pos 0; pos 0.2"
            << a + " | append b | pause yes | load c@0 | pause no | opened | append b"
            << "playing"
            << "c";
        QTest::newRow("the core went on to a file dropped too late: stopped, then the end")
            << kPlaying + "next b; reply 2 2; next c; reply 3 3; end 1 eof; start 2; "
                          "end 2 stop; idle"
            << a + " | append b | drop | append c | stop | eos"
            << "idle"
            << "a";
        QTest::newRow("nothing queued behind an own playlist; one end after its last entry")
            << "next b; list v; reply 1 1; start 1; end 1 stop; start 2; restart; pos 0; pos 0.1; "
               "end 2 eof; start 3; end 3 eof; idle"
            << "pause yes | load v@0 | pause no | opened | eos"
            << "idle"
            << "v";
    }

    void scripts() {
        QFETCH(QString, script);
        Recorder recorder;
        PlaybackPolicy policy(recorder, recorder,
                              [](const QString& path) { return !path.startsWith("missing"); });
        for (const QString& step : script.split(QStringLiteral("; ")))
            if (const QString refused = runStep(policy, step); !refused.isEmpty())
                recorder.log << refused;
        QTEST(recorder.log.join(QStringLiteral(" | ")), "log");
        QTEST(QString(kStates[int(policy.state())]), "state");
        QTEST(policy.heardFile(), "heard");
    }
};

QTEST_APPLESS_MAIN(TestPlaybackPolicy)
#include "tst_playback_policy.moc"
