#pragma once

#include <QString>
#include <algorithm>
#include <cmath>
#include <vector>

// Decoded sound read back from mpv's pcm output.
struct Wav {
    int channels = 0;
    int rate = 0;
    std::vector<std::vector<double>> samples; // per channel

    double seconds() const { return samples.empty() ? 0 : double(samples[0].size()) / rate; }

    // RMS in dBFS of one channel between two times.
    double levelDb(int channel, double from, double to) const {
        const auto& data = samples.at(channel);
        const size_t begin = size_t(from * rate);
        const size_t end = std::min(data.size(), size_t(to * rate));
        double sum = 0;
        for (size_t i = begin; i < end; ++i)
            sum += data[i] * data[i];
        const double rms = end > begin ? std::sqrt(sum / double(end - begin)) : 0;
        return rms > 0 ? 20 * std::log10(rms) : -200;
    }

    // The pitch of a plain tone on one channel between two times, from its
    // upward zero crossings.
    double frequencyHz(int channel, double from, double to) const {
        const auto& data = samples.at(channel);
        const size_t begin = size_t(from * rate);
        const size_t end = std::min(data.size(), size_t(to * rate));
        int crossings = 0;
        for (size_t i = begin + 1; i < end; ++i)
            crossings += data[i - 1] < 0 && data[i] >= 0;
        return end > begin ? crossings * double(rate) / double(end - begin) : 0;
    }
};

// Reads a WAV file as mpv's pcm output writes it (integer or float
// samples); empty when it cannot be read.
Wav readWav(const QString& path);
