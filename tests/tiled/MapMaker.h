// A small map covering every rule of the importer, written into the current
// folder as the editor would: PNG and BMP pictures, an external tile set, and
// every layer encoding. Tests change it by text substitution.
#pragma once

#include "tools/GameData.h"
#include "tools/Pictures.h"
#include "tools/tiled/Images.h"

#include <zlib.h>

#include <fstream>
#include <string>

namespace tiledtest {

// Colours the pictures are made of, 0xRRGGBB; each is exact in 5-6-5.
constexpr uint32_t kGround = 0xF88000, kGrass = 0x08FC10, kSky = 0x2040F8;
constexpr uint32_t kHero = 0xF8F800, kCoin = 0xF800F8;

inline void WriteText(const std::string& path, const std::string& text) {
    std::ofstream(path, std::ios::binary) << text;
}

inline void WritePng(const std::string& path, const tiled::Image& image) {
    gamedata::WriteFile(path, tiled::EncodePng(image));
}

inline tiled::Image Fill(int w, int h, uint32_t (*f)(int x, int y)) {
    tiled::Image image = tiled::MakeImage(w, h);
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x)
            image.Set(x, y, f(x, y));
    return image;
}

// Little-endian gids, compressed as zlib (gzip when `gzip`), in base64.
inline std::string Packed(const std::vector<uint32_t>& gids, bool gzip) {
    std::string raw;
    for (uint32_t g : gids)
        for (int i = 0; i < 4; ++i)
            raw += char(g >> (8 * i));
    z_stream z{};
    deflateInit2(&z, 9, Z_DEFLATED, gzip ? 31 : 15, 8, Z_DEFAULT_STRATEGY);
    std::string packed(raw.size() + 128, '\0');
    z.next_in = reinterpret_cast<Bytef*>(raw.data());
    z.avail_in = uInt(raw.size());
    z.next_out = reinterpret_cast<Bytef*>(packed.data());
    z.avail_out = uInt(packed.size());
    deflate(&z, Z_FINISH);
    packed.resize(z.total_out);
    deflateEnd(&z);
    static const char* abc = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";
    std::string out;
    for (size_t i = 0; i < packed.size(); i += 3) {
        uint32_t n = uint32_t(uint8_t(packed[i])) << 16;
        if (i + 1 < packed.size())
            n |= uint32_t(uint8_t(packed[i + 1])) << 8;
        if (i + 2 < packed.size())
            n |= uint8_t(packed[i + 2]);
        out += abc[n >> 18];
        out += abc[(n >> 12) & 63];
        out += i + 1 < packed.size() ? abc[(n >> 6) & 63] : '=';
        out += i + 2 < packed.size() ? abc[n & 63] : '=';
    }
    return out;
}

