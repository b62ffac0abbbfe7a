// A second start of the player with a file, while a copy runs: the time
// from starting the real executable until it has handed the file over and
// ended. This process plays the running copy's part (it holds the instance
// lock and answers on the hand-over socket). Prints the median and the
// slowest of the runs, in milliseconds. Needs a display or
// QT_QPA_PLATFORM=offscreen for the started copies.
#include "desktop/hand_over.h"
#include "platform/instance_guard.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>

#include <algorithm>
#include <cstdio>
#include <vector>

namespace {

constexpr int Runs = 20;

double TimeOneSecondStart(const QProcessEnvironment& env) {
    QProcess second;
    second.setProcessEnvironment(env);
    QEventLoop loop;
    QObject::connect(&second, &QProcess::finished, &loop, &QEventLoop::quit);
    QElapsedTimer clock;
    clock.start();
    second.start(QStringLiteral(SONVELA_BINARY_DIR "/sonvela"), {QStringLiteral("clip.mp3")});
    loop.exec();
    const double ms = clock.nsecsElapsed() / 1e6;
    if (second.exitCode() != 0)
        std::fprintf(stderr, "second start ended with %d\n", second.exitCode());
    return ms;
}

} // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    QTemporaryDir runtime;
    InstanceGuard guard(runtime.path(), runtime.path() + QStringLiteral("/fallback"));
    HandOverServer server;
    if (!guard.acquire() || !server.listen(HandOverSocketPath(runtime.path()))) {
        std::fprintf(stderr, "cannot play the running copy\n");
        return 1;
    }
    int received = 0;
    QObject::connect(&server, &HandOverServer::filesReceived, [&] { ++received; });
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("XDG_RUNTIME_DIR"), runtime.path());
    env.insert(QStringLiteral("XDG_CONFIG_HOME"), runtime.path() + QStringLiteral("/config"));

    std::vector<double> times;
    for (int i = 0; i < Runs; ++i)
        times.push_back(TimeOneSecondStart(env));
    QCoreApplication::processEvents();
    std::sort(times.begin(), times.end());
    std::printf("handover_ms median %.1f max %.1f (%d runs, %d handed over)\n",
                times[times.size() / 2], times.back(), Runs, received);
    return received == Runs ? 0 : 1;
}
