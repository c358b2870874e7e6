// The demo's three movies, drawn frame by frame with the game's own art and
// encoded by the ffmpeg command-line tool (MPEG-4 video, PCM sound, in AVI).
#pragma once

#include <string>

namespace demo {

// 320 x 240, played doubled: the hero sets out to win back the tools.
bool MakeOpeningMovie(const std::string& path);
// 640 x 480: the first level is won, the dusk hills wait.
bool MakeInterludeMovie(const std::string& path);
// 320 x 240: the spirit rises, "GAME OVER".
bool MakeGameOverMovie(const std::string& path);

} // namespace demo
