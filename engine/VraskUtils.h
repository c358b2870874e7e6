// The fatal report, the aligned allocator, and the display and bitmap
// utilities every screen uses.
#pragma once

#include "common/Level.h"

#include <cstdint>

void ReportError();
void ShutdownOnError();
void* AllocAligned(void** rawOut, uint32_t size);

int GetDXSurfaces(int32_t width, int32_t height, int32_t bitsPerPixel);
int ReLoadBitmap(platform::Surface* surface, const char* fileName);
int ReLoadSprite(Sprite* sprite);
int CopyBitmapToSurface(platform::Surface* surface, platform::Bitmap* bitmap, int32_t sourceX,
                        int32_t sourceY, int32_t sourceWidth, int32_t sourceHeight);
int TakeScreenshot();
int OpenBrowser(const char* target);
int LoadScreenInit();
int LoadScreen();
int LoadScreenDone();
void LoadScreenCleanup();
