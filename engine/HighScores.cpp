// The high-score screen: the table file, entering initials, and drawing the
// table with the bitmap fonts over the background.
#include "engine/HighScores.h"
#include "cdaudio/CDAudio.h"
#include "common/ByteIO.h"
#include "engine/Globals.h"
#include "engine/InputEngine.h"
#include "engine/Layers.h"
#include "engine/VraskUtils.h"
#include "platform/Clock.h"
#include "platform/Debug.h"
#include "platform/Display.h"
#include "platform/Files.h"
#include "platform/Gdi.h"
#include "platform/UserFiles.h"
#include "soundfx/SoundFX.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>

HighScoreState gHighScores;

namespace {

constexpr const char* kScoresPath = "data\\QEXALL.000";
constexpr const char* kMusicPath = "data\\QEXASW.000";
constexpr const char* kFontFiles[3] = {"QEXAGS.013", "QEXAGS.014", "QEXAGS.015"};
constexpr uint32_t kRepeatMs = 250;
constexpr uint32_t kLetterCount = 26;

void ScoresError(const char* location, const char* message) {
    FillError(&gErrorInfo, kErrorFatal, "HighScores", location, message);
}

void FreeFont(Sprite* font) {
    if (font->surface)
        font->surface->Release();
    if (font->bitmap)
        platform::DeleteObject(font->bitmap); // left behind by a load that failed
    std::free(font->frames.block);
    std::memset(font, 0, sizeof(*font));
}

// What the screen holds while it is up; the tables stay.
void ReleaseScreen() {
    for (Sprite& font : gHighScores.fonts)
        FreeFont(&font);
    if (gHighScores.background)
        gHighScores.background->Release();
    gHighScores.background = nullptr;
}

platform::Result BlitWaiting(int32_t x, int32_t y, platform::Surface* source,
                             const platform::Rect& rect, uint32_t flags) {
    platform::Result r;
    do {
        r = gDisplay.back->BltFast(x, y, source, &rect, flags);
    } while (r == platform::kWasStillDrawing);
    return r;
}

// One frame of a font at (x, y), keyed; a lost font surface is reloaded and
// the frame drawn once more.
int DrawGlyph(Sprite* font, uint32_t frame, int32_t x, int32_t y, const char* lostLine) {
    uint32_t perRow = font->framesPerRow ? font->framesPerRow : 1;
    int32_t w = int32_t(font->frameWidth), h = int32_t(font->frameHeight);
    int32_t left = int32_t(frame % perRow) * w, top = int32_t(frame / perRow) * h;
    platform::Rect rect{left, top, left + w, top + h};
    if (BlitWaiting(x, y, font->surface, rect, platform::DDBLTFAST_SRCCOLORKEY) ==
        platform::kSurfaceLost) {
        platform::OutputDebugString(lostLine);
        if (ReLoadSprite(font) != 1)
            return 0;
        BlitWaiting(x, y, font->surface, rect, platform::DDBLTFAST_SRCCOLORKEY);
    }
    return 1;
}

// Steps the letter under the cursor by +1 or -1, wrapping within A..Z. A
// letter out of range (from a damaged file) comes back as A or Z.
void StepLetter(int direction) {
    uint8_t& letter = gHighScores.initials[gHighScores.insertPosition][gHighScores.cursor];
    if (direction > 0)
        letter = uint32_t(letter) + 1 >= kLetterCount ? 0 : uint8_t(letter + 1);
    else
        letter =
            letter == 0 || letter >= kLetterCount ? uint8_t(kLetterCount - 1) : uint8_t(letter - 1);
}

} // namespace

int HighScores(uint32_t score) {
    if (HighScoresInit() != 1)
        return 0;
    if (HighScoresEngine(score) != 1) {
        // The run ends here with the report; the screen's surfaces and
        // music go, the table is not written.
        ReleaseScreen();
        SoundFXWavStop();
        return 0;
    }
    return HighScoresCleanup();
}

