// Exports of the setup library, which serves the game's installer.
#pragma once

#include <cstdint>

namespace platform {
class Window;
}

extern "C" {
int32_t GetDXVersion(uint32_t unused, int32_t* version);
int32_t CheckSupportedOS();
int32_t InstallDX(platform::Window* window, int32_t* mode, char* rootPath);
int32_t RunProgram(platform::Window* window, uint32_t unused, char* target);
int32_t RunProgramWithParms(platform::Window* window, uint32_t unused, char* text);
}
