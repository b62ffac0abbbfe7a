#pragma once

#include <QProcessEnvironment>
#include <QString>
#include <functional>

class QProcess;

// The figures of moving between files, printed one a line by bench_video:
//   eos_gap_ms_{wav,mp4}_{player,mpv}[_loaded]: the longest silence at the
//     move from one list entry to the next, through the real `sonvela`
//     started from its folder with its own list files, against the mpv
//     command-line player's own playlist of the same two clips (median of
//     3; "_loaded" with one busy process per core beside them);
//   open_while_playing_ms, open_after_stop_ms: a double click to the new
//     file playing, while another file plays and after Stop (medians of 5);
//   rss_first_switch_mb, rss_after_switches_mb: resident memory after the
//     first and after 300 switches between a sound and a video file;
//   rss_playing_vs_mpv: the player's resident memory playing `clip360` in
//     its video window against the command-line player's.
// `env` reaches the bench's sound server (a null sink named "bench");
// `pressPlay` presses the running player's play button.
void PrintSwitchingFigures(const QProcessEnvironment& env, const QString& clip360,
                           const std::function<void(QProcess&)>& pressPlay);
