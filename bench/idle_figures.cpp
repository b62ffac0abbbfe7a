#include "idle_figures.h"

#include <QTest>
#include <cstdio>
#include <ctime>

namespace {

constexpr int SettleMs = 3000;
constexpr int MeasureSeconds = 10;

// Processor time of `pid` and all its threads, dead or alive, in seconds,
// to the nanosecond as the scheduler counts it: /proc/<pid>/stat counts
// 10 ms ticks, and half a percent of a core adds up to five of them in 10 s.
double runSeconds(qint64 pid) {
    clockid_t clock;
    timespec time{};
    if (clock_getcpuclockid(pid_t(pid), &clock) != 0 || clock_gettime(clock, &time) != 0)
        return -1;
    return double(time.tv_sec) + double(time.tv_nsec) / 1e9;
}

double precisePercent(QProcess& process) {
    QTest::qWait(SettleMs);
    const double before = runSeconds(process.processId());
    QTest::qWait(MeasureSeconds * 1000);
    const double after = runSeconds(process.processId());
    if (before < 0 || after < 0 || process.state() != QProcess::Running)
        return -1;
    return (after - before) / MeasureSeconds * 100;
}

double referencePercent(const QProcessEnvironment& env) {
    QProcess reference;
    reference.setProcessEnvironment(env);
    reference.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    reference.start(QStringLiteral(SONVELA_BINARY_DIR "/bench/idle_reference"), {});
    if (!reference.waitForStarted())
        return -1;
    const double percent = precisePercent(reference);
    reference.terminate();
    if (!reference.waitForFinished(5000))
        reference.kill();
    reference.waitForFinished(5000);
    return percent;
}

void print(const char* name, double value) {
    std::printf("%s %.3f\n", name, value);
    std::fflush(stdout);
}

} // namespace

void printIdleFigures(const QProcessEnvironment& env, const SceneRun& idle, const SceneRun& stopped,
                      int rounds) {
    double idleSum = 0, stoppedSum = 0, referenceSum = 0;
    bool failed = false;
    for (int round = 1; round <= rounds; ++round) {
        const double i = idle(precisePercent), r = referencePercent(env),
                     s = stopped(precisePercent);
        std::printf("# idle round %d: player %.3f%%, reference %.3f%%, stopped window %.3f%%\n",
                    round, i, r, s);
        failed = failed || i < 0 || r < 0 || s < 0;
        idleSum += i;
        referenceSum += r;
        stoppedSum += s;
    }
    const auto ratio = [&](double sum) {
        return failed || referenceSum <= 0 ? -1 : sum / referenceSum;
    };
    print("idle_cpu_percent", failed ? -1 : idleSum / rounds);
    print("stopped_window_cpu_percent", failed ? -1 : stoppedSum / rounds);
    print("idle_reference_cpu_percent", failed ? -1 : referenceSum / rounds);
    print("idle_vs_reference_ratio", ratio(idleSum));
    print("stopped_window_vs_reference_ratio", ratio(stoppedSum));
}
