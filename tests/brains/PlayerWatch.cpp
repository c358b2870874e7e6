// A brain that watches the player: each Think records a WatchFrame, and the
// Think numbered by spriteParam3 (0: never) ends the level by taking the
// player out of play.
#include "brains/PlayerWatch.h"
#include "platform/Sound.h"

#include <cstring>

#define EXPORT extern "C" __attribute__((visibility("default")))

namespace {
Layer* gLayer;
Sprite* gSprite;
FrameControl* gControl;
uint32_t gThinks;
} // namespace

EXPORT int32_t Initialize(Layer* layer, Sprite* sprite, FrameControl* control, uint32_t, uint32_t,
                          ErrorInfo*) {
    gLayer = layer;
    gSprite = sprite;
    gControl = control;
    gThinks = 0;
    WatchLog().clear();
    return 1;
}

EXPORT int32_t Think() {
    Sprite* player = gLayer->players.ptr;
    if (!player || !player->instances.ptr)
        return 1;
    WatchFrame f{};
    f.player = *player->instances.ptr;
    f.buttons = gControl->buttons;
    f.requests = gControl->requests;
    f.score = player->score;
    for (Layer* layer = gLayer; layer; layer = layer->next.ptr)
        for (Sprite* s = layer->sprites.ptr; s; s = s->next.ptr) {
            auto& copies = f.sprites[s->name];
            for (SpriteInstance* i = s->instances.ptr; i; i = i->next.ptr)
                copies.push_back(*i);
            if (std::strcmp(s->name, "helper") == 0 && s->instances.ptr)
                for (int k = 0; k < 4; ++k) {
                    platform::SoundBuffer* b = s->instances.ptr->sounds[k];
                    uint32_t status = 0;
                    if (b && b->GetStatus(&status) == platform::kOk &&
                        (status & platform::DSBSTATUS_PLAYING))
                        f.helperPlaying |= 1u << k;
                }
        }
    WatchLog().push_back(f);
    if (++gThinks == gSprite->spriteParam3)
        player->instances.ptr->alive = 0;
    return 1;
}

EXPORT int32_t Labotamize() {
    return 1;
}
