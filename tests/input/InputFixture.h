// What the input tests share: a window for the cooperative levels, a fresh
// input record with the default bindings, and the debugger lines written
// since the last look.
#pragma once

#include "engine/Globals.h"
#include "engine/InputEngine.h"
#include "platform/Faults.h"
#include "platform/Input.h"
#include "platform/Window.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <sstream>
#include <string>
#include <unistd.h>

namespace inputtest {

inline std::string DebugLogPath() {
    static std::string path = [] {
        std::string p = "input_debug_" + std::to_string(getpid()) + ".log";
        setenv("VRASK_DEBUG_LOG", p.c_str(), 1);
        return p;
    }();
    return path;
}

inline platform::Window* TestWindow() {
    static platform::Window* window = [] {
        platform::WindowClass wc{};
        wc.proc = platform::DefWindowProc;
        wc.className = "VraskInputTest";
        platform::RegisterClass(&wc);
        return platform::CreateWindow(0, "VraskInputTest", "Input test", platform::WS_POPUP, 0, 0,
                                      640, 480, nullptr, nullptr);
    }();
    return window;
}

inline std::string ReadFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

inline void SetDefaultBindings() {
    KeyBinding* b = gInputState.keyBindings;
    b[0] = {0x38, 0xB8, {0, 0}};
    b[1] = {0x1D, 0x2A, {0, 0}};
    b[2] = {0xC8, 0, {0, 0}};
    b[3] = {0xD0, 0, {0, 0}};
    b[4] = {0xCB, 0, {0, 0}};
    b[5] = {0xCD, 0, {0, 0}};
    b[6] = {0x39, 0, {0, 0}};
}

class InputTest : public ::testing::Test {
  protected:
    void SetUp() override {
        DebugLogPath();
        platform::SetFaults(nullptr);
        platform::SetInputRecord(nullptr);
        gInputState = InputState{};
        gErrorInfo = ErrorInfo{};
        SetDefaultBindings();
        gMainWindow = TestWindow();
        ASSERT_NE(gMainWindow, nullptr);
        logSeen_ = ReadFile(DebugLogPath()).size();
    }
    void TearDown() override {
        platform::SetFaults(nullptr);
        InputCleanup();
        platform::SetInputRecord(nullptr);
        EXPECT_EQ(platform::InputObjectsAlive(), 0u);
    }

    void Script(const char* text, uint32_t joysticks = 0) {
        ASSERT_TRUE(platform::SetInputScript(text, joysticks)) << text;
    }

    // Debugger text written since the last call.
    std::string NewDebugText() {
        std::string all = ReadFile(DebugLogPath());
        std::string fresh = all.substr(std::min(all.size(), logSeen_));
        logSeen_ = all.size();
        return fresh;
    }

    static int Count(const std::string& text, const std::string& what) {
        int n = 0;
        for (size_t at = text.find(what); at != std::string::npos; at = text.find(what, at + 1))
            ++n;
        return n;
    }

    static uint32_t Bits() {
        uint32_t bits = 0xDEADBEEF;
        EXPECT_EQ(HighScoresGetInput(&bits), 1);
        return bits;
    }

  private:
    size_t logSeen_ = 0;
};

} // namespace inputtest