int HighScoresInit() {
    const char* kLocation = "HighScoresInit()";
    if (!GetDXSurfaces(640, 480, 16))
        return 0;
    platform::SurfaceDesc desc{};
    desc.size = sizeof(desc);
    desc.flags = platform::DDSD_CAPS | platform::DDSD_WIDTH | platform::DDSD_HEIGHT;
    desc.caps = platform::DDSCAPS_OFFSCREENPLAIN | platform::DDSCAPS_SYSTEMMEMORY;
    desc.width = 640;
    desc.height = 480;
    platform::Surface* surface = nullptr;
    if (gDisplay.display->CreateSurface(&desc, &surface, nullptr) != platform::kOk) {
        ScoresError(kLocation, "Unable to create off-screen sysmem surface!");
        return 0;
    }
    gHighScores.changed = 0;
    gHighScores.cursor = 0;
    gHighScores.insertPosition = 0;
    gHighScores.newScore = 0;
    gHighScores.entryDone = 1;

    gHighScores.background = surface;
    std::snprintf(gHighScores.backgroundPath, sizeof(gHighScores.backgroundPath), "data\\%s",
                  "QEXAGB.000");
    // What a failed step leaves is let go here, so a run that ends on the
    // report holds nothing of the screen.
    if (!ReLoadBitmap(surface, gHighScores.backgroundPath)) {
        ReleaseScreen();
        return 0;
    }
    for (int i = 0; i < 3; ++i) {
        Sprite& font = gHighScores.fonts[i];
        std::memset(&font, 0, sizeof(font));
        CopyField(font.sheetFile, kFontFiles[i]);
        if (LoadSprite(&font, 1) != 1) {
            ReleaseScreen();
            return 0;
        }
    }
    if (HighScoresLoad() != 1 || !SoundFXWavPlay(kMusicPath)) {
        ReleaseScreen();
        return 0;
    }
    // The volume comes from the options; a value out of range is a warning
    // the screen does not stop for, and it must not stay in the record.
    ErrorInfo kept = gErrorInfo;
    if (!SoundFXWavSetVolume(uint16_t(gMenuControl.musicVolume & 0xFFFF)))
        gErrorInfo = kept;
    return 1;
}

int HighScoresEngine(uint32_t score) {
    uint32_t previous = 0xFFFF; // nothing held as the screen opens counts
    // A direction held as the screen opens repeats from here, not at once.
    uint32_t repeatClock = platform::TimeGetTime();
    bool redraw = true;
    HighScoresInsert(score);
    for (bool done = false; !done;) {
        uint32_t input = 0;
        if (HighScoresGetInput(&input) != 1)
            return 0;
        uint32_t pressed = input & ~previous;
        if (gHighScores.entryDone == 1) {
            if (pressed & kActionJump)
                done = true;
        } else {
            if (pressed & kActionJump) {
                if (++gHighScores.cursor > 2) {
                    gHighScores.entryDone = 1;
                } else {
                    gHighScores.initials[gHighScores.insertPosition][gHighScores.cursor] = 0;
                }
                redraw = true;
            }
            if (gHighScores.entryDone != 1) {
                // Left and right share one repeat clock.
                const struct {
                    uint32_t bit;
                    int direction;
                } kSteps[] = {{kActionLeft, -1}, {kActionRight, 1}};
                for (const auto& step : kSteps) {
                    if (pressed & step.bit) {
                        StepLetter(step.direction);
                        repeatClock = platform::TimeGetTime();
                        redraw = true;
                    } else if (input & step.bit) {
                        uint32_t now = platform::TimeGetTime();
                        if (now - repeatClock > kRepeatMs) {
                            StepLetter(step.direction);
                            repeatClock = now;
                            redraw = true;
                        }
                    }
                }
            }
        }
        if (pressed & kActionEscape)
            done = true;
        if (redraw) {
            HighScoresPrepare();
            if (!HighScoresRenderBackground() || !HighScoresRenderScores() ||
                !HighScoresRenderInitials())
                return 0;
            gDisplay.primary->Flip(nullptr, platform::DDFLIP_WAIT);
            redraw = false;
        }
        previous = input;
        if (CDAudioRefresh() != 1)
            platform::OutputDebugString("CDAudioRefresh failed!\n");
    }
    return 1;
}

int HighScoresCleanup() {
    ReleaseScreen();
    int saved = 1;
    if (gHighScores.changed == 1) {
        saved = HighScoresSave();
        if (saved == 1)
            gHighScores.changed = 0;
    }
    // The music stops whether or not the table could be written.
    SoundFXWavStop();
    return saved == 1 ? 1 : 0;
}

int HighScoresLoad() {
    const char* kLocation = "HighScoresLoad()";
    platform::Result result = platform::kOk;
    platform::File* file = platform::FileOpenRead(
        platform::UserFileToRead(kScoresPath, platform::UserFolder::Data).c_str(), &result);
    if (!file) {
        if (result == platform::kNotFound) {
            // The defaults are shown even when they cannot be written; the
            // failure is traced, and does not stay in the record, where it
            // would read as an error pending at shut-down.
            ErrorInfo kept = gErrorInfo;
            if (HighScoresDefault() != 1) {
                platform::DebugPrintf("\nHighScores could not write the default table: %s\n",
                                      gErrorInfo.message);
                gErrorInfo = kept;
            }
            return 1;
        }
        ScoresError(kLocation, "Unable to open high scores file!");
        return 0;
    }
    // Only the table's own bytes are read: a longer file keeps what follows
    // until the next save writes the table alone.
    uint8_t bytes[kHighScoreFileSize];
    size_t got = platform::FileRead(file, bytes, sizeof(bytes));
    platform::FileClose(file);
    if (got != sizeof(bytes)) {
        ScoresError(kLocation, "Unable to load high scores!");
        return 0;
    }
    ByteReader in(bytes, sizeof(bytes));
    for (uint32_t& s : gHighScores.scores)
        s = in.U32();
    for (auto& entry : gHighScores.initials)
        in.Bytes(entry, sizeof(entry));
    return 1;
}

