#include "tools/tiled/LevelReader.h"

#include "common/ByteIO.h"
#include "tools/tiled/TiledMap.h"

#include <algorithm>
#include <array>

namespace tiled {
namespace {

using namespace gamedata;

class Reader {
  public:
    Reader(const std::vector<uint8_t>& bytes, const std::string& where)
        : in_(bytes.data(), bytes.size()), where_(where) {}

    void Need(size_t n, const char* what) {
        if (!in_.Has(n))
            throw Failure(where_ + ": Unable to read the level file: it ends inside " + what +
                          " (offset " + std::to_string(in_.Offset()) + ")");
    }
    // The count of blocks of at least `least` bytes that must still follow.
    uint16_t Count(const char* what, size_t least) {
        Need(2, what);
        uint16_t n = in_.U16();
        (void)least;
        return n;
    }
    void CheckRoom(uint64_t count, uint64_t least, const char* what) {
        if (count * least > in_.Remaining())
            throw Failure(where_ + ": Unable to read the level file: " + std::to_string(count) +
                          " " + what + " cannot fit in what is left of it");
    }
    std::string Name() {
        Need(kNameSize, "a name");
        char field[kNameSize];
        in_.Bytes(field, kNameSize);
        size_t n = 0;
        while (n < kNameSize && field[n])
            ++n;
        return std::string(field, n);
    }

    InstanceDesc Instance() {
        InstanceDesc i;
        Need(6, "an instance");
        uint16_t count = in_.U16();
        i.frame = in_.U32();
        CheckRoom(count, 8, "candidate positions");
        for (uint16_t k = 0; k < count; ++k) {
            uint32_t x = in_.U32();
            i.locations.push_back({x, in_.U32()});
        }
        return i;
    }

    SpriteDesc Sprite() {
        SpriteDesc s;
        s.name = Name();
        s.sheetFile = Name();
        s.brainFile = Name();
        Need(kSpriteBlockSize - 3 * kNameSize, "a sprite");
        uint16_t instances = in_.U16(), sequences = in_.U16(), sounds = in_.U16();
        s.spriteParam5 = in_.U32();
        s.spriteParam9 = in_.U32();
        s.spriteParam7 = in_.U32();
        s.isPlatform = in_.U32();
        s.isPlayer = in_.U32();
        s.spriteParam1 = in_.U16();
        s.spriteParam2 = in_.U16();
        s.spriteParam3 = in_.U16();
        s.points = in_.S16();
        s.spriteParam4 = in_.S16();
        s.spriteParam6 = in_.U16();
        s.spriteParam10 = in_.U16();
        s.spriteParam8 = in_.U16();
        for (uint16_t* p : {&s.spriteParam11, &s.spriteParam12, &s.spriteParam13, &s.spriteParam14,
                            &s.spriteParam15, &s.spriteParam16})
            *p = in_.U16();
        CheckRoom(instances, 6, "instances");
        for (uint16_t i = 0; i < instances; ++i)
            s.instances.push_back(Instance());
        CheckRoom(sequences, kSequenceBlockSize, "sequences");
        for (uint16_t i = 0; i < sequences; ++i) {
            SequenceDesc q;
            q.name = Name();
            q.name2 = Name();
            Need(12, "a sequence");
            q.value1 = in_.U16();
            q.value2 = in_.U16();
            q.value3 = in_.U32();
            q.value4 = in_.U32();
            s.sequences.push_back(q);
        }
        CheckRoom(sounds, 2 * kNameSize + 2, "sprite sounds");
        for (uint16_t i = 0; i < sounds; ++i) {
            SpriteSoundDesc d;
            d.name = Name();
            d.waveFile = Name();
            uint16_t frames = Count("a sprite sound", 2);
            CheckRoom(frames, 2, "sound frames");
            for (uint16_t k = 0; k < frames; ++k)
                d.frames.push_back(in_.U16());
            s.sounds.push_back(d);
        }
        return s;
    }

