// The sprites' sheets. The hero is green and brown, foes purple and red,
// pickups gold, red and blue on nothing, so each reads at a glance.
#include "demo/Glyphs.h"
#include "demo/art/Art.h"

#include <cmath>

namespace demo {
namespace {

constexpr double kPi = 3.14159265358979;

constexpr uint32_t kSkin = 0xF0C090, kHair = 0x6A3814, kTunic = 0x30A040, kTunicDark = 0x1E7028,
                   kScarf = 0xE03020, kBoot = 0x4A2A10, kEye = 0x101010;

// A sheet of `count` frames of w x h, `columns` across, each drawn by
// `draw(canvas, frame, left, top)`, with one box for every frame.
template <typename Draw>
TileSheet Sheet(const std::string& name, int w, int h, int columns, int count,
                std::array<int, 4> box, Draw draw) {
    TileSheet s;
    s.name = name;
    s.tileWidth = w;
    s.tileHeight = h;
    s.columns = columns;
    s.count = count;
    s.picture = Canvas(w * columns, h * ((count + columns - 1) / columns));
    for (int f = 0; f < count; ++f) {
        draw(s.picture, f, (f % columns) * w, (f / columns) * h);
        if (box[2] > box[0])
            s.boxes[f] = {box};
    }
    return s;
}

// Copies frame `from` of a sheet, mirrored, into frame `to`.
void MirrorFrame(TileSheet& s, int from, int to) {
    int fx = (from % s.columns) * s.tileWidth, fy = (from / s.columns) * s.tileHeight;
    int tx = (to % s.columns) * s.tileWidth, ty = (to / s.columns) * s.tileHeight;
    for (int y = 0; y < s.tileHeight; ++y)
        for (int x = 0; x < s.tileWidth; ++x)
            s.picture.Set(tx + s.tileWidth - 1 - x, ty + y, s.picture.At(fx + x, fy + y));
}

// The hero facing right, standing on the frame's bottom row at x = 24.
struct Pose {
    double legs = 0;     // -1..1: the front leg's swing
    double arms = 0;     // -1..1: the front arm's swing
    double lean = 0;     // pixels the head leans forward
    double crouch = 0;   // pixels the body sinks
    bool armsUp = false; // jumping or falling
    double legsUp = 0;   // pixels the feet are drawn up
    bool dash = false;   // fist forward, speed lines
};

void DrawHero(Canvas& c, int ox, int oy, const Pose& p) {
    double hipX = ox + 24, hipY = oy + 34 + p.crouch;
    double neckX = hipX + p.lean * 0.6, neckY = oy + 21 + p.crouch;
    auto leg = [&](double swing, uint32_t shade) {
        double fx = hipX + 7 * swing, fy = oy + 45 - p.legsUp - 2 * std::fabs(swing);
        c.Line(hipX, hipY, fx, fy, 4, Solid(shade));
        c.Ellipse(fx + 1.5, fy + 1, 3.2, 2, Solid(kBoot));
    };
    auto arm = [&](double swing, uint32_t shade) {
        double hx = neckX + 6 * swing, hy = neckY + (p.armsUp ? -9 : 10) - std::fabs(swing) * 2;
        if (p.dash && shade == kSkin)
            hx = neckX + 12, hy = neckY + 3;
        c.Line(neckX, neckY + 1, hx, hy, 3, Solid(shade));
        c.Disc(hx, hy, 2, Solid(kSkin));
    };
    arm(-p.arms, Scale(kSkin, 0.8)); // the far arm behind the body
    leg(-p.legs, kTunicDark);
    leg(p.legs, kTunic);
    c.Line(neckX, neckY + 2, hipX, hipY - 1, 10, Solid(kTunic));
    c.Rect(int(hipX) - 5, int(hipY) - 3, 10, 3, Solid(kBoot)); // belt
    double headX = neckX + p.lean * 0.4, headY = oy + 14 + p.crouch;
    c.Disc(headX, headY, 6.5, Solid(kSkin));
    c.Ellipse(headX - 1.5, headY - 4, 6.5, 3.5, Solid(kHair));
    c.Rect(int(headX) + 2, int(headY) - 1, 2, 2, Solid(kEye));
    c.Line(neckX - 4, neckY, neckX + 4, neckY, 3, Solid(kScarf));
    c.Line(neckX - 4, neckY, neckX - 9, neckY + 4 - p.lean, 2, Solid(kScarf)); // scarf tail
    arm(p.arms, kSkin);
    if (p.dash)
        for (int k = 0; k < 3; ++k)
            c.Line(ox + 2, oy + 22 + 6 * k, ox + 10, oy + 22 + 6 * k, 1, Solid(0xE0F0FF));
}

// The airborne strike: the hero curled up, swinging a spade around.
void DrawStrike(Canvas& c, int ox, int oy, int step) {
    double cx = ox + 24, cy = oy + 30;
    double angle = step * kPi / 3;
    double bx = cx + 17 * std::cos(angle), by = cy + 17 * std::sin(angle);
    c.Line(cx, cy, bx, by, 2, Solid(0xA07040));
    c.Disc(bx, by, 4, Solid(0xD0D8E0));
    c.Disc(cx, cy + 2, 9, Solid(kTunic));
    c.Disc(cx + 3, cy - 7, 6, Solid(kSkin));
    c.Ellipse(cx + 1.5, cy - 11, 6, 3, Solid(kHair));
    c.Rect(int(cx) + 5, int(cy) - 8, 2, 2, Solid(kEye));
    c.Ellipse(cx - 2, cy + 11, 4, 2.5, Solid(kBoot));
    c.Ellipse(cx + 5, cy + 11, 4, 2.5, Solid(kBoot));
}

// Climbing, seen from behind: hands and feet take turns.
void DrawClimb(Canvas& c, int ox, int oy, int step) {
    double phase = std::sin(step * kPi / 4);
    double cx = ox + 24;
    c.Line(cx - 3, oy + 34, cx - 6, oy + 44 - 3 * phase, 4, Solid(kTunicDark));
    c.Line(cx + 3, oy + 34, cx + 6, oy + 44 + 3 * phase, 4, Solid(kTunicDark));
    c.Line(cx, oy + 22, cx, oy + 33, 10, Solid(kTunic));
    c.Line(cx - 4, oy + 22, cx - 8, oy + 10 + 4 * phase, 3, Solid(kSkin));
    c.Line(cx + 4, oy + 22, cx + 8, oy + 10 - 4 * phase, 3, Solid(kSkin));
    c.Disc(cx, oy + 15, 6.5, Solid(kHair));
    c.Line(cx - 4, oy + 21, cx + 4, oy + 21, 3, Solid(kScarf));
}

} // namespace

TileSheet HeroSheet() {
    // Right-facing frames are drawn; the left-facing ones are their mirrors
    // (walk 23..14 mirror 24..33, jump 13..11 mirror 34..36, fall 10..8 and
    // strike 8..4 mirror 37..43, dash 2..0 mirror 45..47). The box reaches
    // the frame's bottom edge, so that the hero stands still on a tile's top
    // at a multiple of the 4-pixel step rather than bobbing between two.
    TileSheet s = Sheet("hero", 48, 48, 8, 56, {16, 8, 32, 48}, [](Canvas&, int, int, int) {});
    auto at = [&](int frame, auto draw) { draw(s.picture, (frame % 8) * 48, (frame / 8) * 48); };
    for (int k = 0; k < 10; ++k) // walk
        at(24 + k, [k](Canvas& c, int x, int y) {
            double swing = std::sin(k * 2 * kPi / 10);
            DrawHero(c, x, y, {.legs = swing, .arms = -swing, .lean = 1.5});
        });
    for (int k = 0; k < 3; ++k) // jump: crouch, push off, tucked
        at(34 + k, [k](Canvas& c, int x, int y) {
            DrawHero(c, x, y,
                     {.legs = 0.3 * k,
                      .arms = 0.5,
                      .lean = 1,
                      .crouch = k == 0 ? 3.0 : 0.0,
                      .armsUp = k > 0,
                      .legsUp = 3.0 * k});
        });
    for (int k = 0; k < 2; ++k) // fall: legs dangling, arms flailing
        at(37 + k, [k](Canvas& c, int x, int y) {
            DrawHero(c, x, y, {.legs = k ? -0.5 : 0.5, .arms = k ? 0.8 : -0.8, .armsUp = true});
        });
    for (int k = 0; k < 6; ++k) // strike, 39..44
        at(39 + k, [k](Canvas& c, int x, int y) { DrawStrike(c, x, y, k); });
    at(45, [](Canvas& c, int x, int y) { DrawHero(c, x, y, {}); }); // standing
    for (int k = 0; k < 2; ++k)                                     // dash
        at(46 + k, [k](Canvas& c, int x, int y) {
            DrawHero(c, x, y, {.legs = 0.6 + 0.3 * k, .lean = 5.0 + 2 * k, .dash = true});
        });
    for (int k = 0; k < 8; ++k) // climb
        at(48 + k, [k](Canvas& c, int x, int y) { DrawClimb(c, x, y, k); });
    for (int k = 0; k < 10; ++k)
        MirrorFrame(s, 24 + k, 23 - k);
    for (int k = 0; k < 3; ++k)
        MirrorFrame(s, 34 + k, 13 - k);
    for (int k = 0; k < 7; ++k)
        MirrorFrame(s, 37 + k, 10 - k); // 37..43 -> 10..4
    MirrorFrame(s, 44, 3);
    for (int k = 0; k < 3; ++k)
        MirrorFrame(s, 45 + k, 2 - k);
    s.strings["brain"] = "Pimbrel.dll";
    s.bools["isPlayer"] = true;
    return s;
}

TileSheet AuraSheet() {
    return Sheet("aura", 48, 48, 6, 6, {0, 0, 0, 0}, [](Canvas& c, int f, int x, int y) {
        if (f < 3) { // the hurt flash
            c.Ellipse(x + 24, y + 32, 13, 19, Solid(0xFF2010));
            c.Ellipse(x + 24, y + 32, 11 - f, 17 - f, 0);
            return;
        }
        uint32_t colour = f == 3 ? 0x60E0FF : f == 4 ? 0xA0F0FF : 0xFFFFA0;
        for (int k = 0; k < 8; ++k) {
            double a = k * kPi / 4 + f * 0.4;
            c.Disc(x + 24 + 16 * std::cos(a), y + 32 + 20 * std::sin(a), 2.5, Solid(colour));
        }
    });
}

TileSheet HelperSheet() {
    return Sheet("helper", 32, 32, 4, 4, {0, 0, 0, 0}, [](Canvas& c, int f, int x, int y) {
        double flap = std::sin(f * kPi / 2) * 5;
        c.Ellipse(x + 9, y + 12 - flap / 2, 7, 4 + flap / 2, Solid(0xB0E8FF));
        c.Ellipse(x + 23, y + 12 - flap / 2, 7, 4 + flap / 2, Solid(0xB0E8FF));
        c.Disc(x + 16, y + 16, 7, Solid(0xFFF080));
        c.Disc(x + 16, y + 16, 4, Solid(0xFFFFFF));
        c.Rect(x + 13, y + 14, 2, 2, Solid(kEye));
        c.Rect(x + 18, y + 14, 2, 2, Solid(kEye));
    });
}

TileSheet SpiritSheet() {
    return Sheet("spirit", 32, 32, 2, 2, {0, 0, 0, 0}, [](Canvas& c, int f, int x, int y) {
        c.Ellipse(x + 16, y + 4, 7, 2, Solid(0xFFE060)); // halo
        c.Disc(x + 16, y + 12, 6, Solid(0xE8F0FF));
        c.Triangle(x + 8, y + 14, x + 24, y + 14, x + 16 + (f ? 3 : -3), y + 31, Solid(0xD0E0F8));
        c.Rect(x + 14, y + 11, 1, 2, Solid(0x6070A0));
        c.Rect(x + 18, y + 11, 1, 2, Solid(0x6070A0));
    });
}

namespace {
// A round-backed beetle walking right, its legs in step `k` of 8.
void DrawBeetle(Canvas& c, int x, int y, int size, int k, uint32_t shell, bool dead) {
    double s = size / 32.0;
    double step = std::sin(k * kPi / 4);
    uint32_t leg = dead ? 0x606060 : 0x302030;
    if (dead) {
        c.Ellipse(x + 16 * s, y + 20 * s, 13 * s, 8 * s, Solid(0x909090));
        for (int i = 0; i < 3; ++i)
            c.Line(x + (9 + 7 * i) * s, y + 13 * s, x + (8 + 7 * i) * s, y + 6 * s, 2 * s,
                   Solid(leg));
        return;
    }
    for (int i = 0; i < 3; ++i) {
        double swing = (i % 2 ? step : -step) * 3 * s;
        c.Line(x + (9 + 7 * i) * s, y + 22 * s, x + (8 + 7 * i) * s + swing, y + 31 * s, 2 * s,
               Solid(leg));
    }
    c.Ellipse(x + 15 * s, y + 18 * s, 12 * s, 9 * s, Solid(shell));
    c.Ellipse(x + 13 * s, y + 15 * s, 6 * s, 3 * s, Solid(Mix(shell, 0xFFFFFF, 0.4)));
    c.Disc(x + 26 * s, y + 20 * s, 5 * s, Solid(Scale(shell, 0.6)));
    c.Disc(x + 28 * s, y + 18 * s, 2 * s, Solid(0xFFFF60));
    c.Rect(int(x + 28 * s), int(y + 18 * s), int(std::max(1.0, s)), int(std::max(1.0, s)),
           Solid(kEye));
}

TileSheet Foe(const std::string& name, int size, uint32_t shell, std::array<int, 4> box,
              bool horns) {
    TileSheet s = Sheet(name, size, size, 8, 17, box, [&](Canvas& c, int f, int x, int y) {
        if (f < 8 || f == 16)
            DrawBeetle(c, x, y + (f == 16 ? 0 : int(std::fabs(std::sin(f * kPi / 4)))), size, f,
                       shell, f == 16);
        if (horns && f < 8) {
            double u = size / 32.0;
            c.Triangle(x + 10 * u, y + 12 * u, x + 14 * u, y + 10 * u, x + 8 * u, y + 2 * u,
                       Solid(0xF0F0E0));
            c.Triangle(x + 18 * u, y + 10 * u, x + 22 * u, y + 12 * u, x + 24 * u, y + 2 * u,
                       Solid(0xF0F0E0));
        }
    });
    for (int k = 0; k < 8; ++k)
        MirrorFrame(s, k, 8 + k);
    return s;
}
} // namespace

TileSheet WalkerSheet() {
    TileSheet s = Foe("walker", 32, 0x8A3CC0, {4, 8, 28, 31}, false);
    s.strings["brain"] = "Grumet.dll";
    s.ints["points"] = 100;
    return s;
}

TileSheet BossSheet() {
    TileSheet s = Foe("boss", 64, 0xD02828, {8, 16, 56, 63}, true);
    // The boss walks like any foe, with a brain of its own so that its state
    // is not shared with the walkers'.
    s.strings["brain"] = "BossGrumet.dll";
    s.ints["points"] = 5000;
    return s;
}

TileSheet ShovelSheet() {
    TileSheet s = Sheet("shovel", 32, 32, 4, 4, {8, 2, 24, 32}, [](Canvas& c, int f, int x, int y) {
        double tilt = (f - 1.5) * 1.5;
        c.Line(x + 16 - tilt, y + 1, x + 16 + tilt, y + 20, 3, Solid(0x8A5A2C));
        c.Rect(x + 12 - int(tilt), y + 0, 9, 3, Solid(0x6A4020));
        c.Triangle(x + 9 + tilt, y + 18, x + 23 + tilt, y + 18, x + 16 + tilt, y + 31,
                   Solid(0xC8D0D8));
    });
    s.strings["brain"] = "Spadon.dll";
    return s;
}

TileSheet GoodieSheet() {
    TileSheet s = Sheet("gem", 24, 24, 8, 8, {4, 4, 20, 20}, [](Canvas& c, int f, int x, int y) {
        if (f == 7) { // collected: a sparkle rising
            for (int k = 0; k < 4; ++k)
                c.Line(x + 12, y + 12, x + 12 + 9 * std::cos(k * kPi / 2 + 0.4),
                       y + 12 + 9 * std::sin(k * kPi / 2 + 0.4), 1.5, Solid(0xFFF8B0));
            return;
        }
        double w = 8 * std::fabs(std::cos(f * kPi / 7)) + 1;
        c.Triangle(x + 12 - w, y + 9, x + 12 + w, y + 9, x + 12, y + 21, Solid(0x20B0F0));
        c.Triangle(x + 12 - w, y + 9, x + 12 + w, y + 9, x + 12, y + 3, Solid(0x90E8FF));
    });
    s.strings["brain"] = "Trinzel.dll";
    s.ints["points"] = 250;
    return s;
}

TileSheet ToolSheet() {
    TileSheet s = Sheet("tool", 24, 24, 6, 6, {4, 4, 20, 20}, [](Canvas& c, int f, int x, int y) {
        double a = kPi / 4 + std::sin(f * kPi / 3) * 0.3;
        double dx = 8 * std::cos(a), dy = 8 * std::sin(a);
        c.Line(x + 12 - dx, y + 12 + dy, x + 12 + dx, y + 12 - dy, 3, Solid(0xF0C020));
        c.Disc(x + 12 + dx, y + 12 - dy, 4, Solid(0xF0C020));
        c.Disc(x + 12 + dx * 1.2, y + 12 - dy * 1.2, 2, 0);
        if (f == 2)
            c.Disc(x + 8, y + 8, 1.5, Solid(0xFFFFFF));
    });
    s.strings["brain"] = "Gadrik.dll";
    return s;
}

TileSheet HealthSheet() {
    TileSheet s = Sheet("health", 24, 24, 6, 6, {3, 3, 21, 21}, [](Canvas& c, int f, int x, int y) {
        double r = 4.5 + 0.6 * std::sin(f * kPi / 3);
        c.Disc(x + 12 - r * 0.8, y + 10, r, Solid(0xF02030));
        c.Disc(x + 12 + r * 0.8, y + 10, r, Solid(0xF02030));
        c.Triangle(x + 12 - 2 * r + 0.5, y + 11, x + 12 + 2 * r - 0.5, y + 11, x + 12,
                   y + 11 + 2 * r, Solid(0xF02030));
        c.Disc(x + 12 - r, y + 8, 1.5, Solid(0xFFC0C0));
    });
    s.strings["brain"] = "Medrin.dll";
    return s;
}

TileSheet LifeSheet() {
    TileSheet s = Sheet("life", 24, 24, 6, 6, {3, 3, 21, 21}, [](Canvas& c, int f, int x, int y) {
        int bob = f % 3;
        c.Disc(x + 12, y + 12 - bob, 8, Solid(kSkin));
        c.Ellipse(x + 11, y + 6 - bob, 8, 4, Solid(kHair));
        c.Rect(x + 14, y + 11 - bob, 2, 2, Solid(kEye));
        c.Line(x + 6, y + 20 - bob, x + 18, y + 20 - bob, 3, Solid(kScarf));
        c.Text(x + 17, y + 15, "1", 1, Solid(0xFFFFFF));
    });
    s.strings["brain"] = "Vitrel.dll";
    return s;
}

TileSheet InvincibilitySheet() {
    TileSheet s = Sheet("star", 24, 24, 6, 6, {3, 3, 21, 21}, [](Canvas& c, int f, int x, int y) {
        double spin = f * kPi / 15;
        uint32_t colour = f % 2 ? 0xFFF060 : 0xFFC020;
        for (int k = 0; k < 5; ++k) {
            double a = spin + k * 2 * kPi / 5 - kPi / 2, b = a + kPi / 5, d = a - kPi / 5;
            c.Triangle(x + 12 + 10 * std::cos(a), y + 12 + 10 * std::sin(a),
                       x + 12 + 4 * std::cos(b), y + 12 + 4 * std::sin(b), x + 12 + 4 * std::cos(d),
                       y + 12 + 4 * std::sin(d), Solid(colour));
        }
        c.Disc(x + 12, y + 12, 4.5, Solid(colour));
    });
    s.strings["brain"] = "Aegrim.dll";
    return s;
}

TileSheet TeleportSheet(const std::string& name, uint32_t colour) {
    TileSheet s = Sheet(name, 32, 48, 6, 6, {6, 12, 26, 48}, [=](Canvas& c, int f, int x, int y) {
        c.Ellipse(x + 16, y + 45, 14, 3, Solid(0x707080)); // the pad
        for (int k = 0; k < 6; ++k) {
            double a = (f + k) * kPi / 3;
            double ry = 4 + 6 * k;
            c.Disc(x + 16 + 9 * std::cos(a), y + 44 - ry, 2, Solid(Mix(colour, 0xFFFFFF, k / 8.0)));
        }
        c.Ellipse(x + 16, y + 26, 8, 16, Solid(Scale(colour, 0.5)));
        c.Ellipse(x + 16, y + 26, 5, 12, 0);
    });
    s.strings["brain"] = "Portavo.dll";
    return s;
}

TileSheet CheckpointSheet() {
    return Sheet("continue", 32, 48, 3, 3, {6, 0, 26, 48}, [](Canvas& c, int f, int x, int y) {
        if (f == 2) { // the exit: a golden door with a lit window
            c.Rect(x + 2, y + 4, 28, 44, Solid(0x805010));
            c.Rect(x + 5, y + 7, 22, 41, Solid(0xE0B030));
            c.Disc(x + 16, y + 16, 5, Solid(0xFFF8C0));
            c.Disc(x + 22, y + 30, 1.5, Solid(0x603000));
            c.Text(x + 3, y - 0, "EXIT", 1, Solid(0xFFFFFF));
            return;
        }
        c.Rect(x + 14, y + 4, 3, 44, Solid(0xC0C0C8));
        c.Ellipse(x + 15, y + 46, 8, 2, Solid(0x707080));
        uint32_t flag = f == 0 ? 0x909090 : 0x30D040;
        int top = f == 0 ? 30 : 5;
        c.Triangle(x + 17, y + top, x + 17, y + top + 12, x + 30, y + top + 6, Solid(flag));
    });
}

TileSheet PlatformSheet() {
    TileSheet s = Sheet("slab", 48, 16, 1, 1, {0, 0, 48, 6}, [](Canvas& c, int, int x, int y) {
        c.Rect(x, y, 48, 10, Solid(0x9090A0));
        c.Rect(x, y, 48, 2, Solid(0xD0D0E0));
        c.Triangle(x + 8, y + 10, x + 40, y + 10, x + 24, y + 16, Solid(0x606070));
    });
    s.bools["isPlatform"] = true;
    return s;
}

TileSheet HealthMeterSheet() {
    return Sheet("health-meter", 88, 16, 1, 11, {0, 0, 0, 0}, [](Canvas& c, int f, int x, int y) {
        c.Frame(x, y, 88, 16, Solid(0xFFFFFF));
        for (int k = 0; k < 10 - f; ++k)
            c.Rect(x + 3 + 8 * k, y + 3, 6, 10,
                   Solid(k < 3   ? 0xF03020
                         : k < 6 ? 0xF0C020
                                 : 0x40D040));
    });
}

TileSheet LivesSheet() {
    return Sheet("lives", 16, 16, 1, 1, {0, 0, 0, 0}, [](Canvas& c, int, int x, int y) {
        c.Disc(x + 8, y + 8, 6, Solid(kSkin));
        c.Ellipse(x + 7, y + 4, 6, 3, Solid(kHair));
        c.Rect(x + 10, y + 7, 2, 2, Solid(kEye));
        c.Line(x + 3, y + 14, x + 13, y + 14, 2, Solid(kScarf));
    });
}

TileSheet DigitsSheet() {
    return Sheet("digits", 12, 16, 10, 10, {0, 0, 0, 0}, [](Canvas& c, int f, int x, int y) {
        c.Text(x + 1, y + 1, std::string(1, char('0' + f)), 2, Solid(0xFFE060));
    });
}

TileSheet ToolIconSheet() {
    return Sheet("tool-icon", 16, 16, 8, 8, {0, 0, 0, 0}, [](Canvas& c, int f, int x, int y) {
        double a = f * kPi / 4;
        double dx = 6 * std::cos(a), dy = 6 * std::sin(a);
        c.Line(x + 8 - dx, y + 8 - dy, x + 8 + dx, y + 8 + dy, 2, Solid(0xF0C020));
        c.Disc(x + 8 + dx, y + 8 + dy, 3, Solid(0xF0C020));
    });
}

} // namespace demo
