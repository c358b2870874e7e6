// A brain module from the game folder, level records built in memory, and the
// sound library on the null output with the brains' WAV files in place.
#pragma once

#include "common/AllocAligned.h"
#include "common/Level.h"
#include "platform/Faults.h"
#include "platform/Modules.h"
#include "platform/Sound.h"
#include "soundfx/SoundFX.h"
#include "support/ScratchDir.h"
#include "tools/WavData.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <string>
#include <vector>

struct BrainModule {
    explicit BrainModule(const std::string& name) {
        module = platform::ModuleLoad((std::string(VRASK_DATA_DIR) + "/" + name + ".so").c_str());
        initialize =
            reinterpret_cast<BrainInitializeFn>(platform::ModuleSymbol(module, "Initialize"));
        think = reinterpret_cast<BrainThinkFn>(platform::ModuleSymbol(module, "Think"));
        labotamize =
            reinterpret_cast<BrainLabotamizeFn>(platform::ModuleSymbol(module, "Labotamize"));
    }
    ~BrainModule() { platform::ModuleUnload(module); }
    bool Loaded() const { return module && initialize && think && labotamize; }
    void Think(int frames) {
        for (int n = 0; n < frames; ++n)
            ASSERT_EQ(think(), 1);
    }

    platform::Module* module = nullptr;
    BrainInitializeFn initialize = nullptr;
    BrainThinkFn think = nullptr;
    BrainLabotamizeFn labotamize = nullptr;
};

// Cell classes as the brains read them.
constexpr uint32_t Cell(uint32_t cls, uint32_t tile = 0) {
    return (cls << 17) | tile;
}

class BrainRig : public ::testing::Test {
  protected:
    static constexpr const char* kSounds[] = {"QEXDSW.006", "QEXDSW.007", "QEXDSW.008",
                                              "QEXDSW.009", "QEXASW.016", "QEXASW.019"};

    void SetUp() override {
        setenv("VRASK_AUDIO", "null", 1);
        scratch_ = std::make_unique<ScratchDir>();
        std::filesystem::create_directories("data");
        gamedata::WavDesc wav;
        wav.channels = 1;
        wav.rate = 22050;
        wav.samples.assign(22050 * 2 * 2, 0x11); // two seconds: long enough to still play
        std::vector<uint8_t> bytes = gamedata::BuildWav(wav);
        for (const char* name : kSounds) {
            FILE* f = std::fopen(("data/" + std::string(name)).c_str(), "wb");
            ASSERT_TRUE(f);
            std::fwrite(bytes.data(), 1, bytes.size(), f);
            std::fclose(f);
        }
        ASSERT_EQ(SoundFXInit(nullptr, &error_, 1, 22050, 16), 1);
        MakeLayer(20, 20);
        player_ = AddSprite(layer_->players, "player", 1, {0, 0, 16, 16}, {{100, 100}});
    }
    void TearDown() override {
        platform::SetFaults(nullptr);
        SoundFXCleanup();
        for (void* block : blocks_)
            std::free(block);
        scratch_.reset();
    }

    template <class T> T* New(size_t count = 1) {
        void* raw = nullptr;
        T* p = static_cast<T*>(AllocAlignedFor(&error_, &raw, sizeof(T) * count));
        blocks_.push_back(raw);
        return p;
    }

    // A layer of 16-pixel tiles, all empty air, with three mask tiles: 1 solid,
    // 2 clear, 3 solid in its left half only (pins which bit is which pixel).
    void MakeLayer(uint32_t columns, uint32_t rows) {
        layer_ = New<Layer>();
        std::snprintf(layer_->name, sizeof(layer_->name), "main");
        layer_->columns = columns;
        layer_->rows = rows;
        layer_->tileWidth = layer_->tileHeight = 16;
        layer_->stepX = layer_->stepY = 4;
        layer_->maskData.ptr = New<uint32_t>(size_t(columns) * rows);
        for (size_t n = 0; n < size_t(columns) * rows; ++n)
            layer_->maskData.ptr[n] = Cell(15);
        layer_->maskStride = 3;
        layer_->maskBytes = 3 * 16 * 2;
        layer_->maskBitmap.ptr = New<uint8_t>(layer_->maskBytes);
        for (int row = 0; row < 16; ++row) {
            uint8_t* tiles = layer_->maskBitmap.ptr + row * 6;
            tiles[0] = tiles[1] = 0xFF;
            tiles[4] = 0xFF; // the first byte holds the leftmost pixels
        }
        layer_->maskBits.ptr = New<uint16_t>(16);
        for (int c = 0; c < 16; ++c)
            layer_->maskBits.ptr[c] = uint16_t(1u << (15 - c));
    }
    void SetCells(uint32_t row, uint32_t fromColumn, uint32_t toColumn, uint32_t cell) {
        for (uint32_t c = fromColumn; c <= toColumn; ++c)
            layer_->maskData.ptr[row * layer_->columns + c] = cell;
    }

    // A sprite whose every frame has the same box 0, with one instance per position.
    Sprite* AddSprite(PtrPair<Sprite>& list, const char* name, uint32_t frames, FrameBox box,
                      std::vector<std::pair<int32_t, int32_t>> positions) {
        Sprite* s = New<Sprite>();
        std::snprintf(s->name, sizeof(s->name), "%s", name);
        s->frameCount = frames;
        s->frames.ptr = New<FrameRecord>(frames);
        for (uint32_t f = 0; f < frames; ++f) {
            s->frames.ptr[f].boxCount = 1;
            s->frames.ptr[f].boxes[0] = box;
        }
        s->frameWidth = uint32_t(box.right);
        s->frameHeight = uint32_t(box.bottom);
        PtrPair<SpriteInstance>* tail = &s->instances;
        for (auto [x, y] : positions) {
            SpriteInstance* i = New<SpriteInstance>();
            i->x = x;
            i->y = y;
            i->visible = 1;
            tail->ptr = i;
            tail = &i->next;
            ++s->instanceCount;
        }
        s->next = list;
        list.ptr = s;
        return s;
    }

    int32_t Init(BrainModule& brain, Sprite* sprite) {
        return brain.initialize(layer_, sprite, &control_, 640, 480, &error_);
    }

    static bool Playing(platform::SoundBuffer* buffer) {
        uint32_t status = 0;
        return buffer && buffer->GetStatus(&status) == platform::kOk &&
               (status & platform::DSBSTATUS_PLAYING);
    }

    std::unique_ptr<ScratchDir> scratch_;
    std::vector<void*> blocks_;
    ErrorInfo error_{};
    FrameControl control_{};
    Layer* layer_ = nullptr;
    Sprite* player_ = nullptr;
};
