// The terrain tiles, their masks, the parallax backgrounds and the pages'
// pictures. Collision travels with the tiles as "class" and "hazard"
// properties: 1 is floor (grass on top, planks a jump passes through), 4
// floor and wall beneath, 0 a roof
// that stops a jump, 5 ladder, 10 bounce pad; hazards 1 (spikes) and 3 (lava).
#include "demo/art/Art.h"

#include <cmath>

namespace demo {
namespace {

// A repeatable pseudo-random value in 0..1 for a pixel: art must be the same
// on every build.
double Noise(int x, int y, double seed) {
    double v = std::sin(x * 12.9898 + y * 78.233 + seed * 37.719) * 43758.5453;
    return v - std::floor(v);
}

void DrawTerrainTile(Canvas& c, int tile, int ox, int oy) {
    auto px = [&](int x, int y, uint32_t rgb) { c.Set(ox + x, oy + y, Solid(rgb)); };
    auto fill = [&](uint32_t base, double grain, double seed) {
        for (int y = 0; y < 16; ++y)
            for (int x = 0; x < 16; ++x)
                px(x, y, Scale(base, 1.0 - grain * Noise(x, y, seed)));
    };
    switch (tile) {
    case kGrass:
        fill(0x8A5A2C, 0.25, 1);
        for (int x = 0; x < 16; ++x) {
            int blade = 4 + int(3 * Noise(x, 0, 2));
            for (int y = 0; y < blade; ++y)
                px(x, y, y == 0 ? 0x9CF060 : 0x3CA830);
        }
        break;
    case kDirt:
        fill(0x8A5A2C, 0.25, 1);
        break;
    case kDirtStones:
        fill(0x8A5A2C, 0.25, 3);
        c.Ellipse(ox + 5, oy + 5, 3, 2, Solid(0x9A9A90));
        c.Ellipse(ox + 11, oy + 11, 2.5, 2, Solid(0x80807A));
        break;
    case kStone:
    case kStoneRoof:
        fill(0x8C8C96, 0.2, 4);
        // Bricks: a mortar line every 8 rows, joints staggered.
        for (int x = 0; x < 16; ++x) {
            px(x, 7, 0x505058);
            px(x, 15, 0x505058);
        }
        for (int y = 0; y < 7; ++y) {
            px(4, y, 0x505058);
            px(12, y + 8, 0x505058);
        }
        if (tile == kStoneRoof)
            for (int y = 12; y < 16; ++y)
                for (int x = 0; x < 16; ++x)
                    px(x, y, Scale(0x505058, 0.6 + 0.1 * (15 - y)));
        break;
    case kPlank:
    case kLadderPlank:
        for (int y = 0; y < 6; ++y)
            for (int x = 0; x < 16; ++x)
                px(x, y, y == 0 ? 0xE0B070 : (x % 8 == 7 ? 0x603818 : 0xB07838));
        if (tile == kPlank)
            break;
        [[fallthrough]];
    case kLadder:
        for (int y = tile == kLadder ? 0 : 6; y < 16; ++y) {
            px(3, y, 0xC08040);
            px(4, y, 0x905020);
            px(11, y, 0xC08040);
            px(12, y, 0x905020);
            if (y % 5 == 2)
                for (int x = 5; x < 11; ++x)
                    px(x, y, 0xD8A060);
        }
        break;
    case kBouncePad:
        c.Rect(ox + 1, oy + 10, 14, 6, Solid(0x404048));
        for (int k = 0; k < 3; ++k)
            c.Line(ox + 3, oy + 9 - 2 * k, ox + 13, oy + 9 - 2 * k, 1.2, Solid(0xC0C0C8));
        c.Rect(ox + 0, oy + 2, 16, 3, Solid(0xF03020));
        c.Rect(ox + 2, oy + 2, 12, 1, Solid(0xFFE040));
        break;
    case kSpikes:
        fill(0x505058, 0.1, 5);
        for (int k = 0; k < 4; ++k)
            c.Triangle(ox + 4 * k, oy + 12, ox + 4 * k + 4, oy + 12, ox + 4 * k + 2, oy + 1,
                       Solid(0xE8E8F0));
        break;
    case kLava:
        for (int y = 0; y < 16; ++y)
            for (int x = 0; x < 16; ++x) {
                double wave = std::sin((x + y * 0.5) * 0.8) * 0.5 + 0.5;
                px(x, y, Mix(0xFF3010, 0xFFD040, wave * (y < 4 ? 1.0 : 0.5)));
            }
        break;
    case kFlowers:
        for (int k = 0; k < 3; ++k) {
            int x = 3 + 5 * k;
            c.Line(ox + x, oy + 15, ox + x, oy + 9, 1, Solid(0x2E8A2A));
            c.Disc(ox + x + 0.5, oy + 8, 2, k == 1 ? 0xFFE040 : 0xF070C0);
        }
        break;
    case kBush:
        c.Disc(ox + 5, oy + 11, 5, Solid(0x2A7A2A));
        c.Disc(ox + 11, oy + 10, 5.5, Solid(0x348C30));
        c.Disc(ox + 8, oy + 7, 4.5, Solid(0x40A038));
        break;
    case kGrassTuft:
        for (int k = 0; k < 6; ++k)
            c.Line(ox + 2 + 2.4 * k, oy + 15, ox + 1 + 2.6 * k, oy + 7 + (k % 2) * 3, 1,
                   Solid(k % 2 ? 0x48B040 : 0x68D050));
        break;
    case kPanel:
        for (int y = 0; y < 16; ++y)
            for (int x = 0; x < 16; ++x)
                px(x, y, y == 15 ? 0x6080B0 : 0x182030);
        break;
    case kSign:
        c.Rect(ox + 7, oy + 8, 2, 8, Solid(0x704020));
        c.Rect(ox + 1, oy + 1, 14, 8, Solid(0xC89050));
        c.Triangle(ox + 5, oy + 3, ox + 5, oy + 7, ox + 11, oy + 5, Solid(0x703010));
        break;
    default:
        break;
    }
}

} // namespace

TileSheet TerrainTiles() {
    TileSheet s;
    s.name = "terrain";
    s.columns = 8;
    s.count = kTerrainCount;
    s.picture = Canvas(8 * 16, 2 * 16);
    for (int t = 0; t < kTerrainCount; ++t)
        DrawTerrainTile(s.picture, t, (t % 8) * 16, (t / 8) * 16);
    // Surfaces are floor only, so that walking along them is not walking
    // into a wall; what lies beneath blocks both ways.
    s.tileInts[kGrass]["class"] = 1;
    for (int t : {kDirt, kStone, kDirtStones})
        s.tileInts[t]["class"] = 4;
    s.tileInts[kStoneRoof]["class"] = 0;
    s.tileInts[kPlank]["class"] = 1;
    s.tileInts[kLadder]["class"] = 5;
    s.tileInts[kLadderPlank]["class"] = 5;
    s.tileInts[kBouncePad]["class"] = 10;
    s.tileInts[kSpikes] = {{"class", 1}, {"hazard", 1}};
    s.tileInts[kLava] = {{"class", 1}, {"hazard", 3}};
    return s;
}

TileSheet MaskTiles() {
    TileSheet s;
    s.name = "masks";
    s.columns = 2;
    s.count = 2;
    s.picture = Canvas(32, 16);
    s.picture.Rect(0, 0, 16, 16, 0xFFFFFF);
    return s;
}

TileSheet FarBackground(const std::string& name, int width, int height, uint32_t sky,
                        uint32_t hills, double seed) {
    TileSheet s;
    s.name = name;
    s.tileWidth = s.tileHeight = 32;
    s.columns = width / 32;
    s.count = s.columns * (height / 32);
    s.picture = Canvas(width, height);
    Canvas& c = s.picture;
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x) {
            double t = double(y) / height;
            c.Set(x, y, Solid(Mix(Scale(sky, 0.55), Mix(sky, 0xFFFFFF, 0.35), t)));
        }
    // Stars or cloud puffs, then two ranges of mountains.
    for (int k = 0; k < width / 40; ++k) {
        double x = Noise(k, 1, seed) * width, y = Noise(k, 2, seed) * height * 0.4;
        c.Ellipse(x, y, 10 + 14 * Noise(k, 3, seed), 4 + 3 * Noise(k, 4, seed),
                  Solid(Mix(sky, 0xFFFFFF, 0.7)));
    }
    for (int range = 0; range < 2; ++range) {
        uint32_t colour = Mix(hills, sky, range == 0 ? 0.55 : 0.15);
        double base = height * (range == 0 ? 0.55 : 0.72);
        for (int x = 0; x < width; ++x) {
            double h = base - 60 * std::fabs(std::sin(x / (97.0 + 40 * range) + seed + range)) -
                       25 * std::sin(x / 31.0 + seed * 2);
            for (int y = int(h); y < height; ++y)
                c.Set(x, y, Solid(Scale(colour, 0.85 + 0.15 * (double(y) - h) / height)));
        }
    }
    return s;
}

