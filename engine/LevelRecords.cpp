// List operations and freeing of the level records. Every list is a head
// pair in the parent and a next pair in each element; elements are appended
// at the tail so lists keep file order.
#include "engine/Globals.h"
#include "engine/Layers.h"
#include "engine/VraskUtils.h"
#include "platform/Display.h"
#include "platform/Modules.h"

#include <cstdlib>

namespace {

template <class T> T* Append(PtrPair<T>* head) {
    void* block = nullptr;
    T* item = static_cast<T*>(AllocAligned(&block, sizeof(T)));
    if (!item)
        return nullptr;
    if (!head->ptr) {
        *head = PtrPair<T>{block, item};
    } else {
        T* last = head->ptr;
        while (last->next.ptr)
            last = last->next.ptr;
        last->next = PtrPair<T>{block, item};
    }
    return item;
}

template <class T> void FreePair(PtrPair<T>* pair) {
    std::free(pair->block);
    *pair = PtrPair<T>{nullptr, nullptr};
}

// Frees a chain element by element, reading each next pair before the
// element goes; `each` frees what an element owns.
template <class T, class Each> void FreeChain(PtrPair<T>* head, Each each) {
    PtrPair<T> at = *head;
    while (at.ptr) {
        PtrPair<T> next = at.ptr->next;
        each(at.ptr);
        std::free(at.block);
        at = next;
    }
    *head = {};
}

template <class T> void FreeChain(PtrPair<T>* head) {
    FreeChain(head, [](T*) {});
}

} // namespace

MenuPage* AddMenuPage() {
    return Append(&gPage.menuPages);
}
Layer* AddLayer() {
    return Append(&gPage.layers);
}
LayerSound* AddLayerSound(Layer* layer) {
    return Append(&layer->layerSounds);
}

Sprite* AddSprite(Layer* layer, MenuPage* menuPage) {
    if (layer)
        return Append(&layer->sprites);
    if (menuPage)
        return Append(&menuPage->sprites);
    return nullptr;
}

SpriteInstance* AddInstance(Sprite* sprite) {
    return Append(&sprite->instances);
}
SpriteSequence* AddSequence(Sprite* sprite) {
    return Append(&sprite->sequences);
}
SpriteSound* AddSpriteSound(Sprite* sprite) {
    return Append(&sprite->sounds);
}

void FreeSprite(Sprite* sprite, void* block) {
    if (sprite->surface) {
        sprite->surface->Release();
        sprite->surface = nullptr;
    }
    if (sprite->bitmap) {
        sprite->bitmap->Release();
        sprite->bitmap = nullptr;
    }
    FreeChain(&sprite->instances);
    sprite->instanceCount = 0;
    FreeChain(&sprite->sequences);
    sprite->sequenceCount = 0;
    FreeChain(&sprite->sounds, [](SpriteSound* sound) { FreePair(&sound->frames); });
    sprite->soundCount = 0;
    FreePair(&sprite->frames);
    if (sprite->brainModule) {
        // The brain frees what it holds after its instances are gone.
        if (sprite->labotamize)
            sprite->labotamize();
        platform::ModuleUnload(static_cast<platform::Module*>(sprite->brainModule));
        sprite->brainModule = nullptr;
        sprite->think = nullptr;
        sprite->labotamize = nullptr;
    }
    std::free(block);
}

void FreeSpriteList(PtrPair<Sprite>* list) {
    PtrPair<Sprite> at = *list;
    while (at.ptr) {
        PtrPair<Sprite> next = at.ptr->next;
        FreeSprite(at.ptr, at.block);
        at = next;
    }
    *list = {};
}

void FreeLayer(Layer* layer, void* block) {
    for (int slot = 0; slot < 16; ++slot) {
        TileSet* tileSet = layer->tileSets[slot];
        if (!tileSet)
            continue;
        if (tileSet->surface)
            tileSet->surface->Release();
        if (tileSet->bitmap)
            tileSet->bitmap->Release();
        std::free(layer->tileSetBlocks[slot]);
        layer->tileSets[slot] = nullptr;
        layer->tileSetBlocks[slot] = nullptr;
    }
    FreeSpriteList(&layer->sprites);
    FreeSpriteList(&layer->players);
    FreeSpriteList(&layer->platforms);
    layer->spriteCount = 0;
    FreeChain(&layer->layerSounds, [](LayerSound* sound) {
        FreePair(&sound->points);
        FreePair(&sound->columns);
        FreePair(&sound->rows);
    });
    layer->layerSoundCount = 0;
    if (layer->surface) {
        layer->surface->Release();
        layer->surface = nullptr;
    }
    FreePair(&layer->tileMap);
    FreePair(&layer->maskData);
    FreePair(&layer->maskBitmap);
    FreePair(&layer->maskBits);
    std::free(block);
}

void FreeLevel() {
    PtrPair<Layer> at = gPage.layers;
    while (at.ptr) {
        PtrPair<Layer> next = at.ptr->next;
        FreeLayer(at.ptr, at.block);
        at = next;
    }
    gPage.layers = {};
    gPage.layerCount = 0;
}

void FreeMenuPages(PageRecord* page) {
    PtrPair<MenuPage> at = page->menuPages;
    while (at.ptr) {
        PtrPair<MenuPage> next = at.ptr->next;
        if (at.ptr->surface) {
            at.ptr->surface->Release();
            at.ptr->surface = nullptr;
        }
        FreeSpriteList(&at.ptr->sprites);
        std::free(at.block);
        at = next;
    }
    page->menuPages = {};
    page->menuPageCount = 0;
}
