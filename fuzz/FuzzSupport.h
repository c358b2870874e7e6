// What the fuzz targets share: a game folder of their own on the headless
// backend and the virtual clock, and the input written where the game looks.
#pragma once

#include "platform/Display.h"

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <unistd.h>

namespace platform {
class Window;
}

namespace fuzz {

// Makes a fresh folder with data\ the current directory, once a process,
// and removes it at exit. Settings are fixed before the platform reads them.
inline void EnterGameFolder(const char* target) {
    static std::filesystem::path dir = [target] {
        setenv("VRASK_BACKEND", "headless", 1);
        setenv("VRASK_CLOCK", "virtual", 1);
        setenv("VRASK_AUDIO", "null", 1);
        std::filesystem::path d =
            std::filesystem::temp_directory_path() /
            ("vrask-fuzz-" + std::string(target) + "-" + std::to_string(getpid()));
        std::filesystem::remove_all(d);
        std::filesystem::create_directories(d / "data");
        std::filesystem::current_path(d);
        std::atexit([] {
            std::error_code ignored;
            std::filesystem::current_path("/", ignored);
            std::filesystem::remove_all(dir, ignored);
        });
        return d;
    }();
}

inline void WriteFile(const char* path, const uint8_t* data, size_t size) {
    if (FILE* f = std::fopen(path, "wb")) {
        if (size)
            std::fwrite(data, 1, size, f);
        std::fclose(f);
    }
}

// A window for the devices' cooperative levels, made once.
platform::Window* MainWindow();

// Sets a mode with its primary and back surfaces, once.
bool Display(int32_t width, int32_t height, int32_t bits);

// An off-screen system-memory surface of the display's format, or null.
platform::Surface* PlainSurface(uint32_t width, uint32_t height);

} // namespace fuzz
