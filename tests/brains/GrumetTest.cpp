// The walking foe on hand-built tiles: walls, ledges, slopes and its death.
#include "platform/Random.h"
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

TEST_F(Grumet, InitializeSetsEveryInstanceUp) {
    sprite_ = AddSprite(layer_->sprites, "grumet", 17, {0, 0, 32, 32, 0}, {{0, 208}, {64, 208}});
    for (SpriteInstance* i = sprite_->instances.ptr; i; i = i->next.ptr) {
        i->frame = 5;
        i->lastButtons = 3;
    }
    ASSERT_EQ(Init(brain_, sprite_), 1);
    for (SpriteInstance* i = sprite_->instances.ptr; i; i = i->next.ptr) {
        EXPECT_EQ(i->frame, 0u);
        EXPECT_EQ(i->alive, 1);
        EXPECT_EQ(i->health, 1);
        EXPECT_EQ(i->lastButtons, 0);
        EXPECT_TRUE(i->heading == 0 || i->heading == 1);
    }
}

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

TEST_F(Grumet, TheMaskIsReadLeftmostPixelFirst) {
    // Above the feet, tiles solid in their left half: the walker whose centre
    // column falls in a left half climbs, the other stays on the floor.
    SetCells(14, 0, 19, Cell(1, 3));
    sprite_ = AddSprite(layer_->sprites, "grumet", 17, {0, 0, 32, 32, 0}, {{64, 208}, {72, 208}});
    ASSERT_EQ(Init(brain_, sprite_), 1);
    SpriteInstance* left = sprite_->instances.ptr;
    SpriteInstance* right = left->next.ptr;
    left->heading = right->heading = 0;
    brain_.Think(1);
    EXPECT_EQ(left->y, 207) << "centre at pixel 1 of its tile";
    EXPECT_EQ(right->y, 208) << "centre at pixel 9 of its tile";
}

TEST_F(Grumet, TheMiddleSideRowIsHalfTheBoxBelowTheFramesTop) {
    // A box starting 16 pixels below the frame's top: its rows are 13 (top
    // and y + half height) and 15; a wall in row 14 alone is not met.
    SetCells(14, 10, 10, Cell(3));
    sprite_ = AddSprite(layer_->sprites, "grumet", 17, {0, 16, 32, 48, 0}, {{120, 192}});
    ASSERT_EQ(Init(brain_, sprite_), 1);
    SpriteInstance* i = sprite_->instances.ptr;
    i->heading = 0;
    brain_.Think(12);
    EXPECT_EQ(i->x, 132);
    EXPECT_EQ(i->heading, 0);
    SetCells(13, 11, 11, Cell(3)); // in the top row it is
    brain_.Think(20);
    EXPECT_EQ(i->heading, 1);
}

TEST_F(Grumet, OnALadderTheLeftWalkingAnimationStartsAtFrameEight) {
    SetCells(15, 0, 19, Cell(5));
    SpriteInstance* i = Walker(64);
    i->heading = 1; // walking left on a right-walking frame
    brain_.Think(6);
    EXPECT_EQ(i->x, 58);
    EXPECT_EQ(i->frame, 8u);
    brain_.Think(6 * 8);
    EXPECT_EQ(i->frame, 8u) << "15 wraps back to 8";
}

TEST_F(Grumet, OnAMenuPageWithoutALayerItMarksTimeAndStillDies) {
    sprite_ = AddSprite(layer_->sprites, "grumet", 17, {0, 0, 32, 32, 0}, {{64, 100}});
    ASSERT_EQ(brain_.initialize(nullptr, sprite_, &control_, 640, 480, &error_), 1);
    SpriteInstance* i = sprite_->instances.ptr;
    i->heading = 1;
    brain_.Think(12);
    EXPECT_EQ(i->x, 64);
    EXPECT_EQ(i->y, 100);
    EXPECT_EQ(i->frame, 10u);
    i->health = 0;
    brain_.Think(1);
    EXPECT_EQ(i->frame, 16u);
    EXPECT_EQ(i->y, 99);
}

TEST_F(Grumet, GruntsNowAndThenTheSameWayForTheSameSeed) {
    std::vector<std::pair<int32_t, int32_t>> crowd;
    for (int n = 0; n < 40; ++n)
        crowd.push_back({16 * (n % 16), 208});
    sprite_ = AddSprite(layer_->sprites, "grumet", 17, {0, 0, 32, 32, 0}, crowd);
    ASSERT_EQ(Init(brain_, sprite_), 1);
    // Every grunt fails to play, so the record tells when the first came.
    platform::SetFaults("Play=fail");
    auto firstGrunt = [&](uint32_t seed) {
        platform::Srand(seed);
        error_ = {};
        for (int frame = 0; frame < 5000; ++frame) {
            EXPECT_EQ(brain_.think(), 1);
            if (std::string(error_.message) == "Unable to play sprite sound!")
                return frame;
        }
        return -1;
    };
    int first = firstGrunt(1234);
    EXPECT_GE(first, 0) << "6 in 32768 a walker a frame: about one every 140 frames here";
    EXPECT_EQ(firstGrunt(1234), first);
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
