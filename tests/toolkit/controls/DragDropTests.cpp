// Drag and drop between controls with injected mouse and keys: the events a source and its
// targets see, the cursor, cancelling, the threshold of a manual drag, and a source that goes
// away in the middle.
#include "ControlsTestSupport.h"
#include "toolkit/controls/ExtCtrls.h"

#include <gtest/gtest.h>

using namespace qel;
using namespace qel::test;

namespace {

struct TSeen {
    std::string What;
    TObject* Who = nullptr;
    int X = 0, Y = 0;
    bool operator==(const TSeen&) const = default;
};

struct DragFixture : ::testing::Test {
    void SetUp() override {
        Headless();
        Form = new TForm(nullptr);
        Form->SetBounds(100, 100, 400, 300);
        Src = Panel(10, 10, 80, 40);
        Dst = Panel(200, 10, 150, 150);
        Other = Panel(10, 150, 80, 80);
        Src->OnStartDrag = [this](TObject*, TDragObject*&) { Log.push_back({"start"}); };
        Src->OnEndDrag = [this](TObject*, TObject* Target, int X, int Y) {
            Log.push_back({"end", Target, X, Y});
        };
        Src->OnClick = [this](TObject*) { Log.push_back({"click"}); };
        Dst->OnDragOver = [this](TObject*, TObject* Source, int X, int Y, TDragState State,
                                 bool& Accept) {
            static const char* Names[] = {"enter", "leave", "move"};
            Log.push_back({Names[State], Source, X, Y});
            Accept = Source == Src;
        };
        Dst->OnDragDrop = [this](TObject*, TObject* Source, int X, int Y) {
            Log.push_back({"drop", Source, X, Y});
        };
        Form->Show();
        Pump();
    }
    void TearDown() override {
        delete Form;
        Pump();
    }
    TPanel* Panel(int L, int T, int W, int H) {
        auto* P = new TPanel(Form);
        P->SetParent(Form);
        P->SetBounds(L, T, W, H);
        return P;
    }
    void Down(TControl* C, int X, int Y) {
        TPoint P = At(C, X, Y);
        Headless().MouseDown(1, P.X, P.Y);
        Pump();
    }
    void Move(TControl* C, int X, int Y) {
        TPoint P = At(C, X, Y);
        Headless().MouseMove(P.X, P.Y, MK_LBUTTON);
        Pump();
    }
    void Up(TControl* C, int X, int Y) {
        TPoint P = At(C, X, Y);
        Headless().MouseUp(1, P.X, P.Y);
        Pump();
    }
    TForm* Form = nullptr;
    TPanel *Src = nullptr, *Dst = nullptr, *Other = nullptr;
    std::vector<TSeen> Log;
};

TEST_F(DragFixture, AutomaticDragEntersMovesLeavesAndDrops) {
    Src->SetDragMode(dmAutomatic);
    Down(Src, 5, 5);
    EXPECT_TRUE(Src->Dragging());
    EXPECT_EQ(Screen->Cursor(), crNoDrop) << "the source itself does not take the drag";
    Move(Dst, 50, 50);
    EXPECT_EQ(Screen->Cursor(), crDrag);
    Move(Dst, 60, 70);
    Up(Dst, 60, 70);
    std::vector<TSeen> Want = {{"start"},
                               {"enter", Src, 50, 50},
                               {"move", Src, 60, 70},
                               {"leave", Src, 60, 70},
                               {"drop", Src, 60, 70},
                               {"end", Dst, 60, 70}};
    EXPECT_EQ(Log, Want) << "and no click: the press was the drag's";
    EXPECT_FALSE(Src->Dragging());
    EXPECT_EQ(Screen->Cursor(), crDefault);
    EXPECT_EQ(GetCaptureControl(), nullptr);
}

TEST_F(DragFixture, RefusedDropEscapeAndRightButtonEndWithoutATarget) {
    Src->SetDragMode(dmAutomatic);
    Src->SetDragCursor(crHandPoint);
    Down(Src, 5, 5);
    Move(Dst, 10, 10);
    EXPECT_EQ(Screen->Cursor(), crHandPoint) << "the source's DragCursor over an acceptor";
    Move(Other, 10, 10);
    EXPECT_EQ(Screen->Cursor(), crNoDrop);
    Up(Other, 10, 10);
    ASSERT_EQ(Log.size(), 4u);
    EXPECT_EQ(Log[2], (TSeen{"leave", Src, 10 - 190, 10 + 140}));
    EXPECT_EQ(Log[3], (TSeen{"end", nullptr, 10, 10})) << "no drop on a control that refused";

    // A second press at the same spot would be a double click, which starts no drag.
    Log.clear();
    Down(Src, 30, 20);
    Move(Dst, 10, 10);
    Headless().Key(VK_ESCAPE);
    Pump();
    EXPECT_FALSE(Src->Dragging());
    Up(Dst, 10, 10);
    ASSERT_EQ(Log.size(), 4u);
    EXPECT_EQ(Log[2].What, "leave");
    EXPECT_EQ(Log[3], (TSeen{"end", nullptr, 10, 10}));

    Log.clear();
    Down(Src, 60, 30);
    Move(Dst, 10, 10);
    TPoint P = At(Dst, 10, 10);
    Headless().MouseDown(2, P.X, P.Y);
    Pump();
    EXPECT_FALSE(Src->Dragging());
    EXPECT_EQ(Log.back().What, "end");
    EXPECT_EQ(Log.back().Who, nullptr);
}

TEST_F(DragFixture, ManualDragStartsPastTheThresholdAndAShortPressStaysAClick) {
    Src->OnMouseDown = [this](TObject*, TMouseButton, TShiftState, int, int) {
        Src->BeginDrag(false);
    };
    Down(Src, 5, 5);
    Move(Src, 8, 7);
    EXPECT_FALSE(Src->Dragging()) << "three pixels are within the threshold";
    Up(Src, 8, 7);
    EXPECT_EQ(Log, (std::vector<TSeen>{{"click"}}));

    Log.clear();
    Down(Src, 30, 20);
    Move(Src, 40, 20);
    EXPECT_TRUE(Src->Dragging());
    Move(Dst, 20, 30);
    Up(Dst, 20, 30);
    ASSERT_FALSE(Log.empty());
    EXPECT_EQ(Log.front().What, "start");
    EXPECT_EQ(Log.back(), (TSeen{"end", Dst, 20, 30}));
}

TEST_F(DragFixture, DragObjectFromOnStartDragIsWhatTargetsSee) {
    TDragObject Carried;
    Src->OnStartDrag = [&](TObject*, TDragObject*& O) { O = &Carried; };
    TObject* Seen = nullptr;
    Dst->OnDragOver = [&](TObject*, TObject* Source, int, int, TDragState, bool& Accept) {
        Seen = Source;
        Accept = true;
    };
    Src->BeginDrag(true);
    Move(Dst, 5, 5);
    Up(Dst, 5, 5);
    EXPECT_EQ(Seen, &Carried);
    ASSERT_EQ(Log.size(), 2u);
    EXPECT_EQ(Log[0], (TSeen{"drop", &Carried, 5, 5}));
    EXPECT_EQ(Log[1], (TSeen{"end", Dst, 5, 5}));
}

TEST_F(DragFixture, SourceFreedDuringTheDragEndsItQuietly) {
    Src->SetDragMode(dmAutomatic);
    Dst->OnDragOver = [this](TObject*, TObject*, int, int, TDragState State, bool& Accept) {
        Accept = true;
        if (State == dsDragMove) {
            delete Src;
            Src = nullptr;
        }
    };
    Down(Src, 5, 5);
    Move(Dst, 5, 5);
    Move(Dst, 6, 6);
    EXPECT_EQ(Src, nullptr);
    EXPECT_FALSE(DragActive());
    EXPECT_EQ(Screen->Cursor(), crDefault);
    Up(Dst, 6, 6);
    EXPECT_EQ(Log, (std::vector<TSeen>{{"start"}})) << "no drop, no end: the source is gone";
}

} // namespace
