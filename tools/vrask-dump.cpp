// Prints a game file or a level file as text, field by field. A short file is
// printed up to where it ends, with the field it ended in.

#include "common/ByteIO.h"
#include "tools/GameData.h"

#include <algorithm>
#include <cctype>
#include <cstdarg>
#include <cstdint>
#include <cstdio>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

using namespace gamedata;

namespace {

struct Truncated {
    std::string field;
    size_t fieldOffset;
    size_t need;
};

class Dumper {
  public:
    explicit Dumper(const std::vector<uint8_t>& data) : in_(data.data(), data.size()) {}

    size_t Offset() const { return in_.Offset(); }
    size_t Remaining() const { return in_.Remaining(); }

    [[gnu::format(printf, 2, 3)]] void Line(const char* format, ...) {
        std::printf("%*s", depth_ * 2, "");
        va_list args;
        va_start(args, format);
        std::vprintf(format, args);
        va_end(args);
        std::putchar('\n');
    }
    // Starts a block: prints its name and offset, and names it in the
    // message of a truncation inside it.
    void Open(const std::string& block) {
        Line("%s at offset %zu", block.c_str(), Offset());
        path_.push_back(block);
        ++depth_;
    }
    void Close() {
        path_.pop_back();
        --depth_;
    }

    // Prints `count` blocks named "<name> <index>", each by `dump`.
    void Blocks(const char* name, uint32_t count, void (*dump)(Dumper&)) {
        for (uint32_t i = 0; i < count; ++i) {
            Open(name + (" " + std::to_string(i)));
            dump(*this);
            Close();
        }
    }

    // Prints `count` fields labelled "<name> <index>", each by `field`.
    void Fields(const char* name, uint32_t count, void (Dumper::*field)(const char*)) {
        for (uint32_t i = 0; i < count; ++i) {
            std::string label = name + (" " + std::to_string(i));
            (this->*field)(label.c_str());
        }
    }

    uint32_t U32(const char* label, bool hex = false) {
        Need(4, label);
        return Unsigned(label, in_.U32(), 8, hex);
    }
    uint16_t U16(const char* label, bool hex = false) {
        Need(2, label);
        return uint16_t(Unsigned(label, in_.U16(), 4, hex));
    }
    int16_t S16(const char* label) {
        Need(2, label);
        int16_t v = in_.S16();
        Line("%-16s %d", label, v);
        return v;
    }
    void Point(const char* label) {
        Need(8, label);
        uint32_t x = in_.U32();
        uint32_t y = in_.U32();
        Line("%-16s %u, %u", label, x, y);
    }
    void Text(const char* label, size_t size, bool terminated = true) {
        Need(size, label);
        std::vector<char> field(size);
        in_.Bytes(field.data(), size);
        std::string text = Quote(field);
        if (terminated && std::find(field.begin(), field.end(), '\0') == field.end())
            text += " (no terminator)";
        Line("%-16s %s", label, text.c_str());
    }
    void Name(const char* label) { Text(label, kNameSize); }

    // Prints count cells per row, `rows` rows, each cell `width` bytes in hex.
    // A row cut by the end of the file is printed as far as it goes.
    void Cells(const char* label, uint32_t columns, uint32_t rows, size_t width) {
        Line("%s: %u x %u at offset %zu", label, columns, rows, Offset());
        if (columns == 0 || rows == 0)
            return;
        ++depth_;
        for (uint32_t r = 0; r < rows; ++r) {
            std::string line;
            for (uint32_t c = 0; c < columns; ++c) {
                if (!in_.Has(width)) {
                    Line("%4u:%s", r, line.c_str());
                    Fail(width, std::string(label) + " row " + std::to_string(r) + " column " +
                                    std::to_string(c));
                }
                char cell[16];
                if (width == 2)
                    std::snprintf(cell, sizeof(cell), " %04x", in_.U16());
                else
                    std::snprintf(cell, sizeof(cell), " %08x", in_.U32());
                line += cell;
            }
            Line("%4u:%s", r, line.c_str());
        }
        --depth_;
    }

