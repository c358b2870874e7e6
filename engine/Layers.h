// Level records: list operations and freeing; tile sets, sprite sheets and
// collision masks.
#pragma once

#include "common/Level.h"

MenuPage* AddMenuPage();
Layer* AddLayer();
LayerSound* AddLayerSound(Layer* layer);
Sprite* AddSprite(Layer* layer, MenuPage* menuPage);
SpriteInstance* AddInstance(Sprite* sprite);
SpriteSequence* AddSequence(Sprite* sprite);
SpriteSound* AddSpriteSound(Sprite* sprite);

void FreeLevel();
void FreeMenuPages(PageRecord* page);
void FreeLayer(Layer* layer, void* block);
void FreeSpriteList(PtrPair<Sprite>* list);
void FreeSprite(Sprite* sprite, void* block);

platform::Surface* GetSurfaceFromBitmap(platform::Bitmap* bitmap, int systemMemory);
int LoadTileSet(TileSet* tileSet);
int LoadSprite(Sprite* sprite, int systemMemory);
int LoadMasks(Layer* layer);
int BuildMaskArray(Layer* layer);
