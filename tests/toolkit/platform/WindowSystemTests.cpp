// The window system seen from inside: how invalidations merge into a top-level window's dirty
// list, which window a screen point reaches, and when two presses make a double click.
#include "toolkit/platform/Backend.h"
#include "toolkit/platform/Headless.h"
#include "toolkit/platform/WindowInternal.h"
#include "toolkit/platform/WindowMessages.h"

#include <gtest/gtest.h>
#include <vector>

using namespace qel;

namespace {

struct TRecorder : TWindowTarget {
    std::vector<UINT> Mouse;
    LRESULT WindowMessage(HWND, UINT Msg, WPARAM, LPARAM) override {
        if (Msg >= WM_LBUTTONDOWN && Msg <= WM_MBUTTONUP) Mouse.push_back(Msg);
        return 0;
    }
};

struct WindowSystem : ::testing::Test {
    TRecorder Rec, Plain; // outlive the windows they receive for
    std::vector<HWND> Made;
    void SetUp() override {
        if (!BackendChosen() || !HeadlessBackend())
            SetBackend(std::make_unique<THeadlessBackend>(1024, 768));
    }
    void TearDown() override {
        for (auto It = Made.rbegin(); It != Made.rend(); ++It)
            DestroyWindow(*It);
    }
    HWND Make(int X, int Y, int W, int H, HWND Parent = 0, TWindowTarget* Target = nullptr,
              UINT ClassStyle = 0) {
        TCreateWindowParams P;
        P.Style = WS_VISIBLE | (Parent ? WS_CHILD : WS_POPUP);
        P.ClassStyle = ClassStyle;
        P.X = X;
        P.Y = Y;
        P.Width = W;
        P.Height = H;
        P.Parent = Parent;
        P.Target = Target;
        const HWND Wnd = CreateWindowQ(P);
        Made.push_back(Wnd);
        return Wnd;
    }
    static std::vector<TRect>& Dirty(HWND Top) { return wnd::Find(Top)->Dirty; }
};

TEST_F(WindowSystem, InvalidationsMergeWhenTheyTouchAndCollapsePastSixteen) {
    const HWND Top = Make(0, 0, 200, 100);
    Dirty(Top).clear();
    const TRect A{10, 10, 20, 20}, Touching{20, 10, 30, 20}, Apart{50, 50, 60, 60};
    InvalidateRect(Top, &A, FALSE);
    InvalidateRect(Top, &Touching, FALSE);
    ASSERT_EQ(Dirty(Top).size(), 1u) << "rectangles that share an edge become one";
    EXPECT_EQ(Dirty(Top)[0], (TRect{10, 10, 30, 20}));
    InvalidateRect(Top, &Apart, FALSE);
    EXPECT_EQ(Dirty(Top).size(), 2u) << "a distant rectangle stays apart";

    // A rectangle that bridges two others swallows both.
    const TRect Bridge{25, 15, 55, 55};
    InvalidateRect(Top, &Bridge, FALSE);
    ASSERT_EQ(Dirty(Top).size(), 1u);
    EXPECT_EQ(Dirty(Top)[0], (TRect{10, 10, 60, 60}));

    // Outside the surface: clipped, and nothing at all when wholly outside.
    Dirty(Top).clear();
    const TRect Over{190, 90, 300, 300}, Beyond{300, 300, 400, 400};
    InvalidateRect(Top, &Over, FALSE);
    InvalidateRect(Top, &Beyond, FALSE);
    ASSERT_EQ(Dirty(Top).size(), 1u);
    EXPECT_EQ(Dirty(Top)[0], (TRect{190, 90, 200, 100}));

    // Seventeen separate cells: the list becomes their bounding box.
    Dirty(Top).clear();
    for (int I = 0; I < 17; ++I) {
        const TRect Cell{I * 10, (I % 2) * 50, I * 10 + 2, (I % 2) * 50 + 2};
        InvalidateRect(Top, &Cell, FALSE);
    }
    ASSERT_EQ(Dirty(Top).size(), 1u);
    EXPECT_EQ(Dirty(Top)[0], (TRect{0, 0, 162, 52}));
}

TEST_F(WindowSystem, AChildsInvalidationLandsInItsTopLevelsSurfaceClippedByItsParent) {
    const HWND Top = Make(100, 100, 200, 100);
    const HWND Panel = Make(20, 10, 50, 40, Top);
    const HWND Inner = Make(40, 30, 30, 30, Panel); // sticks out of the panel
    Dirty(Top).clear();
    InvalidateRect(Inner, nullptr, FALSE);
    ASSERT_EQ(Dirty(Top).size(), 1u);
    EXPECT_EQ(Dirty(Top)[0], (TRect{60, 40, 70, 50}));
    ShowWindow(Panel, SW_HIDE);
    Dirty(Top).clear();
    InvalidateRect(Inner, nullptr, FALSE);
    EXPECT_TRUE(Dirty(Top).empty()) << "nothing of a hidden parent's child can show";
}

TEST_F(WindowSystem, PointsReachTheTopmostVisibleDeepestWindow) {
    const HWND Low = Make(0, 0, 300, 300);
    const HWND High = Make(100, 100, 100, 100);
    const HWND Child = Make(10, 10, 20, 20, High);
    const HWND Grand = Make(5, 5, 5, 5, Child);
    EXPECT_EQ(WindowFromPoint({50, 50}), Low);
    EXPECT_EQ(WindowFromPoint({150, 150}), High);
    EXPECT_EQ(WindowFromPoint({110, 110}), Child);
    EXPECT_EQ(WindowFromPoint({115, 115}), Grand);
    // Right and bottom edges belong to the neighbour.
    EXPECT_EQ(WindowFromPoint({120, 115}), Child);
    EXPECT_EQ(WindowFromPoint({130, 110}), High);
    EXPECT_EQ(WindowFromPoint({200, 150}), Low);
    ShowWindow(Child, SW_HIDE);
    EXPECT_EQ(WindowFromPoint({115, 115}), High) << "a hidden child and its children let go";
    ShowWindow(High, SW_HIDE);
    EXPECT_EQ(WindowFromPoint({150, 150}), Low);
    EXPECT_EQ(WindowFromPoint({-1, 5}), HWND(0));
}

TEST_F(WindowSystem, TwoPressesAreADoubleClickOnlyCloseInTimeAndPlace) {
    Make(600, 0, 100, 100, 0, &Rec, CS_DBLCLKS);
    Make(800, 0, 100, 100, 0, &Plain);
    THeadlessBackend& B = *HeadlessBackend();
    auto Press = [&](int X, int Y) {
        B.MouseDown(1, X, Y);
        B.MouseUp(1, X, Y);
        while (PumpWindowInput()) {
        }
    };
    auto Downs = [](const TRecorder& R) {
        std::vector<UINT> D;
        for (UINT M : R.Mouse)
            if (M != WM_LBUTTONUP) D.push_back(M);
        return D;
    };
    Press(610, 10);
    Press(614, 14); // 4 pixels away: still the same place
    Press(614, 14); // the third press starts over
    EXPECT_EQ(Downs(Rec), (std::vector<UINT>{WM_LBUTTONDOWN, WM_LBUTTONDBLCLK, WM_LBUTTONDOWN}));

    Rec.Mouse.clear();
    Press(650, 50);
    Press(655, 50); // 5 pixels: too far
    EXPECT_EQ(Downs(Rec), (std::vector<UINT>{WM_LBUTTONDOWN, WM_LBUTTONDOWN}));

    Rec.Mouse.clear();
    Press(650, 50);
    // The first press as if it were made longer ago than the double-click time.
    wnd::WS().LastDownTime -= std::chrono::milliseconds(GetDoubleClickTime() + 1);
    Press(650, 50);
    EXPECT_EQ(Downs(Rec), (std::vector<UINT>{WM_LBUTTONDOWN, WM_LBUTTONDOWN}));

    Press(810, 10);
    Press(810, 10);
    EXPECT_EQ(Downs(Plain), (std::vector<UINT>{WM_LBUTTONDOWN, WM_LBUTTONDOWN}))
        << "a class without double clicks gets two presses";
}

} // namespace
