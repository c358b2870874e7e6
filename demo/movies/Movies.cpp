#include "demo/movies/Movies.h"

#include "demo/art/Art.h"
#include "demo/sound/Sounds.h"
#include "tools/GameData.h"

#include <cmath>
#include <cstdio>
#include <functional>

namespace demo {
namespace {

constexpr int kFps = 30;

// Pipes `frames` pictures of w x h into ffmpeg beside a soundtrack.
bool Encode(const std::string& path, int w, int h, int frames, const std::vector<int16_t>& sound,
            int rate, const std::function<void(Canvas&, int)>& draw) {
    // The soundtrack, looped or cut to the picture's length.
    std::vector<int16_t> track(size_t(frames) * rate / kFps * 2);
    for (size_t i = 0; i < track.size() && !sound.empty(); ++i)
        track[i] = sound[i % sound.size()];
    std::string wav = path + ".sound.wav";
    if (!gamedata::WriteFile(wav, StereoWav(track, rate)))
        return false;
    std::string command = "ffmpeg -hide_banner -loglevel error -y -f rawvideo -pix_fmt rgb24 -s " +
                          std::to_string(w) + "x" + std::to_string(h) + " -r " +
                          std::to_string(kFps) + " -i - -i '" + wav +
                          "' -c:v mpeg4 -q:v 3 -pix_fmt yuv420p -c:a pcm_s16le '" + path + "'";
    FILE* pipe = popen(command.c_str(), "w");
    if (!pipe)
        return false;
    std::vector<uint8_t> rgb(size_t(w) * h * 3);
    bool ok = true;
    for (int f = 0; f < frames && ok; ++f) {
        Canvas c(w, h);
        draw(c, f);
        for (size_t i = 0; i < c.pixels.size(); ++i) {
            rgb[3 * i] = uint8_t(c.pixels[i] >> 16);
            rgb[3 * i + 1] = uint8_t(c.pixels[i] >> 8);
            rgb[3 * i + 2] = uint8_t(c.pixels[i]);
        }
        ok = std::fwrite(rgb.data(), 1, rgb.size(), pipe) == rgb.size();
    }
    ok = pclose(pipe) == 0 && ok;
    std::remove(wav.c_str());
    return ok;
}

// Copies frame `frame` of a sheet into the canvas at (x, y), `scale` times.
void Blit(Canvas& c, const TileSheet& s, int frame, int x, int y, int scale) {
    int fx = (frame % s.columns) * s.tileWidth, fy = (frame / s.columns) * s.tileHeight;
    for (int j = 0; j < s.tileHeight * scale; ++j)
        for (int i = 0; i < s.tileWidth * scale; ++i)
            if (uint32_t p = s.picture.At(fx + i / scale, fy + j / scale))
                c.Set(x + i, y + j, p);
}

// A scrolling strip of a background picture, shifted `offset` pixels.
void Scenery(Canvas& c, const TileSheet& far, const TileSheet& near, int offset) {
    for (int y = 0; y < c.height; ++y)
        for (int x = 0; x < c.width; ++x) {
            int fy = y * far.picture.height / c.height * 3 / 4 + far.picture.height / 4;
            uint32_t p = far.picture.At((x + offset / 2) % far.picture.width, fy);
            int ny = y * near.picture.height / c.height * 3 / 4 + near.picture.height / 4;
            if (uint32_t q = near.picture.At((x + offset) % near.picture.width, ny))
                p = q;
            c.Set(x, y, p);
        }
}

void Caption(Canvas& c, const std::string& text, int y, int scale, uint32_t colour) {
    int x = (c.width - Canvas::TextWidth(text, scale)) / 2;
    c.Text(x + scale, y + scale, text, scale, 0x101010);
    c.Text(x, y, text, scale, colour);
}

} // namespace

bool MakeOpeningMovie(const std::string& path) {
    TileSheet far = FarBackground("far", 640, 320, 0x4080D0, 0x405880, 0.2);
    TileSheet near = NearBackground("near", 960, 400, 0x3A8A34, 0.9);
    TileSheet hero = HeroSheet(), walker = WalkerSheet(), tool = ToolSheet();
    const int frames = 8 * kFps;
    return Encode(path, 320, 240, frames, Tune(0, 4, 22050), 22050, [&](Canvas& c, int f) {
        Scenery(c, far, near, f * 2);
        c.Rect(0, 200, 320, 40, Solid(0x6A4420));
        c.Rect(0, 200, 320, 4, Solid(0x3CA830));
        if (f < 3 * kFps) {
            // A grumet scuttles off with a tool.
            int x = 60 + f * 3;
            Blit(c, walker, f / 4 % 8, x, 168, 1);
            Blit(c, tool, 0, x + 4, 152, 1);
            Caption(c, "THE GRUMETS STOLE", 30, 2, 0xFFE060);
            Caption(c, "THE VILLAGE TOOLS!", 50, 2, 0xFFE060);
        } else {
            int x = std::min(140, (f - 3 * kFps) * 2 - 40);
            Blit(c, hero, x < 140 ? 24 + f / 3 % 10 : 45, x, 153, 1);
            Caption(c, "TOLWICK SETS OUT", 30, 2, 0xFFFFFF);
            Caption(c, "TO BRING THEM BACK.", 50, 2, 0xFFFFFF);
            if (f > 6 * kFps)
                Caption(c, "SPACE: SKIP", 110, 1, 0xE0E0E0);
        }
    });
}

bool MakeInterludeMovie(const std::string& path) {
    TileSheet far = FarBackground("far", 1280, 640, 0xC06048, 0x402838, 1.7);
    TileSheet near = NearBackground("near", 1920, 800, 0x3A5A30, 2.3);
    TileSheet hero = HeroSheet();
    const int frames = 6 * kFps;
    return Encode(path, 640, 480, frames, Tune(1, 4, 22050), 22050, [&](Canvas& c, int f) {
        Scenery(c, far, near, f * 3);
        c.Rect(0, 400, 640, 80, Solid(0x4A3420));
        c.Rect(0, 400, 640, 6, Solid(0x2E7A28));
        Blit(c, hero, 24 + f / 3 % 10, 280, 304, 2);
        Caption(c, "THE MEADOW IS SAFE.", 60, 4, 0xFFE060);
        Caption(c, "NOW FOR THE DUSK HILLS...", 120, 3, 0xFFFFFF);
    });
}

bool MakeGameOverMovie(const std::string& path) {
    TileSheet spirit = SpiritSheet();
    const int frames = 5 * kFps;
    std::vector<int16_t> sound;
    for (int16_t s : Tune(0, 2, 22050))
        sound.push_back(int16_t(s / 2));
    return Encode(path, 320, 240, frames, sound, 22050, [&](Canvas& c, int f) {
        for (int y = 0; y < 240; ++y)
            c.Rect(0, y, 320, 1, Solid(Mix(0x000010, 0x301040, y / 240.0)));
        Blit(c, spirit, f / 8 % 2, 144, 180 - f, 1);
        if (f > kFps)
            Caption(c, "GAME OVER", 90, 4, 0xF04030);
    });
}

} // namespace demo
