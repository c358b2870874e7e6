// The pickup and prop brains: set-up, animation, what each does once taken,
// and the shovel's digging.
#include "tests/brains/BrainRig.h"

namespace {

struct Kind {
    const char* brain;
    int32_t Sprite::*flag; // null: the shovel raises none
    const char* source;
    int32_t alive, direction, phase; // -1: left as it was
};
const Kind kKinds[] = {
    {"Medrin", &Sprite::isHealth, "Medrin", 1, 1, 1},
    {"Vitrel", &Sprite::isExtraLife, "Vitrel", 1, 1, 0},
    {"Gadrik", &Sprite::isTool, "Trinzel", 1, -1, -1},
    {"Spadon", nullptr, "TestBrain", 2, 1, 1},
    {"Trinzel", &Sprite::isGoodie, "Trinzel", 1, 1, 1},
    {"Portavo", &Sprite::isTeleporter, "Portavo", 1, 1, 1},
    {"Aegrim", &Sprite::isInvincibility, "Aegrim", 1, -1, -1},
};
int32_t Sprite::*const kAllFlags[] = {&Sprite::isGoodie,        &Sprite::isTeleporter,
                                      &Sprite::isInvincibility, &Sprite::isExtraLife,
                                      &Sprite::isHealth,        &Sprite::isTool};

class Pickups : public BrainRig {
  protected:
    // A 16 x 16 pickup with `frames` frames and one instance, initialised.
    SpriteInstance* Pickup(BrainModule& brain, uint32_t frames, int32_t x = 40, int32_t y = 40) {
        EXPECT_TRUE(brain.Loaded()) << platform::ModuleLastError();
        sprite_ = AddSprite(layer_->sprites, "pickup", frames, {0, 0, 16, 16, 0}, {{x, y}});
        EXPECT_EQ(Init(brain, sprite_), 1) << error_.message;
        return sprite_->instances.ptr;
    }
    Sprite* sprite_ = nullptr;
};

TEST_F(Pickups, EachSetsItsKindAndItsInstancesAndReportsFailuresUnderItsOwnName) {
    for (const Kind& kind : kKinds) {
        SCOPED_TRACE(kind.brain);
        BrainModule brain(kind.brain);
        ASSERT_TRUE(brain.Loaded()) << platform::ModuleLastError();
        Sprite* s = AddSprite(layer_->sprites, "thing", 4, {0, 0, 16, 16, 0}, {{0, 0}, {32, 0}});
        for (SpriteInstance* i = s->instances.ptr; i; i = i->next.ptr) {
            i->direction = i->phase = 7;
            i->lastButtons = 9;
        }
        ASSERT_EQ(Init(brain, s), 1) << error_.message;
        for (int32_t Sprite::*flag : kAllFlags)
            EXPECT_EQ(s->*flag, flag == kind.flag ? 1 : 0);
        for (SpriteInstance* i = s->instances.ptr; i; i = i->next.ptr) {
            EXPECT_EQ(i->alive, kind.alive);
            EXPECT_EQ(i->direction, kind.direction < 0 ? 7 : kind.direction);
            EXPECT_EQ(i->phase, kind.phase < 0 ? 7 : kind.phase);
            EXPECT_EQ(i->lastButtons, std::string(kind.brain) == "Gadrik" ? 9 : 0);
        }
        brain.labotamize();
        brain.labotamize(); // a second tear-down finds nothing left to free

        // No memory for the walk-box table.
        platform::SetFaults("HeapAlloc=out_of_memory@1");
        error_ = {};
        EXPECT_EQ(Init(brain, s), 0);
        platform::SetFaults(nullptr);
        EXPECT_EQ(error_.code, kErrorFatal);
        EXPECT_STREQ(error_.sourceFile, kind.source);
        EXPECT_STREQ(error_.location, "Initialize() of thing");
        EXPECT_STREQ(error_.message, "Unable to get memory for walk box array!");
        EXPECT_STREQ(error_.contact, VRASK_SUPPORT_CONTACT);

        // An empty sprite initialises and thinks without effect.
        Sprite* empty = AddSprite(layer_->sprites, "none", 0, {0, 0, 16, 16, 0}, {});
        EXPECT_EQ(Init(brain, empty), 1);
        brain.Think(3);
        brain.labotamize();
    }
}

TEST_F(Pickups, ASoundThatCannotBeHadFailsWithTheSoundLibrarysReport) {
    std::filesystem::remove("data/QEXASW.019");
    BrainModule brain("Gadrik");
    Sprite* s = AddSprite(layer_->sprites, "tool", 4, {0, 0, 16, 16, 0}, {{0, 0}});
    EXPECT_EQ(Init(brain, s), 0);
    EXPECT_EQ(error_.code, kErrorFatal);
    EXPECT_STRNE(error_.sourceFile, "Trinzel");
    EXPECT_EQ(s->instances.ptr->sounds[0], nullptr);
}

TEST_F(Pickups, HealthCyclesEveryTenFramesUntilTakenThenHides) {
    BrainModule brain("Medrin");
    SpriteInstance* i = Pickup(brain, 4);
    brain.Think(9);
    EXPECT_EQ(i->frame, 0u);
    brain.Think(1);
    EXPECT_EQ(i->frame, 1u);
    brain.Think(30);
    EXPECT_EQ(i->frame, 0u) << "wraps at the frame count";
    i->alive = 0;
    brain.Think(1);
    EXPECT_EQ(i->visible, 0);
    brain.labotamize();
}

TEST_F(Pickups, ExtraLifeSwingsForwardAndBack) {
    BrainModule brain("Vitrel");
    SpriteInstance* i = Pickup(brain, 3);
    std::vector<uint32_t> seen;
    for (int step = 0; step < 7; ++step) {
        brain.Think(6);
        seen.push_back(i->frame);
    }
    EXPECT_EQ(seen, (std::vector<uint32_t>{1, 2, 2, 1, 0, 0, 1}));
    brain.labotamize();
}

TEST_F(Pickups, TeleporterCyclesEverySixFrames) {
    BrainModule brain("Portavo");
    SpriteInstance* i = Pickup(brain, 2);
    brain.Think(6);
    EXPECT_EQ(i->frame, 1u);
    brain.Think(6);
    EXPECT_EQ(i->frame, 0u);
    brain.labotamize();
}

TEST_F(Pickups, InvincibilityComesBackAboutAThousandFramesAfterItWasTaken) {
    BrainModule brain("Aegrim");
    SpriteInstance* i = Pickup(brain, 4);
    brain.Think(30);
    EXPECT_EQ(i->frame, 0u) << "wraps one short of the frame count";
    i->alive = 0; // taken, at tick 0
    brain.Think(1000);
    EXPECT_EQ(i->visible, 0);
    EXPECT_EQ(i->alive, 0);
    brain.Think(1);
    EXPECT_EQ(i->visible, 1);
    EXPECT_EQ(i->alive, 1);
    brain.labotamize();
}

TEST_F(Pickups, ACollectedGoodieSoundsOnceRisesAHundredFramesAndVanishes) {
    BrainModule brain("Trinzel");
    SpriteInstance* i = Pickup(brain, 4, 40, 150);
    brain.Think(30);
    EXPECT_EQ(i->frame, 0u) << "the last frame is kept for the rise";
    EXPECT_FALSE(Playing(i->sounds[0]));
    i->alive = 0;
    brain.Think(1);
    EXPECT_TRUE(Playing(i->sounds[0]));
    EXPECT_EQ(i->frame, 3u);
    EXPECT_EQ(i->y, 149);
    i->sounds[0]->Stop();
    brain.Think(99);
    EXPECT_FALSE(Playing(i->sounds[0]));
    EXPECT_EQ(i->y, 50);
    EXPECT_EQ(i->visible, 1);
    brain.Think(1);
    EXPECT_EQ(i->visible, 0);
    brain.labotamize();
}

TEST_F(Pickups, ACollectedToolHidesAndSoundsOnce) {
    BrainModule brain("Gadrik");
    SpriteInstance* i = Pickup(brain, 4);
    i->alive = 0;
    brain.Think(1);
    EXPECT_EQ(i->visible, 0);
    EXPECT_EQ(i->timer, 1);
    EXPECT_TRUE(Playing(i->sounds[0]));
    i->sounds[0]->Stop();
    brain.Think(5);
    EXPECT_FALSE(Playing(i->sounds[0]));
    brain.labotamize();
    EXPECT_EQ(i->sounds[0], nullptr);
}

TEST_F(Pickups, TheShovelDigsThroughOpenCellsAndTurnsAtBlockingOnesAndTheTop) {
    SetCells(10, 3, 3, Cell(1)); // blocks; rows above are air (15)
    SetCells(5, 3, 3, Cell(2));  // passed through
    BrainModule brain("Spadon");
    SpriteInstance* i = Pickup(brain, 4, 40, 16); // centre column 3
    int32_t lowest = i->y, highest = i->y;
    for (int n = 0; n < 60; ++n) {
        brain.Think(1);
        lowest = std::max(lowest, i->y);
        highest = std::min(highest, i->y);
    }
    EXPECT_EQ(lowest, 136) << "its bottom stops short of row 10";
    EXPECT_EQ(highest, 8) << "turns on reaching y 0";

    // A ladder cell blocks as well.
    SetCells(7, 3, 3, Cell(5));
    i->y = 16;
    i->phase = 1;
    for (int n = 0; n < 30; ++n) {
        brain.Think(1);
        EXPECT_LE(i->y + 16, 7 * 16);
    }
    brain.labotamize();
}

TEST_F(Pickups, TheirSoundsAreLetGoAfterTheEngineHasFreedTheInstances) {
    for (const char* name : {"Gadrik", "Spadon", "Trinzel"}) {
        SCOPED_TRACE(name);
        BrainModule brain(name);
        SpriteInstance* i = Pickup(brain, 4);
        platform::SoundBuffer* sound = i->sounds[0];
        ASSERT_NE(sound, nullptr);
        sound->AddRef();
        sprite_->instances.ptr = nullptr; // the engine's tear-down order
        brain.labotamize();
        EXPECT_EQ(sound->Release(), 0u) << "the brain still held its sound";
    }
}

TEST_F(Pickups, AShovelWithNothingBelowItTurnsAtTheBottomOfTheLayer) {
    BrainModule brain("Spadon");
    SpriteInstance* i = Pickup(brain, 4, 40, 200); // column 3 is open to the bottom (320)
    for (int n = 0; n < 30; ++n) {
        brain.Think(1);
        EXPECT_LE(i->y + 16, 320);
    }
    EXPECT_EQ(i->phase, 0);
    brain.labotamize();
}

} // namespace
