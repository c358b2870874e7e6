#include "demo/sound/Sounds.h"

#include "tools/GameData.h"
#include "tools/WavData.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <functional>

namespace demo {
namespace {

constexpr double kPi = 3.14159265358979;

// A repeatable noise source: effects must be the same on every build.
struct Noise {
    uint32_t state = 12345;
    double Next() {
        state = state * 1103515245u + 12345u;
        return ((state >> 8) & 0xFFFF) / 32768.0 - 1.0;
    }
};

// `seconds` of a voice whose frequency, loudness and noise share follow
// the given curves over t = 0..1.
Samples Voice(double seconds, const std::function<double(double)>& frequency,
              const std::function<double(double)>& loudness, double noise = 0,
              bool square = false) {
    Samples out;
    int n = int(seconds * kEffectRate);
    double phase = 0;
    Noise rng;
    for (int i = 0; i < n; ++i) {
        double t = double(i) / n;
        phase += 2 * kPi * frequency(t) / kEffectRate;
        double tone = square ? (std::sin(phase) >= 0 ? 0.6 : -0.6) : std::sin(phase);
        double v = (tone * (1 - noise) + rng.Next() * noise) * loudness(t);
        out.push_back(int16_t(std::clamp(v, -1.0, 1.0) * 20000));
    }
    return out;
}

double Decay(double t, double rate) {
    return std::exp(-rate * t);
}

// Notes one after another, each with a short decay.
Samples Notes(const std::vector<double>& frequencies, double each, bool square = false) {
    Samples out;
    for (double f : frequencies) {
        Samples note = Voice(
            each, [f](double) { return f; },
            [](double t) { return Decay(t, 4) * std::min(1.0, t * 50); }, 0, square);
        out.insert(out.end(), note.begin(), note.end());
    }
    return out;
}

Samples Mixed(const Samples& a, const Samples& b) {
    Samples out(std::max(a.size(), b.size()));
    for (size_t i = 0; i < out.size(); ++i) {
        int v = (i < a.size() ? a[i] : 0) + (i < b.size() ? b[i] : 0);
        out[i] = int16_t(std::clamp(v, -32767, 32767));
    }
    return out;
}

// Two tones, high and low, repeated in the rhythm of a short sentence: what
// the helper says when no speech synthesiser is installed.
Samples FallbackSpeech(const std::string& text) {
    Samples out;
    int syllables = std::max<int>(3, int(text.size() / 3));
    for (int k = 0; k < syllables; ++k) {
        double f = k % 2 ? 520 : 660;
        Samples s = Voice(
            0.12, [f](double t) { return f * (1 + 0.1 * t); },
            [](double t) { return std::sin(kPi * t) * 0.8; }, 0, true);
        out.insert(out.end(), s.begin(), s.end());
        out.insert(out.end(), size_t(kEffectRate * 0.04), 0);
    }
    return out;
}

} // namespace

std::vector<EffectFile> Effects() {
    auto sweep = [](double from, double to) {
        return [=](double t) { return from + (to - from) * t; };
    };
    std::vector<EffectFile> e;
    // The player's.
    e.push_back({"QEXASW.004", Voice(
                                   0.25, sweep(220, 90), [](double t) { return Decay(t, 5); }, 0.35,
                                   true)});                                      // hurt
    e.push_back({"QEXASW.005", Notes({523, 659, 784, 1047, 1319}, 0.09, true)}); // extra life
    e.push_back({"QEXASW.006", Notes({659, 880, 1175}, 0.12)});                  // health
    e.push_back(
        {"QEXASW.007", Voice(
                           0.8, [](double t) { return 600 + 900 * t + 200 * std::sin(t * 60); },
                           [](double t) { return 1 - t; })}); // invincibility
    e.push_back({"QEXASW.008",
                 Voice(
                     0.05, sweep(140, 60), [](double t) { return Decay(t, 8); }, 0.8)}); // footstep
    e.push_back({"QEXASW.009", Voice(
                                   0.18, sweep(500, 120), [](double t) { return Decay(t, 6); }, 0.2,
                                   true)}); // enemy hit
    e.push_back(
        {"QEXASW.010", Voice(
                           0.3, [](double t) { return 300 + 200 * std::sin(t * 2 * kPi); },
                           [](double t) { return 0.5 * std::sin(kPi * t); }, 0.7)}); // swing, loops
    e.push_back(
        {"QEXASW.011", Voice(
                           1.0, [](double t) { return 300 + 1200 * t + 150 * std::sin(t * 90); },
                           [](double t) { return 0.8 * std::sin(kPi * t); })}); // teleport
    e.push_back(
        {"QEXASW.012", Voice(
                           0.22, sweep(900, 300), [](double t) { return 1 - t; }, 0.85)}); // dash
    e.push_back(
        {"QEXASW.013", Mixed(Notes({392, 370, 349, 330, 311, 294, 277, 262}, 0.3, true),
                             Voice(2.4, sweep(110, 55), [](double t) { return 0.4 * (1 - t); }))});
    e.push_back({"QEXASW.014",
                 Voice(
                     0.18, sweep(250, 700), [](double t) { return 1 - t; }, 0, true)}); // jump
    e.push_back(
        {"QEXASW.015", Voice(
                           0.35, [](double t) { return 200 + 600 * t + 80 * std::sin(t * 50); },
                           [](double t) { return Decay(t, 3); }, 0, true)}); // bounce pad
    e.push_back({"QEXASW.016", Notes({1319, 1760}, 0.1)});                   // goodie
    e.push_back({"QEXASW.019", Notes({988, 1319}, 0.07, true)});             // tool
    e.push_back({"QEXASW.020", Notes({440}, 0.1)});                          // spare pop
    // The foes' grunts and the shovel.
    e.push_back({"QEXDSW.006",
                 Voice(
                     0.3, sweep(110, 80), [](double t) { return std::sin(kPi * t); }, 0.3, true)});
    e.push_back({"QEXDSW.007",
                 Voice(
                     0.25, sweep(90, 130), [](double t) { return std::sin(kPi * t); }, 0.3, true)});
    e.push_back({"QEXDSW.008", Voice(
                                   0.4, [](double t) { return 70 + 20 * std::sin(t * 30); },
                                   [](double t) { return std::sin(kPi * t); }, 0.4, true)});
    e.push_back({"QEXDSW.009", Voice(
                                   0.2, sweep(180, 120), [](double t) { return Decay(t, 6); },
                                   0.9)}); // the shovel bites
    return e;
}

std::vector<SpokenLine> SpokenLines() {
    return {
        {"QEXFSW.001", "Welcome to the meadow, Tolwick! The grumets stole our tools. Collect "
                       "twenty of them, then find the golden exit door."},
        {"QEXFSW.000", "Dusk falls on the hills. Their boss guards the last door: jump on him, "
                       "and gather twenty tools again."},
        {"QEXASW.017", "Off you go, then!"},
        {"QEXASW.018", "The door stays shut until you have twenty tools."},
        {"QEXASW.021", "The boss still guards this door!"},
    };
}

bool Run(const std::string& command) {
    return std::system((command + " >/dev/null 2>&1").c_str()) == 0;
}

bool WriteSpokenLine(const SpokenLine& line, const std::string& path, bool* spoken) {
    static const bool haveSpeech = Run("espeak-ng --version");
    *spoken = haveSpeech && Run("espeak-ng -v en -s 150 -w '" + path + "' \"" + line.text + "\"");
    if (*spoken)
        return true;
    return gamedata::WriteFile(path, MonoWav(FallbackSpeech(line.text)));
}

std::vector<int16_t> Tune(int tune, int bars, int rate) {
    // Two chord progressions in A minor and C major; each bar is four beats
    // of an arpeggiated melody over the chord's root.
    static const double kRoots[2][4] = {{220.0, 174.61, 261.63, 196.0},
                                        {261.63, 196.0, 220.0, 174.61}};
    static const int kSteps[2][8] = {{0, 3, 7, 12, 7, 3, 7, 10}, {0, 4, 7, 11, 12, 7, 4, 7}};
    double beat = tune == 0 ? 0.25 : 0.3;
    int perBeat = int(beat * rate);
    std::vector<int16_t> out;
    for (int bar = 0; bar < bars; ++bar) {
        double root = kRoots[tune][bar % 4];
        for (int step = 0; step < 8; ++step) {
            double note = root * 2 * std::pow(2.0, kSteps[tune][step] / 12.0);
            for (int i = 0; i < perBeat; ++i) {
                double t = double(i) / rate;
                double env = std::exp(-6 * t) * std::min(1.0, t * 200);
                double melody = std::sin(2 * kPi * note * t) * env;
                double bass = std::sin(2 * kPi * root / 2 * (t + step * beat)) * 0.5;
                double left = 0.45 * melody + 0.3 * bass, right = 0.3 * melody + 0.45 * bass;
                out.push_back(int16_t(left * 16000));
                out.push_back(int16_t(right * 16000));
            }
        }
    }
    return out;
}

std::vector<uint8_t> MonoWav(const Samples& samples) {
    gamedata::WavDesc wav;
    wav.channels = 1;
    wav.rate = kEffectRate;
    wav.bits = 16;
    wav.samples = gamedata::Pcm16(samples);
    return gamedata::BuildWav(wav);
}

std::vector<uint8_t> StereoWav(const std::vector<int16_t>& samples, int rate) {
    gamedata::WavDesc wav;
    wav.channels = 2;
    wav.rate = uint32_t(rate);
    wav.bits = 16;
    wav.samples = gamedata::Pcm16(samples);
    return gamedata::BuildWav(wav);
}

} // namespace demo
