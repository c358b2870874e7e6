// The window, its queue and message boxes on the headless backend.
#include "platform/Window.h"
#include "platform/MessageBox.h"

#include <cstdlib>
#include <gtest/gtest.h>
#include <string>
#include <vector>

namespace {

std::vector<uint32_t> gSeen;

intptr_t Proc(platform::Window* window, uint32_t message, uintptr_t w, intptr_t l) {
    gSeen.push_back(message);
    if (message == platform::WM_DESTROY)
        platform::PostQuitMessage(3);
    return platform::DefWindowProc(window, message, w, l);
}

TEST(WindowTest, DestroyingTheWindowEndsTheQueueWithQuit) {
    platform::WindowClass wc{};
    wc.proc = Proc;
    wc.className = "Test Class";
    ASSERT_TRUE(platform::RegisterClass(&wc));
    EXPECT_FALSE(platform::RegisterClass(&wc)); // once per name
    EXPECT_EQ(platform::CreateWindow(0, "Unknown", "t", 0, 0, 0, 1, 1, nullptr, nullptr), nullptr);
    platform::Window* window = platform::CreateWindow(
        0, "Test Class", "Title", platform::WS_POPUP, 0, 0,
        platform::GetSystemMetrics(platform::SM_CXSCREEN),
        platform::GetSystemMetrics(platform::SM_CYMAXIMIZED), nullptr, nullptr);
    ASSERT_NE(window, nullptr);
    EXPECT_STREQ(platform::WindowTitle(window), "Title");

    platform::Message m{};
    EXPECT_FALSE(platform::PeekMessage(&m, nullptr, 0, 0, platform::PM_REMOVE));
    platform::PostMessage(window, 0x400, 7, 8);
    ASSERT_TRUE(platform::PeekMessage(&m, nullptr, 0, 0, platform::PM_NOREMOVE));
    ASSERT_TRUE(platform::PeekMessage(&m, nullptr, 0, 0, platform::PM_REMOVE));
    EXPECT_EQ(m.message, 0x400u);
    EXPECT_EQ(m.wParam, 7u);
    platform::DispatchMessage(&m);
    EXPECT_EQ(gSeen, (std::vector<uint32_t>{0x400}));

    EXPECT_TRUE(platform::DestroyWindow(window));
    EXPECT_FALSE(platform::DestroyWindow(window));
    EXPECT_EQ(gSeen.back(), platform::WM_DESTROY);
    ASSERT_TRUE(platform::PeekMessage(&m, nullptr, 0, 0, platform::PM_REMOVE));
    EXPECT_EQ(m.message, platform::WM_QUIT);
    EXPECT_EQ(m.wParam, 3u);

    EXPECT_EQ(platform::ShowCursor(false), -1);
    EXPECT_EQ(platform::ShowCursor(true), 0);
}

int Box(uint32_t style, std::string* log) {
    testing::internal::CaptureStderr();
    int answer = platform::MessageBox(nullptr, "Line one\nLine two", "Caption", style);
    *log = testing::internal::GetCapturedStderr();
    return answer;
}

TEST(WindowTest, BoxesAreLoggedAndAnsweredInTurn) {
    // Read on the first box of the process.
    setenv("VRASK_MSGBOX", "retry,cancel,7", 1);
    std::string log;
    EXPECT_EQ(Box(platform::MB_RETRYCANCEL | platform::MB_ICONEXCLAMATION, &log),
              platform::IDRETRY);
    EXPECT_EQ(log, "[msgbox] caption=\"Caption\" style=0x00000035\nLine one\nLine two\n"
                   "[/msgbox]\n[msgbox] answer=retry\n");
    EXPECT_EQ(Box(platform::MB_RETRYCANCEL, &log), platform::IDCANCEL);
    EXPECT_EQ(Box(platform::MB_YESNO, &log), platform::IDNO);
    // Past the list, a box gets the button that backs out.
    EXPECT_EQ(Box(platform::MB_YESNO, &log), platform::IDNO);
    EXPECT_EQ(Box(platform::MB_RETRYCANCEL, &log), platform::IDCANCEL);
    EXPECT_EQ(Box(platform::MB_ABORTRETRYIGNORE, &log), platform::IDABORT);
    EXPECT_EQ(Box(platform::MB_OK | platform::MB_TOPMOST, &log), platform::IDOK);
    EXPECT_NE(log.find("style=0x00040000"), std::string::npos);
}

} // namespace