    LayerDesc Layer() {
        LayerDesc l;
        l.name = Name();
        Need(kLayerBlockSize - kNameSize, "a layer");
        l.stepX = in_.U32();
        l.stepY = in_.U32();
        l.unused2 = in_.U32();
        l.unused3 = in_.U32();
        l.isMainLayer = in_.U32();
        l.unused1 = in_.U16();
        l.hasMask = in_.U32();
        l.opaque = in_.U32();
        l.maskStride = in_.S16();
        l.unused4 = in_.U16();
        l.unused5 = in_.U16();
        l.unused6 = in_.U16();
        uint16_t tileSets = in_.U16();
        l.columns = in_.U32();
        l.rows = in_.U32();
        l.tileWidth = in_.U32();
        l.tileHeight = in_.U32();
        uint16_t sprites = in_.U16(), sounds = in_.U16();
        uint64_t cells = uint64_t(l.columns) * l.rows;
        CheckRoom(cells, l.hasMask == 1 ? 6 : 2, "map cells");
        for (uint64_t i = 0; i < cells; ++i)
            l.tileMap.push_back(in_.U16());
        if (l.hasMask == 1)
            for (uint64_t i = 0; i < cells; ++i)
                l.maskData.push_back(in_.U32());
        CheckRoom(tileSets, kTileSetEntrySize, "tile-set entries");
        for (uint16_t i = 0; i < tileSets; ++i) {
            std::string file = Name();
            l.tileSets.push_back({file, in_.S16()});
        }
        CheckRoom(sprites, kSpriteBlockSize, "sprites");
        for (uint16_t i = 0; i < sprites; ++i)
            l.sprites.push_back(Sprite());
        CheckRoom(sounds, 2 * kNameSize + 6, "layer sounds");
        for (uint16_t i = 0; i < sounds; ++i) {
            LayerSoundDesc d;
            d.name = Name();
            d.waveFile = Name();
            Need(6, "a layer sound");
            uint16_t points = in_.U16(), columns = in_.U16(), rows = in_.U16();
            CheckRoom(uint64_t(points) * 2 + columns + rows, 2, "layer sound values");
            for (uint16_t k = 0; k < points; ++k) {
                uint16_t a = in_.U16();
                d.points.push_back({a, in_.U16()});
            }
            for (uint16_t k = 0; k < columns; ++k)
                d.columns.push_back(in_.U16());
            for (uint16_t k = 0; k < rows; ++k)
                d.rows.push_back(in_.U16());
            l.layerSounds.push_back(d);
        }
        return l;
    }

    LevelFileDesc Level() {
        LevelFileDesc d;
        Need(kLevelHeaderSize, "the header");
        d.screenWidth = in_.U32();
        d.screenHeight = in_.U32();
        d.colourDepth = in_.U32();
        uint16_t layers = in_.U16();
        d.unused1 = in_.U16();
        d.unused2 = in_.U16();
        d.unused3 = in_.U32();
        d.cutsceneMarker = in_.U32();
        d.movieFlag = in_.U32();
        d.movieName = Name();
        d.menuMarker = in_.U32();
        d.menuModuleName = Name();
        d.menuPageCount = in_.U16();
        d.useCdAudio = in_.U32();
        d.cdTrack = in_.U16();
        d.musicWave = Name();
        if (d.cutsceneMarker == 1 || d.menuMarker == 1)
            throw Failure(where_ + ": Unable to export a cutscene or menu page (only levels)");
        if (d.menuPageCount == 0)
            d.menuPageCount.reset();
        d.layerCount = layers;
        CheckRoom(layers, kLayerBlockSize, "layers");
        for (uint16_t i = 0; i < layers; ++i)
            d.layers.push_back(Layer());
        d.layerCount.reset();
        return d;
    }

