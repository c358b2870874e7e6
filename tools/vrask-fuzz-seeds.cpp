// Writes the seed corpus of every fuzz target: small valid files of each
// kind the game reads, and a few near misses, into <folder>/<target>/.
// Movies are made with the ffmpeg command-line tool when it is installed.

#include "tools/GameData.h"
#include "tools/Pictures.h"
#include "tools/WavData.h"

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

using namespace gamedata;
namespace fs = std::filesystem;

namespace {

using Bytes = std::vector<uint8_t>;

fs::path gRoot;
int gWritten;

void Seed(const std::string& target, const std::string& name, const Bytes& bytes) {
    fs::create_directories(gRoot / target);
    if (!WriteFile((gRoot / target / name).string(), bytes)) {
        std::fprintf(stderr, "cannot write %s/%s\n", target.c_str(), name.c_str());
        std::exit(1);
    }
    ++gWritten;
}

Bytes Prefixed(uint8_t first, const Bytes& rest) {
    Bytes out{first};
    out.insert(out.end(), rest.begin(), rest.end());
    return out;
}

Bytes Text(const std::string& s) {
    return Bytes(s.begin(), s.end());
}

void GameFiles() {
    Seed("game_file_fuzz", "three-pages", BuildGameFile({.pages = {"menu", "level1", "end"}}));
    Seed("game_file_fuzz", "count-past-names", BuildGameFile({.pages = {"menu"}, .pageCount = 9}));
    Seed("game_file_fuzz", "climbing-name",
         BuildGameFile({.pages = {"..\\..\\outside", "/abs/level"}}));
}

SpriteDesc Walker() {
    SpriteDesc s{.name = "ora", .sheetFile = "ora.spr", .brainFile = "Pimbrel.dll"};
    s.instances = {{.frame = 1, .locations = {{32, 48}, {64, 48}}}};
    s.sequences = {{.name = "walk", .name2 = "run", .value1 = 2}};
    s.sounds = {{.name = "step", .waveFile = "step.wav", .frames = {0, 3}}};
    return s;
}

void LevelFiles() {
    LayerDesc main{.name = "LA Main",
                   .isMainLayer = 1,
                   .hasMask = 1,
                   .columns = 3,
                   .rows = 2,
                   .tileWidth = 16,
                   .tileHeight = 16};
    main.tileMap = {0x2001, 0x2002, 0, 0, 0x2003, 0x2004};
    main.maskData = {1, 2, 0, 0, 3, 4 | 1u << 17};
    main.tileSets = {{.fileName = "tiles.til", .slot = 1}};
    main.sprites = {Walker()};
    main.layerSounds = {{.name = "river",
                         .waveFile = "river.wav",
                         .points = {{1, 2}},
                         .columns = {0, 1},
                         .rows = {1}}};
    LayerDesc back{.name = "sky", .columns = 2, .rows = 1};
    back.tileMap = {0x2001, 0x2001};
    Seed("level_file_fuzz", "level", BuildLevelFile({.layers = {main, back}}));
    LevelFileDesc menu{.menuMarker = 1, .menuModuleName = "Menu.dll"};
    menu.menuPages = {{.name = "title", .name2 = "title.bmp", .sprites = {Walker()}}};
    Seed("level_file_fuzz", "menu", BuildLevelFile(menu));
    Seed("level_file_fuzz", "cutscene",
         BuildLevelFile({.cutsceneMarker = 1, .movieFlag = 1, .movieName = "intro.avi"}));
}

void Prefs() {
    Bytes record(144, 0);
    const uint8_t head[] = {1, 0, 0, 0, 1, 0, 0, 0, 50, 0, 0, 0, 70, 0, 0, 0};
    std::copy(std::begin(head), std::end(head), record.begin());
    const uint8_t keys[7][2] = {{0x38, 0xB8}, {0x1D, 0x2A}, {0xC8, 0}, {0xD0, 0},
                                {0xCB, 0},    {0xCD, 0},    {0x39, 0}};
    for (int i = 0; i < 7; ++i) {
        record[16 + 4 * i] = keys[i][0];
        record[17 + 4 * i] = keys[i][1];
    }
    Seed("prefs_fuzz", "defaults", record);
    Bytes odd(144, 0xFF);
    Seed("prefs_fuzz", "all-ones", odd);
    Seed("prefs_fuzz", "short", Bytes(record.begin(), record.begin() + 100));
}

// A negative height is a top-down bitmap.
SheetBitmapDesc Bitmap(int width, int height, int bits) {
    int rows = height < 0 ? -height : height;
    return {.width = width,
            .height = height,
            .bitCount = uint16_t(bits),
            .pixels = DibRows(
                width, rows, bits, [](int x, int y) { return uint32_t(x * 9 + y * 5) & 0xFFFFFF; },
                height < 0)};
}

void Sheets() {
    Seed("sheet_fuzz", "tiles16",
         Prefixed(0, BuildTileSetFile({.tileWidth = 16,
                                       .tileHeight = 16,
                                       .tilesAcross = 2,
                                       .tilesDown = 2,
                                       .bitmap = Bitmap(32, 32, 16)})));
    Seed("sheet_fuzz", "tiles24-table",
         Prefixed(0, BuildTileSetFile({.tileWidth = 8,
                                       .tileHeight = 8,
                                       .tilesAcross = 3,
                                       .tilesDown = 1,
                                       .tableWidth = 2,
                                       .tableHeight = 2,
                                       .bitmap = Bitmap(24, -8, 24)})));
    SpriteSheetFileDesc sprite{
        .frameWidth = 8, .frameHeight = 8, .framesPerRow = 2, .bitmap = Bitmap(16, 16, 24)};
    sprite.frames = {{.boxes = {{0, 0, 8, 8, 0}}}, {}, {.boxes = {{1, 1, 7, 7, 2}}}};
    Seed("sheet_fuzz", "sprite24", Prefixed(1, BuildSpriteSheetFile(sprite)));
    sprite.bitmap = Bitmap(16, 16, 8);
    Seed("sheet_fuzz", "sprite8-reload", Prefixed(7, BuildSpriteSheetFile(sprite)));
    sprite.bitmap = Bitmap(16, 16, 32);
    Seed("sheet_fuzz", "sprite32-sysmem", Prefixed(3, BuildSpriteSheetFile(sprite)));
}

Bytes OneBitBmp(int width, int height) {
    int absHeight = height < 0 ? -height : height;
    return BuildBmpFile({.width = width,
                         .height = height,
                         .bitCount = 1,
                         .palette = {0x000000, 0xFFFFFF},
                         .pixels = DibRows(width, absHeight, 1,
                                           [](int x, int y) { return uint32_t((x ^ y) & 1); })});
}

void Masks() {
    Seed("mask_fuzz", "mask16", Prefixed(1, OneBitBmp(32, 32)));
    Seed("mask_fuzz", "mask-top-down", Prefixed(0, OneBitBmp(40, -8)));
}

void Pictures() {
    auto pattern = [](int x, int y) { return uint32_t(x * 31 + y * 17) & 0xFFFFFF; };
    for (int bits : {1, 4, 8}) {
        std::vector<uint32_t> palette(size_t(1) << bits);
        for (size_t i = 0; i < palette.size(); ++i)
            palette[i] = uint32_t(i * 0x010203);
        Seed("bmp_fuzz", "palette" + std::to_string(bits),
             BuildBmpFile({.width = 13,
                           .height = 7,
                           .bitCount = uint16_t(bits),
                           .palette = palette,
                           .pixels = DibRows(13, 7, bits, [bits](int x, int y) {
                               return uint32_t(x + y) % (1u << bits);
                           })}));
    }
    Seed("bmp_fuzz", "rgb24",
         BuildBmpFile({.width = 9, .height = 5, .pixels = DibRows(9, 5, 24, pattern)}));
    Seed("bmp_fuzz", "rgb32-top-down",
         BuildBmpFile({.width = 9,
                       .height = -5,
                       .bitCount = 32,
                       .pixels = DibRows(9, 5, 32, pattern, true)}));
    Seed("bmp_fuzz", "bitfields565",
         BuildBmpFile({.width = 9,
                       .height = 5,
                       .bitCount = 16,
                       .compression = 3,
                       .masks = {0xF800, 0x07E0, 0x001F},
                       .pixels = DibRows(9, 5, 16, pattern)}));
    Seed("bmp_fuzz", "v4-header-bitfields",
         BuildBmpFile({.width = 4,
                       .height = 4,
                       .bitCount = 32,
                       .compression = 3,
                       .headerSize = 108,
                       .masks = {0xFF0000, 0x00FF00, 0x0000FF},
                       .pixels = DibRows(4, 4, 32, pattern)}));
}

Bytes Tone(uint32_t frames, uint16_t channels) {
    std::vector<int16_t> samples;
    for (uint32_t i = 0; i < frames * channels; ++i)
        samples.push_back(int16_t((i % 64) * 500 - 16000));
    return Pcm16(samples);
}

void Sounds() {
    Seed("sound_effect_fuzz", "stereo44k", BuildWav({.samples = Tone(300, 2)}));
    Seed("sound_effect_fuzz", "mono22k",
         BuildWav({.channels = 1, .rate = 22050, .samples = Tone(200, 1)}));
    Seed("sound_effect_fuzz", "list-first-8bit",
         BuildWav({.rate = 22050,
                   .bits = 8,
                   .samples = Bytes(400, 0x80),
                   .beforeFormat = {{.id = "LIST", .data = Text("INFOISFT")}}}));
    Seed("sound_effect_fuzz", "data-longer-than-file",
         BuildWav({.samples = Tone(10, 2), .dataSize = 100000}));

    Seed("stream_fuzz", "pcm-stereo", Prefixed(40, BuildWav({.samples = Tone(2000, 2)})));
    Seed("stream_fuzz", "pcm-half-rate",
         Prefixed(3, BuildWav({.rate = 22050,
                               .samples = Tone(500, 2),
                               .afterData = {{.id = "junk", .data = {1, 2}}}})));
    Bytes blocks(3 * 1024);
    for (size_t i = 0; i < blocks.size(); ++i)
        blocks[i] = uint8_t(i % 1024 < 14 ? (i % 1024 < 2 ? 0 : 16) : i * 7);
    Seed("stream_fuzz", "adpcm-stereo", Prefixed(11, BuildWav(AdpcmWav(2, 44100, 1024, blocks))));
    Bytes part(1024 + 300);
    Seed("stream_fuzz", "adpcm-partial-block",
         Prefixed(200, BuildWav(AdpcmWav(2, 22050, 1024, part))));
}

void HighScores() {
    const uint32_t scores[8] = {250000, 150000, 125000, 100000, 75000, 50000, 25000, 10000};
    Bytes table;
    uint32_t newScore = 120000;
    for (int i = 0; i < 4; ++i)
        table.push_back(uint8_t(newScore >> (8 * i)));
    for (uint32_t s : scores)
        for (int i = 0; i < 4; ++i)
            table.push_back(uint8_t(s >> (8 * i)));
    for (int e = 0; e < 8; ++e) {
        Bytes entry(32, 0);
        for (int j = 0; j < 3; ++j)
            entry[j] = uint8_t((e * 3 + j) % 26);
        table.insert(table.end(), entry.begin(), entry.end());
    }
    Seed("high_scores_fuzz", "defaults-new-third", table);
    Bytes damaged = table;
    damaged[0] = damaged[1] = damaged[2] = damaged[3] = 0xFF;
    for (size_t i = 36; i < damaged.size(); ++i)
        damaged[i] = uint8_t(200 + i % 50);
    Seed("high_scores_fuzz", "letters-out-of-range", damaged);
}

void InputScripts() {
    Seed("input_script_fuzz", "walk-jump",
         Text("# walk right, jump, and let go\njoysticks 1\n0 down RIGHT\n12 down 0x39\n"
              "14 up SPACE\n20 up DIK_RIGHT\n30 axis 0 x -10000\n30 button 0 1 down\n"
              "31 pov 0 0 9000\n40 pov 0 0 centre\n40 axis 0 x 0\n40 button 0 1 up\n"
              "50 focus lost\n55 focus gained\n"));
    Seed("input_script_fuzz", "two-sticks",
         Text("joysticks 2\n1 axis 1 slider1 10000\n2 axis 0 rz -3000\n3 down ESC\n"
              "3 down lalt\n4 up 0x01\n5 pov 1 3 35999\n"));
}

bool Ffmpeg(const std::string& args, const fs::path& out) {
    std::string command = "ffmpeg -hide_banner -loglevel error -y " + args + " '" + out.string() +
                          "' >/dev/null 2>&1";
    return std::system(command.c_str()) == 0;
}

void Movies() {
    if (std::system("ffmpeg -hide_banner -version >/dev/null 2>&1") != 0) {
        std::fprintf(stderr, "ffmpeg not found: no movie seeds\n");
        return;
    }
    fs::create_directories(gRoot / "movie_fuzz");
    const std::string picture = "-f lavfi -i testsrc=s=16x12:r=10 ";
    const std::string frames = "-frames:v 4 ";
    if (Ffmpeg(picture + frames + "-c:v ffv1 -pix_fmt bgr0 -f avi",
               gRoot / "movie_fuzz" / "ffv1-avi"))
        ++gWritten;
    if (Ffmpeg(picture + "-f lavfi -i sine=frequency=440:sample_rate=8000 " + frames +
                   "-c:a pcm_u8 -c:v rawvideo -pix_fmt rgb24 -f avi",
               gRoot / "movie_fuzz" / "raw-with-sound"))
        ++gWritten;
    if (Ffmpeg(picture + frames + "-c:v mpeg4 -f avi", gRoot / "movie_fuzz" / "mpeg4-avi"))
        ++gWritten;
}

} // namespace

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: vrask-fuzz-seeds <corpus folder>\n");
        return 2;
    }
    gRoot = argv[1];
    GameFiles();
    LevelFiles();
    Prefs();
    Sheets();
    Masks();
    Pictures();
    Sounds();
    HighScores();
    InputScripts();
    Movies();
    std::printf("%d seeds written under %s\n", gWritten, gRoot.c_str());
    return 0;
}
