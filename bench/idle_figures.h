#pragma once

#include <QProcess>
#include <functional>

// The idle player against a fair reference: idle_reference, a bare Qt
// program that repaints a strip of the title's size at the title's rate.

// Percent of one core a running process takes over the measured window.
using CpuMeter = std::function<double(QProcess&)>;
// Starts the player in one scene, measures it with the meter given, stops it.
using SceneRun = std::function<double(const CpuMeter&)>;

// Prints idle_cpu_percent, stopped_window_cpu_percent,
// idle_reference_cpu_percent, idle_vs_reference_ratio and
// stopped_window_vs_reference_ratio: the sums of `rounds` rounds, each
// measuring the idle player, the reference and the stopped player in turn.
void printIdleFigures(const QProcessEnvironment& env, const SceneRun& idle, const SceneRun& stopped,
                      int rounds);
