// The walking foe on hand-built tiles: walls, ledges, slopes and its death.
#include "tests/brains/BrainRig.h"

namespace {

class Grumet : public BrainRig {
  protected:
    void SetUp() override {
        BrainRig::SetUp();
        ASSERT_TRUE(brain_.Loaded()) << platform::ModuleLastError();
        SetCells(15, 0, 19, Cell(1, 1)); // solid floor; walkers stand at y 208
    }
    // One walker, 32 x 32, heading right; 17 frames, the last the dead one.
    SpriteInstance* Walker(int32_t x, int32_t y = 208) {
        sprite_ = AddSprite(layer_->sprites, "grumet", 17, {0, 0, 32, 32, 0}, {{x, y}});
        EXPECT_EQ(Init(brain_, sprite_), 1) << error_.message;
        SpriteInstance* i = sprite_->instances.ptr;
        i->heading = 0;
        return i;
    }
    void TearDown() override {
        if (brain_.labotamize)
            brain_.labotamize();
        BrainRig::TearDown();
    }

    BrainModule brain_{"Grumet"};
    Sprite* sprite_ = nullptr;
};

TEST_F(Grumet, WalksOnFlatFloorAndAnimatesEverySixFrames) {
    SpriteInstance* i = Walker(64);
    brain_.Think(6);
    EXPECT_EQ(i->x, 70);
    EXPECT_EQ(i->y, 208);
    EXPECT_EQ(i->frame, 1u);
    EXPECT_EQ(i->lastButtons, 0x02);
    brain_.Think(42);
    EXPECT_EQ(i->frame, 0u) << "frame 7 wraps back to 0";
}

TEST_F(Grumet, TurnsAtAWallOnItsRightShowingFrameEight) {
    SetCells(14, 10, 10, Cell(3)); // the middle row of the walker's box
    SpriteInstance* i = Walker(126);
    brain_.Think(2);
    EXPECT_EQ(i->x, 128);
    EXPECT_EQ(i->heading, 0);
    brain_.Think(1); // the right edge reaches column 10
    EXPECT_EQ(i->x, 128);
    EXPECT_EQ(i->heading, 1);
    EXPECT_EQ(i->frame, 8u);
    EXPECT_EQ(i->lastButtons, 0x01);
    brain_.Think(1);
    EXPECT_EQ(i->x, 127);
}

TEST_F(Grumet, TurnsBeforeAGap) {
    SetCells(15, 10, 19, Cell(15));
    SpriteInstance* i = Walker(130);
    int32_t furthest = 0;
    for (int n = 0; n < 40; ++n) {
        brain_.Think(1);
        furthest = std::max(furthest, i->x);
    }
    EXPECT_EQ(furthest, 143) << "the centre plus one reaches column 10 there";
    EXPECT_EQ(i->heading, 1);
    EXPECT_EQ(i->y, 208);
}

TEST_F(Grumet, ClimbsWhereTheMaskIsSolidJustAboveItsFeet) {
    SetCells(14, 0, 19, Cell(1, 1));
    SpriteInstance* i = Walker(64);
    brain_.Think(1);
    EXPECT_EQ(i->x, 65);
    EXPECT_EQ(i->y, 207);
    brain_.Think(30);
    EXPECT_EQ(i->y, 192) << "stands on the raised floor";

    // A clear mask under the feet lets it sink back a pixel a frame.
    SetCells(14, 0, 19, Cell(1, 2));
    SetCells(15, 0, 19, Cell(1, 2));
    SetCells(16, 0, 19, Cell(1, 1));
    brain_.Think(3);
    EXPECT_EQ(i->y, 195);
}

TEST_F(Grumet, OneStrikeMakesItRiseForOneHundredFramesThenVanish) {
    SpriteInstance* i = Walker(64);
    i->health = 0;
    brain_.Think(1);
    EXPECT_EQ(i->alive, 0);
    EXPECT_EQ(i->frame, 16u);
    EXPECT_EQ(i->x, 64);
    EXPECT_EQ(i->y, 207);
    brain_.Think(99);
    EXPECT_EQ(i->y, 108);
    EXPECT_EQ(i->visible, 1);
    brain_.Think(1);
    EXPECT_EQ(i->visible, 0);
    EXPECT_EQ(i->y, 108);
}

TEST_F(Grumet, AFallStopsAtTheBottomOfTheLayer) {
    SetCells(15, 0, 19, Cell(15));
    SpriteInstance* i = Walker(64, 250);
    brain_.Think(200);
    EXPECT_LE(i->y + 32, 320 - 4);
}

TEST_F(Grumet, FailuresAreReportedAsTheContractSays) {
    sprite_ = AddSprite(layer_->sprites, "grumet", 17, {0, 0, 32, 32, 0}, {{0, 208}});
    platform::SetFaults("HeapAlloc=out_of_memory@1");
    EXPECT_EQ(Init(brain_, sprite_), 0);
    EXPECT_EQ(error_.code, kErrorFatal);
    EXPECT_STREQ(error_.sourceFile, "Grumet");
    EXPECT_STREQ(error_.location, "Initialize() of grumet");
    EXPECT_STREQ(error_.message, "Unable to get memory for walk box array!");
    platform::SetFaults(nullptr);

    // A missing grunt: the sound library's report stands.
    error_ = {};
    std::filesystem::remove("data/QEXDSW.008");
    EXPECT_EQ(Init(brain_, sprite_), 0);
    EXPECT_EQ(error_.code, kErrorFatal);
    EXPECT_STRNE(error_.sourceFile, "Grumet");
    brain_.labotamize();
}

TEST_F(Grumet, OddRecordsNeitherDivideByZeroNorReadPastTheTable) {
    layer_->tileWidth = layer_->tileHeight = 1; // no probes rather than a division by zero
    sprite_ = AddSprite(layer_->sprites, "grumet", 3, {0, 0, 32, 32, 0}, {{64, 208}});
    ASSERT_EQ(Init(brain_, sprite_), 1);
    sprite_->instances.ptr->heading = 1;
    brain_.Think(20); // the left-walking frames lie past this sprite's three
    EXPECT_EQ(sprite_->instances.ptr->alive, 1);
    EXPECT_NEAR(sprite_->instances.ptr->x, 64, 20);
}

} // namespace