    // Prints count u16 values on one line, pairs as (a, b) when `pairs`.
    void U16List(const char* label, uint32_t count, bool pairs = false) {
        std::string line;
        size_t width = pairs ? 4 : 2;
        for (uint32_t i = 0; i < count; ++i) {
            if (!in_.Has(width)) {
                Line("%-16s%s", label, line.c_str());
                Fail(width, std::string(label) + " entry " + std::to_string(i));
            }
            uint16_t a = in_.U16();
            if (pairs) {
                uint16_t b = in_.U16();
                line += " (" + std::to_string(a) + ", " + std::to_string(b) + ")";
            } else {
                line += " " + std::to_string(a);
            }
        }
        Line("%-16s%s", label, line.c_str());
    }

  private:
    // Prints the value, and with `hex` its hex form in `digits` digits.
    uint32_t Unsigned(const char* label, uint32_t v, int digits, bool hex) {
        if (hex)
            Line("%-16s %u (0x%0*x)", label, v, digits, v);
        else
            Line("%-16s %u", label, v);
        return v;
    }
    void Need(size_t n, const std::string& field) {
        if (!in_.Has(n))
            Fail(n, field);
    }
    [[noreturn]] void Fail(size_t n, const std::string& field) {
        std::string where;
        for (const std::string& block : path_)
            where += block + ", ";
        throw Truncated{where + field, in_.Offset(), n};
    }

    static std::string Quote(const std::vector<char>& field) {
        std::string text = "\"";
        for (size_t i = 0; i < field.size() && field[i]; ++i) {
            unsigned char ch = static_cast<unsigned char>(field[i]);
            if (ch == '"' || ch == '\\') {
                text += '\\';
                text += static_cast<char>(ch);
            } else if (std::isprint(ch)) {
                text += static_cast<char>(ch);
            } else {
                char escape[8];
                std::snprintf(escape, sizeof(escape), "\\x%02x", ch);
                text += escape;
            }
        }
        text += '"';
        return text;
    }