int HighScoresSave() {
    const char* kLocation = "HighScoresSave()";
    ByteWriter out;
    for (uint32_t s : gHighScores.scores)
        out.U32(s);
    for (const auto& entry : gHighScores.initials)
        out.Bytes(entry, sizeof(entry));
    // Written beside the old file and moved over it: a failed write never
    // leaves a cut table where a good one was.
    platform::Result result = platform::FileReplace(
        platform::UserFileToWrite(kScoresPath, platform::UserFolder::Data).c_str(),
        out.Data().data(), out.Size());
    if (result == platform::kDiskFull) {
        ScoresError(kLocation, "Unable to save to high scores file!");
        return 0;
    }
    if (result != platform::kOk) {
        ScoresError(kLocation, "Unable to create high scores file!");
        return 0;
    }
    return 1;
}

int HighScoresDefault() {
    static const uint32_t kScores[kHighScoreCount] = {250000, 150000, 125000, 100000,
                                                      75000,  50000,  25000,  10000};
    static const char kInitials[kHighScoreCount][4] = {"VRK", "TOL", "WIK", "DUN",
                                                       "MAR", "KOR", "VID", "ZED"};
    std::memset(gHighScores.initials, 0, sizeof(gHighScores.initials));
    for (uint32_t i = 0; i < kHighScoreCount; ++i) {
        gHighScores.scores[i] = kScores[i];
        for (uint32_t j = 0; j < 3; ++j)
            gHighScores.initials[i][j] = uint8_t(kInitials[i][j] - 'A');
    }
    return HighScoresSave();
}

void HighScoresInsert(uint32_t score) {
    uint32_t at = 0;
    while (at < kHighScoreCount && gHighScores.scores[at] >= score)
        ++at;
    if (at == kHighScoreCount)
        return;
    gHighScores.changed = 1;
    for (uint32_t i = kHighScoreCount - 1; i > at; --i) {
        gHighScores.scores[i] = gHighScores.scores[i - 1];
        std::memcpy(gHighScores.initials[i], gHighScores.initials[i - 1], 3);
    }
    gHighScores.scores[at] = score;
    std::memset(gHighScores.initials[at], 0, 3);
    gHighScores.insertPosition = at;
    gHighScores.newScore = score;
    gHighScores.cursor = 0;
    gHighScores.entryDone = 0;
}

void HighScoresPrepare() {
    for (uint32_t i = 0; i < kHighScoreCount; ++i) {
        uint32_t score = gHighScores.scores[i];
        for (int k = 0; k < 7; ++k) {
            gHighScores.digits[i][k] = score % 10;
            score /= 10;
        }
        gHighScores.digits[i][7] = score; // ten millions and up
        for (int j = 0; j < 3; ++j)
            gHighScores.letters[i][j] = gHighScores.initials[i][j];
    }
}

int HighScoresRenderBackground() {
    platform::Rect all{0, 0, 640, 480};
    if (BlitWaiting(0, 0, gHighScores.background, all, platform::DDBLTFAST_NOCOLORKEY) ==
        platform::kSurfaceLost) {
        platform::OutputDebugString("\nLost background surface in high scores!\n");
        return ReLoadBitmap(gHighScores.background, gHighScores.backgroundPath) ? 1 : 0;
    }
    return 1;
}

int HighScoresRenderScores() {
    Sprite* font = &gHighScores.fonts[kFontDigits];
    int32_t rowHeight = int32_t(gHighScores.fonts[kFontLetters].frameHeight) + 10;
    for (uint32_t i = 0; i < kHighScoreCount; ++i) {
        for (int k = 7; k >= 0; --k) {
            int32_t x = 280 + (7 - k) * int32_t(font->frameWidth);
            int32_t y = 110 + int32_t(i) * rowHeight;
            if (!DrawGlyph(font, gHighScores.digits[i][k], x, y,
                           "\nLost sprite surface in HighScoresRenderScores!\n"))
                return 0;
        }
    }
    return 1;
}

int HighScoresRenderInitials() {
    for (uint32_t i = 0; i < kHighScoreCount; ++i) {
        for (uint32_t j = 0; j < 3; ++j) {
            bool editing = i == gHighScores.insertPosition && gHighScores.entryDone != 1 &&
                           j >= gHighScores.cursor;
            Sprite* font = &gHighScores.fonts[editing ? kFontEditing : kFontLetters];
            int32_t x = 95 + int32_t(j) * (int32_t(font->frameWidth) - 5);
            int32_t y = 110 + int32_t(i) * (int32_t(font->frameHeight) + 10);
            if (!DrawGlyph(font, gHighScores.letters[i][j], x, y,
                           "\nLost sprite surface in HighScoresRenderInitials!\n"))
                return 0;
        }
    }
    return 1;
}
