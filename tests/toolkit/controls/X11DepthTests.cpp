// SPDX-License-Identifier: MIT
// The X11 backend on displays of other depths, what it tells window managers, how it fails on
// a display it cannot use, and that an idle loop sleeps.
#include "ControlsTestSupport.h"
#include "XServerSupport.h"
#include "toolkit/controls/ExtCtrls.h"
#include "toolkit/controls/StdCtrls.h"
#include "toolkit/core/Exceptions.h"
#include "toolkit/platform/X11Backend.h"

// GoogleTest before Xlib, whose macros (None, Bool) would break it.
#include <gtest/gtest.h>

#include <X11/Xatom.h>
#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <chrono>
#include <cstdlib>
#include <cstring>
#include <unistd.h>

using namespace qel;
using namespace qel::test;

namespace {

bool NeedServer(const TXServer& S) {
    if (!S.Display().empty()) return true;
    if (std::getenv("QEL_REQUIRE_SERVERS")) ADD_FAILURE() << "Xvfb is required but not installed";
    return false;
}

TForm* ColourfulForm() {
    auto* F = new TForm(nullptr);
    F->SetBounds(20, 20, 240, 150);
    F->SetCaption("Tiefe \xc3\xa4");
    auto* P = new TPanel(F);
    P->SetParent(F);
    P->SetBounds(8, 8, 224, 50);
    P->SetCaption("Panel");
    P->SetColor(0x003366CC);
    auto* L = new TLabel(F);
    L->SetParent(F);
    L->SetBounds(10, 70, 120, 16);
    L->SetCaption("Label");
    auto* B = new TButton(F);
    B->SetParent(F);
    B->SetBounds(140, 100, 75, 25);
    B->SetCaption("OK");
    return F;
}

TSurface Draw(TForm* F) {
    F->Show();
    PumpUntil([] { return !HasPendingPaint(); });
    Pump();
    return *GetWindowSurface(F->Handle());
}

// Whatever a test leaves, the next one starts headless again, before its X server goes.
struct THeadlessAfter {
    ~THeadlessAfter() { SetBackend(std::make_unique<THeadlessBackend>(1024, 768)); }
};

class X11Depth : public ::testing::TestWithParam<int> {};

// The window shows the headless pixels, each as the visual keeps it (565 on 16 bits).
TEST_P(X11Depth, WindowShowsTheHeadlessPixelsInTheVisualsDepth) {
    TXServer Server(GetParam());
    THeadlessAfter Restore;
    if (!NeedServer(Server)) GTEST_SKIP() << "no Xvfb";
    Headless();
    TForm* F = ColourfulForm();
    TSurface Expected = Draw(F);
    delete F;
    Pump();

    std::string Why;
    auto X = TX11Backend::Open(Server.Display().c_str(), &Why);
    ASSERT_TRUE(X) << Why;
    TX11Backend* Xb = X.get();
    EXPECT_EQ(Xb->VisualDepth(), GetParam());
    SetBackend(std::move(X));
    TSurface Got;
    bool Read = false;
    {
        F = ColourfulForm();
        Draw(F);
        Xb->Sync();
        Pump(50);
        Xb->Sync();
        Read = Xb->ReadWindow(F->Handle(), Got);
        delete F;
        Pump();
    }
    std::vector<std::uint32_t> Shown(Expected.Pixels.size());
    for (std::size_t I = 0; I < Shown.size(); ++I)
        Shown[I] = Xb->ShownColour(Expected.Pixels[I]);
    SetBackend(std::make_unique<THeadlessBackend>(1024, 768));
    ASSERT_TRUE(Read);
    ASSERT_EQ(Got.Width, Expected.Width);
    ASSERT_EQ(Got.Height, Expected.Height);
    int Diff = 0;
    for (std::size_t I = 0; I < Got.Pixels.size(); ++I)
        if (Got.Pixels[I] != Shown[I]) ++Diff;
    EXPECT_EQ(Diff, 0) << "pixels differ from the headless ones in the visual's depth";
}

INSTANTIATE_TEST_SUITE_P(Depths, X11Depth, ::testing::Values(16, 24));

TEST(X11Colours, ShownColourKeepsTheVisualsBitsAndFullIntensity) {
    EXPECT_EQ(X11ShownColour(0x00FFFFFF, 5, 6, 5), 0x00FFFFFFu);
    EXPECT_EQ(X11ShownColour(0x00000000, 5, 6, 5), 0x00000000u);
    EXPECT_EQ(X11ShownColour(0x00123456, 8, 8, 8), 0x00123456u);
    // 0x12 keeps 00010 in 5 bits (0x10 | 0x10 >> 5), 0x34 keeps 001101 in 6 (0x34 | 0x34 >> 6).
    EXPECT_EQ(X11ShownColour(0x00123456, 5, 6, 5), 0x00103452u);
}

std::string StringProperty(Display* D, ::Window W, const char* Name, Atom Type) {
    Atom Actual;
    int Format;
    unsigned long N, After;
    unsigned char* Data = nullptr;
    std::string R;
    if (XGetWindowProperty(D, W, XInternAtom(D, Name, False), 0, 1024, False, Type, &Actual,
                           &Format, &N, &After, &Data) == Success &&
        Data) {
        // Xlib hands format-32 items over as longs.
        R.assign(reinterpret_cast<char*>(Data), N * (Format == 32 ? sizeof(long) : Format / 8));
        XFree(Data);
    }
    return R;
}

TEST(X11Identity, WindowsCarryClassUtf8NameAndPid) {
    TXServer Server;
    THeadlessAfter Restore;
    if (!NeedServer(Server)) GTEST_SKIP() << "no Xvfb";
    auto X = TX11Backend::Open(Server.Display().c_str());
    ASSERT_TRUE(X);
    TX11Backend* Xb = X.get();
    SetBackend(std::move(X));
    TForm* F = ColourfulForm();
    Draw(F);
    F->SetCaption("Gr\xc3\xbc\xc3\x9f" "e");
    Pump();
    Xb->Sync();
    Display* D = XOpenDisplay(Server.Display().c_str());
    ASSERT_NE(D, nullptr);
    ::Window W = Xb->NativeWindow(F->Handle());
    XClassHint Class{};
    ASSERT_TRUE(XGetClassHint(D, W, &Class));
    EXPECT_STREQ(Class.res_name, program_invocation_short_name);
    EXPECT_STRCASEEQ(Class.res_class, program_invocation_short_name);
    XFree(Class.res_name);
    XFree(Class.res_class);
    EXPECT_EQ(StringProperty(D, W, "_NET_WM_NAME", XInternAtom(D, "UTF8_STRING", False)),
              "Gr\xc3\xbc\xc3\x9f" "e");
    std::string Pid = StringProperty(D, W, "_NET_WM_PID", XA_CARDINAL);
    ASSERT_EQ(Pid.size(), sizeof(long));
    long Value = 0;
    std::memcpy(&Value, Pid.data(), sizeof Value);
    EXPECT_EQ(Value, static_cast<long>(::getpid()));
    XCloseDisplay(D);
    delete F;
    Pump();
    SetBackend(std::make_unique<THeadlessBackend>(1024, 768));
}

// A display that is asked for and does not open is an error with the reason, never a silent
// switch to the invisible headless backend.
TEST(X11Open, AnUnopenableDisplayIsAnError) {
    std::string Display;
    for (int N = 180; N < 220 && Display.empty(); ++N)
        if (access(("/tmp/.X11-unix/X" + std::to_string(N)).c_str(), F_OK) != 0)
            Display = ":" + std::to_string(N);
    std::string Why;
    auto Start = std::chrono::steady_clock::now();
    EXPECT_FALSE(TX11Backend::Open(Display.c_str(), &Why));
    EXPECT_NE(Why.find(Display), std::string::npos) << Why;
    EXPECT_LT(std::chrono::steady_clock::now() - Start, std::chrono::seconds(2));

    const char* Old = std::getenv("DISPLAY");
    const std::string Saved = Old ? Old : "";
    const char* OldBackend = std::getenv("QEL_BACKEND");
    const std::string SavedBackend = OldBackend ? OldBackend : "";
    setenv("DISPLAY", Display.c_str(), 1);
    unsetenv("QEL_BACKEND");
    SetBackend(nullptr);
    try {
        Backend();
        ADD_FAILURE() << "no exception";
    } catch (const Exception& E) {
        EXPECT_NE(std::string(E.what()).find("cannot open X display"), std::string::npos)
            << E.what();
    }
    // Headless was asked for: no display is needed.
    setenv("QEL_BACKEND", "headless", 1);
    SetBackend(nullptr);
    EXPECT_STREQ(Backend().Name(), "headless");
    if (Old) setenv("DISPLAY", Saved.c_str(), 1); else unsetenv("DISPLAY");
    if (OldBackend) setenv("QEL_BACKEND", SavedBackend.c_str(), 1); else unsetenv("QEL_BACKEND");
    SetBackend(std::make_unique<THeadlessBackend>(1024, 768));
}

// With a window open and nothing to do, the loop sleeps on the connection until the next timer
// instead of waking every few milliseconds.
TEST(X11Idle, AnIdleLoopSleepsUntilItsTimer) {
    TXServer Server;
    THeadlessAfter Restore;
    if (!NeedServer(Server)) GTEST_SKIP() << "no Xvfb";
    auto X = TX11Backend::Open(Server.Display().c_str());
    ASSERT_TRUE(X);
    SetBackend(std::move(X));
    TForm* F = ColourfulForm();
    Draw(F);
    Pump(50);
    bool Due = false;
    auto& Q = TMessageQueue::Main();
    int Timer = Q.AddTimer(400, [&] { Due = true; });
    int Turns = 0;
    auto Start = std::chrono::steady_clock::now();
    while (!Due && std::chrono::steady_clock::now() - Start < std::chrono::seconds(3)) {
        Application->HandleMessage();
        ++Turns;
    }
    Q.RemoveTimer(Timer);
    EXPECT_TRUE(Due);
    // Polling every 5 ms would be some 80 turns.
    EXPECT_LT(Turns, 15);
    delete F;
    Pump();
    SetBackend(std::make_unique<THeadlessBackend>(1024, 768));
}

} // namespace