  private:
    ByteReader in_;
    std::string where_;
};

// The header and description shared by both picture files; returns the
// offset of the pixel data.
struct PictureHeader {
    uint32_t v[8];
    int32_t width, height;
    uint16_t planes, bits;
};

PictureHeader ReadHeader(ByteReader& in, const std::string& where) {
    PictureHeader h{};
    if (!in.Has(kSheetHeaderSize + kSheetDescriptionSize))
        throw Failure(where + ": Unable to read the picture file: it is shorter than its header");
    for (uint32_t& v : h.v)
        v = in.U32();
    in.U32();
    h.width = in.S32();
    h.height = in.S32();
    h.planes = in.U16();
    h.bits = in.U16();
    in.Skip(kSheetDescriptionSize - 16);
    return h;
}

Image Pixels(ByteReader& in, const std::vector<uint8_t>& bytes, const PictureHeader& h,
             uint32_t size, const std::string& where) {
    if (!in.Has(size))
        throw Failure(where + ": Unable to read the picture file: its pixel data is short");
    size_t at = in.Offset();
    in.Skip(size);
    return DecodeDib(bytes.data() + at, size, h.width, h.height, h.bits, {0x000000, 0xFFFFFF},
                     where);
}

} // namespace

LevelFileDesc ReadLevelFile(const std::vector<uint8_t>& bytes, const std::string& where) {
    return Reader(bytes, where).Level();
}

TileSetPicture ReadTileSetFile(const std::vector<uint8_t>& bytes, const std::string& where) {
    ByteReader in(bytes.data(), bytes.size());
    PictureHeader h = ReadHeader(in, where);
    TileSetPicture out;
    out.header = {h.v[1], h.v[2], h.v[3], h.v[4], h.v[5], h.v[6], {}};
    out.header.bitmap = {h.width, h.height, h.planes, h.bits, {}, {}};
    uint64_t table = uint64_t(h.v[5]) * h.v[6] * 4;
    if (table > in.Remaining())
        throw Failure(where + ": Unable to read the tile-set file: its table is short");
    in.Skip(size_t(table));
    out.image = Pixels(in, bytes, h, h.v[7], where);
    return out;
}

SheetPicture ReadSheetFile(const std::vector<uint8_t>& bytes, const std::string& where) {
    ByteReader in(bytes.data(), bytes.size());
    PictureHeader h = ReadHeader(in, where);
    SheetPicture out;
    out.header.frameWidth = h.v[1];
    out.header.frameHeight = h.v[2];
    out.header.framesPerRow = h.v[4];
    out.header.sheetValue = h.v[5];
    out.header.bitmap = {h.width, h.height, h.planes, h.bits, {}, {}};
    out.image = Pixels(in, bytes, h, h.v[6], where);
    uint32_t frames = h.v[3];
    if (uint64_t(frames) * kFrameRecordSize > in.Remaining())
        throw Failure(where + ": Unable to read the sheet file: its frame records are short");
    for (uint32_t f = 0; f < frames; ++f) {
        FrameDesc frame;
        uint32_t count = in.U32();
        std::array<std::array<int32_t, 5>, 32> boxes;
        size_t used = std::min<uint32_t>(count, 32);
        for (size_t b = 0; b < 32; ++b) {
            for (int32_t& v : boxes[b])
                v = in.S32();
            // Brains read box 0 whatever the count says: keep every box that is set.
            if (boxes[b] != std::array<int32_t, 5>{})
                used = std::max(used, b + 1);
        }
        frame.boxes.assign(boxes.begin(), boxes.begin() + used);
        if (count != used)
            frame.boxCount = count;
        out.header.frames.push_back(frame);
    }
    return out;
}

MaskPicture ReadMaskFile(const std::vector<uint8_t>& bytes, const std::string& where) {
    ByteReader in(bytes.data(), bytes.size());
    if (bytes.size() < 54 || bytes[0] != 'B' || bytes[1] != 'M')
        throw Failure(where + ": Unable to read the mask: not a BMP file");
    in.Skip(10);
    uint32_t offset = in.U32();
    in.U32();
    int32_t width = in.S32(), height = in.S32();
    in.U16();
    uint16_t bits = in.U16();
    uint32_t compression = in.U32();
    if (bits != 1 || compression != 0)
        throw Failure(where + ": Unable to read the mask: not a one-bit BMP");
    bool topDown = height < 0;
    int h = topDown ? -height : height;
    if (width <= 0 || h <= 0 || width > 1 << 20 || h > 16384)
        throw Failure(where + ": Unable to read the mask: bad size");
    size_t pitch = ((size_t(width) + 31) / 32) * 4;
    if (offset > bytes.size() || pitch * size_t(h) > bytes.size() - offset)
        throw Failure(where + ": Unable to read the mask: its rows are short");
    MaskPicture mask{width, h, std::vector<uint8_t>(size_t(width) * size_t(h))};
    for (int y = 0; y < h; ++y) {
        const uint8_t* row = bytes.data() + offset + pitch * size_t(topDown ? y : h - 1 - y);
        for (int x = 0; x < width; ++x)
            mask.bits[size_t(y) * size_t(width) + size_t(x)] = (row[x / 8] >> (7 - x % 8)) & 1;
    }
    return mask;
}

} // namespace tiled