    ByteReader in_;
    int depth_ = 0;
    std::vector<std::string> path_;
};

void DumpInstance(Dumper& d) {
    uint16_t count = d.U16("locationCount");
    d.U32("frame");
    d.Fields("location", count, &Dumper::Point);
}

void DumpSequence(Dumper& d) {
    d.Name("name");
    d.Name("name2");
    d.U16("value1");
    d.U16("value2");
    d.U32("value3");
    d.U32("value4");
}

void DumpSpriteSound(Dumper& d) {
    d.Name("name");
    d.Name("waveFile");
    uint16_t count = d.U16("frameCount");
    d.U16List("frames", count);
}

void DumpSprite(Dumper& d) {
    d.Name("name");
    d.Name("sheetFile");
    d.Name("brainFile");
    uint16_t instances = d.U16("instanceCount");
    uint16_t sequences = d.U16("sequenceCount");
    uint16_t sounds = d.U16("soundCount");
    d.U32("spriteParam5", true);
    d.U32("spriteParam9", true);
    d.U32("spriteParam7", true);
    d.U32("isPlatform");
    d.U32("isPlayer");
    d.U16("spriteParam1", true);
    d.U16("spriteParam2", true);
    d.U16("spriteParam3", true);
    d.S16("points");
    d.S16("spriteParam4");
    d.U16("spriteParam6", true);
    d.U16("spriteParam10", true);
    d.U16("spriteParam8", true);
    d.U16("spriteParam11", true);
    d.U16("spriteParam12", true);
    d.U16("spriteParam13", true);
    d.U16("spriteParam14", true);
    d.U16("spriteParam15", true);
    d.U16("spriteParam16", true);
    d.Blocks("instance", instances, DumpInstance);
    d.Blocks("sequence", sequences, DumpSequence);
    d.Blocks("sprite sound", sounds, DumpSpriteSound);
}

void DumpLayerSound(Dumper& d) {
    d.Name("name");
    d.Name("waveFile");
    uint16_t points = d.U16("pointCount");
    uint16_t columns = d.U16("columnCount");
    uint16_t rows = d.U16("rowCount");
    d.U16List("points", points, true);
    d.U16List("columns", columns);
    d.U16List("rows", rows);
}

void DumpTileSet(Dumper& d) {
    d.Name("fileName");
    d.S16("slot");
}

void DumpLayer(Dumper& d) {
    d.Name("name");
    d.U32("stepX");
    d.U32("stepY");
    d.U32("unused2", true);
    d.U32("unused3", true);
    d.U32("isMainLayer");
    d.U16("unused1", true);
    uint32_t maskMarker = d.U32("maskMarker");
    d.U32("opaque");
    d.S16("maskStride");
    d.U16("unused4", true);
    d.U16("unused5", true);
    d.U16("unused6", true);
    uint16_t tileSets = d.U16("tileSetCount");
    uint32_t columns = d.U32("columns");
    uint32_t rows = d.U32("rows");
    d.U32("tileWidth");
    d.U32("tileHeight");
    uint16_t sprites = d.U16("spriteCount");
    uint16_t sounds = d.U16("layerSoundCount");
    d.Cells("tile map", columns, rows, 2);
    if (maskMarker == 1)
        d.Cells("mask data", columns, rows, 4);
    d.Blocks("tile set", tileSets, DumpTileSet);
    d.Blocks("sprite", sprites, DumpSprite);
    d.Blocks("layer sound", sounds, DumpLayerSound);
}

void DumpGame(Dumper& d) {
    d.Text("identifier", kIdentifierSize, false);
    d.Name("gameName");
    d.Fields("page", d.U16("pageCount"), &Dumper::Name);
}

void DumpMenuPage(Dumper& d) {
    d.Name("name");
    d.Name("name2");
    d.Blocks("sprite", d.U16("spriteCount"), DumpSprite);
}

void DumpLevel(Dumper& d) {
    d.Open("header");
    d.U32("screenWidth");
    d.U32("screenHeight");
    d.U32("colourDepth");
    uint16_t layers = d.U16("layerCount");
    d.U16("unused1", true);
    d.U16("unused2", true);
    d.U32("unused3", true);
    uint32_t cutscene = d.U32("cutsceneMarker");
    d.U32("movieFlag");
    d.Name("movieName");
    uint32_t menu = d.U32("menuMarker");
    d.Name("menuModuleName");
    uint16_t menuPages = d.U16("menuPageCount");
    d.U32("useCdAudio");
    d.U16("cdTrack");
    d.Name("musicWave");
    const char* kind = cutscene == 1 ? "cutscene (0)" : menu == 1 ? "menu (1)" : "level (2)";
    d.Line("%-16s %s", "type", kind);
    d.Close();

    if (cutscene == 1)
        return;
    if (menu == 1)
        d.Blocks("menu page", menuPages, DumpMenuPage);
    else
        d.Blocks("layer", layers, DumpLayer);
}

bool EndsWith(const std::string& text, const char* suffix) {
    std::string tail(suffix);
    if (text.size() < tail.size())
        return false;
    for (size_t i = 0; i < tail.size(); ++i) {
        unsigned char a = static_cast<unsigned char>(text[text.size() - tail.size() + i]);
        if (std::tolower(a) != tail[i])
            return false;
    }
    return true;
}

} // namespace

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: vrask-dump <file.gam|file.lvl>\n");
        return 2;
    }
    std::string path = argv[1];
    bool game = EndsWith(path, ".gam");
    if (!game && !EndsWith(path, ".lvl")) {
        std::fprintf(stderr, "vrask-dump: %s: expected a .gam or .lvl file\n", path.c_str());
        return 2;
    }
    std::ifstream file(path, std::ios::binary);
    if (!file) {
        std::fprintf(stderr, "vrask-dump: cannot open %s\n", path.c_str());
        return 1;
    }
    std::vector<uint8_t> data((std::istreambuf_iterator<char>(file)),
                              std::istreambuf_iterator<char>());

    std::printf("%s file %s, %zu bytes\n", game ? "game" : "level", path.c_str(), data.size());
    Dumper d(data);
    try {
        if (game)
            DumpGame(d);
        else
            DumpLevel(d);
    } catch (const Truncated& t) {
        std::printf("truncated: the file ends at offset %zu, inside %s (offset %zu, %zu bytes "
                    "needed, %zu left)\n",
                    data.size(), t.field.c_str(), t.fieldOffset, t.need,
                    data.size() - t.fieldOffset);
        return 1;
    }
    if (d.Remaining())
        std::printf("%zu bytes follow the last block, from offset %zu\n", d.Remaining(),
                    d.Offset());
    return 0;
}