TileSheet NearBackground(const std::string& name, int width, int height, uint32_t trees,
                         double seed) {
    TileSheet s;
    s.name = name;
    s.tileWidth = s.tileHeight = 32;
    s.columns = width / 32;
    s.count = s.columns * (height / 32);
    s.picture = Canvas(width, height); // black: the far layer shows through
    Canvas& c = s.picture;
    // Rolling hills along the lower part, with round trees on them.
    for (int x = 0; x < width; ++x) {
        double h = height * 0.7 - 40 * std::sin(x / 120.0 + seed) - 18 * std::sin(x / 47.0);
        for (int y = int(h); y < height; ++y)
            c.Set(x, y, Solid(Scale(trees, 0.55 + 0.15 * Noise(x / 3, y / 3, seed))));
    }
    for (int k = 0; k < width / 90; ++k) {
        double x = (k + 0.5) * 90 + 30 * (Noise(k, 5, seed) - 0.5);
        double ground = height * 0.7 - 40 * std::sin(x / 120.0 + seed) - 18 * std::sin(x / 47.0);
        double r = 18 + 14 * Noise(k, 6, seed);
        c.Rect(int(x) - 3, int(ground - r), 6, int(r) + 4, Solid(0x4A3020));
        c.Disc(x, ground - r - r * 0.6, r, Solid(Scale(trees, 0.8)));
        c.Disc(x - r * 0.4, ground - r - r * 0.8, r * 0.6, Solid(Mix(trees, 0xFFFFFF, 0.1)));
    }
    return s;
}

Canvas TitlePicture() {
    TileSheet far = FarBackground("title", 640, 480, 0x3060C0, 0x284070, 0.3);
    Canvas c = far.picture;
    TileSheet near = NearBackground("title", 640, 480, 0x307830, 1.1);
    c.Paste(near.picture, 0, 0);
    return c;
}

Canvas StoryPicture(int page) {
    static const uint32_t kSkies[] = {0xC06030, 0x202858, 0x5090D0};
    TileSheet far = FarBackground("story", 640, 480, kSkies[page % 3], 0x302020, page + 0.7);
    Canvas c = far.picture;
    c.Paste(NearBackground("story", 640, 480, 0x285020, page * 2.0).picture, 0, 0);
    // A dark band under the caption.
    for (int y = 320; y < 440; ++y)
        for (int x = 0; x < 640; ++x)
            c.Set(x, y, Solid(Scale(c.At(x, y), 0.35)));
    return c;
}

} // namespace demo
