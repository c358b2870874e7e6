// Small movies for tests, made with the ffmpeg command-line tool.
#pragma once

#include <cstdlib>
#include <string>

namespace cutscenetest {

inline bool HaveFfmpeg() {
    static bool have = std::system("ffmpeg -hide_banner -version >/dev/null 2>&1") == 0;
    return have;
}

// A movie of `frames` frames of one colour at 30 frames per second, with a
// tone when `sound` is set; lossless, so its pixels are exact.
inline bool MakeMovie(const std::string& path, const char* colour, int width, int height,
                      int frames, bool sound = true) {
    std::string command =
        "ffmpeg -hide_banner -loglevel error -y -f lavfi -i color=c=" + std::string(colour) +
        ":s=" + std::to_string(width) + "x" + std::to_string(height) + ":r=30";
    if (sound)
        command += " -f lavfi -i sine=frequency=440:sample_rate=22050 -c:a pcm_s16le -shortest";
    command += " -frames:v " + std::to_string(frames) + " -c:v ffv1 -pix_fmt bgr0 '" + path +
               "' >/dev/null 2>&1";
    return std::system(command.c_str()) == 0;
}

} // namespace cutscenetest