// Writes the pictures and returns the map's text: an 8 x 4 map of 16-pixel
// tiles on a 56 x 40 screen.
//   Back  : one sky tile everywhere (BMP, 24 bits), opaque, parallax 0.5;
//           a "coin" (its tile set anchors objects top-left) with two
//           instances, the second with two candidates.
//   Main  : ground (class 1 by tile property) in row 2, grass at (3, 1);
//           a collision layer making (3, 1) class 4 hazard 2, a mask layer
//           with the half mask under the grass; the player "hero" at (0, 0).
inline std::string WriteExampleMap() {
    WritePng("ground.png",
             Fill(32, 16, [](int x, int) { return 0xFF000000u | (x < 16 ? kGround : kGrass); }));
    gamedata::BmpFileDesc sky{.width = 16, .height = 16, .bitCount = 24};
    sky.pixels = gamedata::DibRows(16, 16, 24, [](int, int) { return kSky; });
    gamedata::WriteFile("sky.bmp", gamedata::BuildBmpFile(sky));
    // Hero: two 8 x 8 frames, the top-left pixel of each transparent.
    WritePng("hero.png", Fill(16, 8, [](int x, int y) {
                 return x % 8 == 0 && y == 0 ? 0u : 0xFF000000u | kHero;
             }));
    WritePng("coin.png", Fill(8, 8, [](int, int) { return 0xFF000000u | kCoin; }));
    // Mask tiles: a full one and one solid below row 8 (white and opaque).
    WritePng("mask.png", Fill(32, 16, [](int x, int y) {
                 return x < 16 || y >= 8 ? 0xFFFFFFFFu : 0xFF000000u;
             }));
    WriteText("classes.tsx", R"(<?xml version="1.0" encoding="UTF-8"?>
<tileset version="1.8" name="classes" tilewidth="16" tileheight="16" tilecount="2" columns="2">
 <image source="ground.png" width="32" height="16"/>
 <tile id="0"><properties><property name="class" type="int" value="4"/><property name="hazard" type="int" value="2"/></properties></tile>
</tileset>
)");
    std::vector<uint32_t> back(32, 3); // the sky's gid
    std::vector<uint32_t> collision(32, 0);
    collision[1 * 8 + 3] = 9; // classes tile 0
    return R"(<?xml version="1.0" encoding="UTF-8"?>
<map version="1.8" orientation="orthogonal" renderorder="right-down" width="8" height="4" tilewidth="16" tileheight="16" infinite="0">
 <properties>
  <property name="level" value="level"/>
  <property name="music" value="music.wav"/>
  <property name="screenWidth" type="int" value="56"/>
  <property name="screenHeight" type="int" value="40"/>
 </properties>
 <tileset firstgid="1" name="ground" tilewidth="16" tileheight="16" tilecount="2" columns="2">
  <properties><property name="file" value="main.til"/></properties>
  <image source="ground.png" width="32" height="16"/>
  <tile id="0"><properties><property name="class" type="int" value="1"/></properties></tile>
 </tileset>
 <tileset firstgid="3" name="sky" tilewidth="16" tileheight="16" tilecount="1" columns="1">
  <image source="sky.bmp" width="16" height="16"/>
 </tileset>
 <tileset firstgid="4" name="hero" tilewidth="8" tileheight="8" tilecount="2" columns="2">
  <properties>
   <property name="brain" value="TestPlayer.dll"/>
   <property name="isPlayer" type="bool" value="true"/>
   <property name="param3" type="int" value="2"/>
  </properties>
  <image source="hero.png" width="16" height="8"/>
  <tile id="1"><objectgroup><object id="1" x="1" y="2" width="5" height="6"><properties><property name="value" type="int" value="-7"/></properties></object></objectgroup></tile>
 </tileset>
 <tileset firstgid="6" name="coin" tilewidth="8" tileheight="8" tilecount="1" columns="1" objectalignment="topleft">
  <image source="coin.png" width="8" height="8"/>
 </tileset>
 <tileset firstgid="7" name="mask" tilewidth="16" tileheight="16" tilecount="2" columns="2">
  <image source="mask.png" width="32" height="16"/>
 </tileset>
 <tileset firstgid="9" source="classes.tsx"/>
 <layer id="1" name="Back" width="8" height="4" parallaxx="0.5" parallaxy="0.5">
  <properties><property name="opaque" type="bool" value="true"/></properties>
  <data encoding="base64" compression="zlib">)" +
           Packed(back, false) + R"(</data>
 </layer>
 <objectgroup id="2" name="Back things">
  <object id="1" name="coin" gid="6" x="30" y="4" width="8" height="8">
   <properties>
    <property name="brain" value="TestBrain.dll"/>
    <property name="points" type="int" value="-50"/>
    <property name="param9" type="int" value="70000"/>
    <property name="sequence1" value="spin|fast|1|2|3|4"/>
    <property name="sound1" value="ding|ding.wav|0 3"/>
   </properties>
  </object>
  <object id="2" name="coin" gid="6" x="100" y="42"><properties><property name="instance" type="int" value="7"/></properties></object>
  <object id="3" name="coin" gid="6" x="110" y="52"><properties><property name="instance" type="int" value="7"/></properties></object>
 </objectgroup>
 <layer id="3" name="Main" width="8" height="4">
  <properties>
   <property name="main" type="bool" value="true"/>
   <property name="sound1" value="wind|wind.wav|1:2 3:4|5|6 7"/>
  </properties>
  <data encoding="csv">
0,0,0,0,0,0,0,0,
0,0,0,2,0,0,0,0,
1,1,1,1,1,1,1,1,
1,1,1,1,1,1,1,1
</data>
 </layer>
 <layer id="4" name="Main classes" width="8" height="4">
  <properties><property name="collision" type="bool" value="true"/></properties>
  <data encoding="base64" compression="gzip">)" +
           Packed(collision, true) + R"(</data>
 </layer>
 <layer id="5" name="Main mask" width="8" height="4">
  <properties><property name="mask" type="bool" value="true"/></properties>
  <data>
   <tile/><tile/><tile/><tile/><tile/><tile/><tile/><tile/>
   <tile/><tile/><tile/><tile gid="8"/><tile/><tile/><tile/><tile/>
   <tile gid="7"/><tile gid="7"/><tile gid="7"/><tile gid="7"/><tile gid="7"/><tile gid="7"/><tile gid="7"/><tile gid="7"/>
   <tile/><tile/><tile/><tile/><tile/><tile/><tile/><tile/>
  </data>
 </layer>
 <objectgroup id="6" name="Main things">
  <object id="4" name="hero" gid="5" x="0" y="8" width="8" height="8"/>
 </objectgroup>
</map>
)";
}

} // namespace tiledtest
