#include "tools/GameData.h"

#include "common/ByteIO.h"

#include <filesystem>
#include <fstream>
#include <system_error>

namespace gamedata {
namespace {

// Copies the string's bytes as they are (not through strlen), so names with
// embedded zeros or without a terminator can be stored.
void PutField(ByteWriter& out, const std::string& text, size_t size) {
    size_t take = text.size() < size ? text.size() : size;
    out.Bytes(text.data(), take);
    for (size_t i = take; i < size; ++i)
        out.U8(0);
}

void PutName(ByteWriter& out, const std::string& text) {
    PutField(out, text, kNameSize);
}

template <class T> uint16_t CountOf(const std::optional<uint16_t>& override, const T& items) {
    return override ? *override : static_cast<uint16_t>(items.size());
}

void PutInstance(ByteWriter& out, const InstanceDesc& instance) {
    out.U16(CountOf(instance.locationCount, instance.locations));
    out.U32(instance.frame);
    for (const LocationDesc& location : instance.locations)
        out.U32(location.x).U32(location.y);
}

void PutSequence(ByteWriter& out, const SequenceDesc& sequence) {
    PutName(out, sequence.name);
    PutName(out, sequence.name2);
    out.U16(sequence.value1).U16(sequence.value2);
    out.U32(sequence.value3).U32(sequence.value4);
}

void PutSpriteSound(ByteWriter& out, const SpriteSoundDesc& sound) {
    PutName(out, sound.name);
    PutName(out, sound.waveFile);
    out.U16(CountOf(sound.frameCount, sound.frames));
    for (uint16_t frame : sound.frames)
        out.U16(frame);
}

void PutSprite(ByteWriter& out, const SpriteDesc& sprite) {
    PutName(out, sprite.name);
    PutName(out, sprite.sheetFile);
    PutName(out, sprite.brainFile);
    out.U16(CountOf(sprite.instanceCount, sprite.instances));
    out.U16(CountOf(sprite.sequenceCount, sprite.sequences));
    out.U16(CountOf(sprite.soundCount, sprite.sounds));
    out.U32(sprite.spriteParam5).U32(sprite.spriteParam9).U32(sprite.spriteParam7);
    out.U32(sprite.isPlatform).U32(sprite.isPlayer);
    out.U16(sprite.spriteParam1).U16(sprite.spriteParam2).U16(sprite.spriteParam3);
    out.S16(sprite.points).S16(sprite.spriteParam4);
    out.U16(sprite.spriteParam6).U16(sprite.spriteParam10).U16(sprite.spriteParam8);
    out.U16(sprite.spriteParam11).U16(sprite.spriteParam12).U16(sprite.spriteParam13);
    out.U16(sprite.spriteParam14).U16(sprite.spriteParam15).U16(sprite.spriteParam16);
    for (const InstanceDesc& instance : sprite.instances)
        PutInstance(out, instance);
    for (const SequenceDesc& sequence : sprite.sequences)
        PutSequence(out, sequence);
    for (const SpriteSoundDesc& sound : sprite.sounds)
        PutSpriteSound(out, sound);
}

void PutLayerSound(ByteWriter& out, const LayerSoundDesc& sound) {
    PutName(out, sound.name);
    PutName(out, sound.waveFile);
    out.U16(CountOf(sound.pointCount, sound.points));
    out.U16(CountOf(sound.columnCount, sound.columns));
    out.U16(CountOf(sound.rowCount, sound.rows));
    for (const auto& [a, b] : sound.points)
        out.U16(a).U16(b);
    for (uint16_t column : sound.columns)
        out.U16(column);
    for (uint16_t row : sound.rows)
        out.U16(row);
}

void PutLayer(ByteWriter& out, const LayerDesc& layer) {
    PutName(out, layer.name);
    out.U32(layer.stepX).U32(layer.stepY);
    out.U32(layer.unused2).U32(layer.unused3);
    out.U32(layer.isMainLayer);
    out.U16(layer.unused1);
    out.U32(layer.hasMask);
    out.U32(layer.opaque);
    out.S16(layer.maskStride);
    out.U16(layer.unused4).U16(layer.unused5).U16(layer.unused6);
    out.U16(CountOf(layer.tileSetCount, layer.tileSets));
    out.U32(layer.columns).U32(layer.rows);
    out.U32(layer.tileWidth).U32(layer.tileHeight);
    out.U16(CountOf(layer.spriteCount, layer.sprites));
    out.U16(CountOf(layer.layerSoundCount, layer.layerSounds));

    size_t cells = layer.storedCells ? *layer.storedCells : size_t(layer.columns) * layer.rows;
    for (size_t i = 0; i < cells; ++i)
        out.U16(i < layer.tileMap.size() ? layer.tileMap[i] : 0);
    if (layer.hasMask == 1) {
        for (size_t i = 0; i < cells; ++i)
            out.U32(i < layer.maskData.size() ? layer.maskData[i] : 0);
    }

    for (const TileSetDesc& tileSet : layer.tileSets) {
        PutName(out, tileSet.fileName);
        out.S16(tileSet.slot);
    }
    for (const SpriteDesc& sprite : layer.sprites)
        PutSprite(out, sprite);
    for (const LayerSoundDesc& sound : layer.layerSounds)
        PutLayerSound(out, sound);
}

void PutMenuPage(ByteWriter& out, const MenuPageDesc& page) {
    PutName(out, page.name);
    PutName(out, page.name2);
    out.U16(CountOf(page.spriteCount, page.sprites));
    for (const SpriteDesc& sprite : page.sprites)
        PutSprite(out, sprite);
}

} // namespace

std::vector<uint8_t> BuildGameFile(const GameFileDesc& desc) {
    ByteWriter out;
    PutField(out, desc.identifier, kIdentifierSize);
    PutName(out, desc.gameName);
    out.U16(CountOf(desc.pageCount, desc.pages));
    for (const std::string& page : desc.pages)
        PutName(out, page);
    return std::move(out.Data());
}

std::vector<uint8_t> BuildLevelFile(const LevelFileDesc& desc) {
    ByteWriter out;
    out.U32(desc.screenWidth).U32(desc.screenHeight).U32(desc.colourDepth);
    out.U16(CountOf(desc.layerCount, desc.layers));
    out.U16(desc.unused1).U16(desc.unused2).U32(desc.unused3);
    out.U32(desc.cutsceneMarker);
    out.U32(desc.movieFlag);
    PutName(out, desc.movieName);
    out.U32(desc.menuMarker);
    PutName(out, desc.menuModuleName);
    out.U16(CountOf(desc.menuPageCount, desc.menuPages));
    out.U32(desc.useCdAudio);
    out.U16(desc.cdTrack);
    PutName(out, desc.musicWave);
    for (const MenuPageDesc& page : desc.menuPages)
        PutMenuPage(out, page);
    for (const LayerDesc& layer : desc.layers)
        PutLayer(out, layer);
    return std::move(out.Data());
}

bool WriteFile(const std::string& path, const std::vector<uint8_t>& bytes) {
    std::filesystem::path target(path);
    std::error_code error;
    if (target.has_parent_path()) {
        std::filesystem::create_directories(target.parent_path(), error);
        if (error)
            return false;
    }
    std::ofstream file(target, std::ios::binary | std::ios::trunc);
    if (!file)
        return false;
    file.write(reinterpret_cast<const char*>(bytes.data()),
               static_cast<std::streamsize>(bytes.size()));
    file.close();
    return !file.fail();
}

} // namespace gamedata
