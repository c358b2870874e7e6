// The demo game's sounds and music, synthesised from short recipes: the
// effects every brain obtains, the helper's spoken lines (through espeak-ng
// when it is installed, else a clear two-tone fallback), the streamed level
// music (written as PCM, then encoded to MS ADPCM with sox), the CD track
// (encoded to FLAC with ffmpeg) and the movies' soundtracks.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace demo {

constexpr int kEffectRate = 22050;

// A mono 16-bit effect at kEffectRate.
using Samples = std::vector<int16_t>;

struct EffectFile {
    std::string name; // under data/
    Samples samples;
};

// Every effect the brains obtain, by their data names.
std::vector<EffectFile> Effects();

struct SpokenLine {
    std::string name; // under data/
    std::string text;
};
std::vector<SpokenLine> SpokenLines();

// Writes a line spoken by espeak-ng into `path`, or the fallback tones when
// espeak-ng is not there (then `*spoken` is false).
bool WriteSpokenLine(const SpokenLine& line, const std::string& path, bool* spoken);

// A looping tune of `bars` bars as 16-bit stereo at `rate`: a melody over a
// bass line, chosen by `tune`.
std::vector<int16_t> Tune(int tune, int bars, int rate);

std::vector<uint8_t> MonoWav(const Samples& samples);
std::vector<uint8_t> StereoWav(const std::vector<int16_t>& samples, int rate);

// Runs a shell command quietly; true when it exits with 0.
bool Run(const std::string& command);

} // namespace demo
