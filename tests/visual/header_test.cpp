// The sizable header: divider dragging with the mouse and its clamps, the events of a drag,
// the section list's Assign, and the "Sections" form-file format with old and broken entries.
#include "tests/toolkit/controls/ControlsTestSupport.h"
#include "toolkit/core/FormReader.h"
#include "toolkit/core/FormWriter.h"
#include "toolkit/core/Streams.h"
#include "visual/Brisca40.h"
#include "visual/QELControls.h"
#include "visual/QELTextWidth.h"

#include <chrono>
#include <gtest/gtest.h>
#include <memory>
#include <string>
#include <vector>

using namespace qel;
using namespace qel::test;

namespace {

struct HeaderTest : ::testing::Test {
    void SetUp() override {
        Headless();
        RegisterBrisca40Classes();
        Form = new TForm(nullptr);
        Form->SetBounds(100, 100, 400, 200);
        H = new TQELHeader(Form);
        H->SetName("Header1");
        H->SetParent(Form);
        H->SetBounds(10, 10, 300, 25);
        for (const char* S : {"One", "Two", "Three"})
            H->Sections()->Add(S);
        H->SetWidth(0, 100);
        H->SetWidth(1, 80);
        H->OnSizing = [this](TObject*, int S, int W) { Sizing.push_back({S, W}); };
        H->OnSized = [this](TObject*, int S, int W) { Sized.push_back({S, W}); };
        Form->Show();
        Pump();
    }
    void TearDown() override {
        delete Form;
        Pump();
    }
    // Grabs the divider at client X, drags it through the given client X positions and lets go.
    void Drag(int FromX, std::vector<int> Through) {
        TPoint P = At(H, FromX, 12);
        Headless().MouseMove(P.X, P.Y);
        Pump();
        Headless().MouseDown(1, P.X, P.Y);
        Pump();
        for (int X : Through) {
            TPoint Q = At(H, X, 12);
            Headless().MouseMove(Q.X, Q.Y, MK_LBUTTON);
            Pump();
        }
        TPoint E = At(H, Through.empty() ? FromX : Through.back(), 12);
        Headless().MouseUp(1, E.X, E.Y);
        Pump();
    }
    TForm* Form = nullptr;
    TQELHeader* H = nullptr;
    std::vector<std::pair<int, int>> Sizing, Sized;
};

} // namespace

TEST_F(HeaderTest, NewSectionsTakeTheirCaptionWidthAndTheLastOneTheRest) {
    H->Sections()->Add("A longer caption");
    EXPECT_EQ(Cast<TQELHeaderStrings>(H->Sections())->Width(3),
              QELTextWidth(H->Font(), "A longer caption") + 8);
    TQELHeaderStrings Loose;
    Loose.Add("x");
    EXPECT_EQ(Loose.Width(0), 75) << "a list without a header has nothing to measure with";
    EXPECT_EQ(H->GetWidth(3), H->ClientWidth() - 100 - 80 - H->GetWidth(2));
    EXPECT_EQ(H->GetWidth(-1), 0);
    EXPECT_EQ(H->GetWidth(4), 0);
}

TEST_F(HeaderTest, DividerHotWithinThreePixelsAndDraggedBetweenItsClamps) {
    TPoint Near = At(H, 103, 12);
    Headless().MouseMove(Near.X, Near.Y);
    Pump();
    EXPECT_EQ(GetCursor(), std::uintptr_t(IDC_SIZEWE));
    EXPECT_EQ(Headless().CursorShape(), std::uintptr_t(IDC_SIZEWE));
    EXPECT_TRUE(H->IsSizing());
    EXPECT_EQ(H->SizingIndex(), 0);
    TPoint Far = At(H, 104, 12);
    Headless().MouseMove(Far.X, Far.Y);
    Pump();
    EXPECT_FALSE(H->IsSizing()) << "four pixels off is out of reach";

    // Left past the clamp: the first section keeps 2 pixels (clamp at x = 2).
    Drag(100, {60, -50});
    EXPECT_EQ(Cast<TQELHeaderStrings>(H->Sections())->Width(0), 2);
    ASSERT_EQ(Sizing.size(), 2u) << "one OnSizing per move";
    EXPECT_EQ(Sizing[0], std::make_pair(0, 60));
    EXPECT_EQ(Sizing[1], std::make_pair(0, 2));
    ASSERT_EQ(Sized.size(), 1u) << "one OnSized when the drag ends";
    EXPECT_EQ(Sized[0], std::make_pair(0, 2));

    // The second divider now sits at 82; right past ClientWidth - 2 it stops there.
    Sizing.clear();
    Sized.clear();
    Drag(82, {500});
    EXPECT_EQ(H->GetWidth(1), H->ClientWidth() - 2 - 2);
    EXPECT_EQ(Sized.size(), 1u);
    // And left past the start of its own section it keeps 4 pixels (clamp at left + 4).
    Drag(H->ClientWidth() - 2, {-100});
    EXPECT_EQ(H->GetWidth(1), 4);
    EXPECT_FALSE(H->IsSizing());
    EXPECT_FALSE(H->Pressed());
}

TEST_F(HeaderTest, GrabOffsetIsKeptAndAGrabRightOfTheEdgeNeverGoesBelowNothing) {
    Drag(102, {122}); // grabbed 2 pixels right of the edge
    EXPECT_EQ(H->GetWidth(0), 120);
    Drag(123, {-10}); // 3 pixels right: the clamp alone would leave -1
    EXPECT_EQ(H->GetWidth(0), 0);
}

TEST_F(HeaderTest, AllowResizeFalseShowsNoResizeCursorAndDoesNotDrag) {
    H->SetAllowResize(false);
    Drag(100, {150});
    EXPECT_EQ(H->GetWidth(0), 100);
    EXPECT_TRUE(Sizing.empty());
    EXPECT_TRUE(Sized.empty());
    EXPECT_NE(Headless().CursorShape(), std::uintptr_t(IDC_SIZEWE));
}

TEST_F(HeaderTest, AtDesignTimeDividersWorkWithoutAllowResize) {
    H->SetAllowResize(false);
    H->SetDesigning(true);
    TPoint P = At(H, 101, 12);
    SetCursorPos(P.X, P.Y);
    H->Perform(WM_SETCURSOR, static_cast<WPARAM>(H->Handle()), MAKELPARAM(HTCLIENT, WM_MOUSEMOVE));
    EXPECT_TRUE(H->IsSizing());
    EXPECT_EQ(GetCursor(), std::uintptr_t(IDC_SIZEWE));
    H->SetDesigning(false);
    H->Perform(WM_SETCURSOR, static_cast<WPARAM>(H->Handle()), MAKELPARAM(HTCLIENT, WM_MOUSEMOVE));
    EXPECT_FALSE(H->IsSizing());
}

TEST_F(HeaderTest, HandlerThatFreesTheFormDuringADragIsSafe) {
    H->OnSizing = [this](TObject*, int, int) {
        delete Form;
        Form = nullptr;
    };
    TPoint P = At(H, 100, 12);
    Headless().MouseMove(P.X, P.Y);
    Pump();
    Headless().MouseDown(1, P.X, P.Y);
    Pump();
    Headless().MouseMove(P.X + 20, P.Y, MK_LBUTTON);
    Pump();
    EXPECT_EQ(Form, nullptr);
    Headless().MouseUp(1, P.X + 20, P.Y);
    Pump();
}

TEST_F(HeaderTest, PressedSectionPaintsSunkAndEmptyHeaderOneRaisedSection) {
    auto Px = [this](int X) { return PixelAt(Form, 10 + X, 10 + 12); };
    const auto Raised = std::make_pair(Px(0), Px(1));
    const auto RightEdge = Px(99);
    EXPECT_EQ(std::make_pair(Px(100), Px(101)), Raised);
    TPoint P = At(H, 50, 12);
    Headless().MouseDown(1, P.X, P.Y);
    Pump();
    EXPECT_TRUE(H->Pressed());
    EXPECT_NE(std::make_pair(Px(0), Px(1)), Raised) << "the pressed section is sunken";
    EXPECT_EQ(std::make_pair(Px(100), Px(101)), Raised) << "the next section stays raised";
    Headless().MouseUp(1, P.X, P.Y);
    Pump();
    EXPECT_EQ(std::make_pair(Px(0), Px(1)), Raised);
    H->FreeSections();
    Pump();
    EXPECT_EQ(std::make_pair(Px(0), Px(1)), Raised);
    EXPECT_EQ(Px(H->ClientWidth() - 1), RightEdge) << "one raised section to the right edge";
    EXPECT_NE(std::make_pair(Px(100), Px(101)), Raised) << "no divider left";
}

TEST_F(HeaderTest, AssignKeepsTheWidthsOfTheLinesThatStay) {
    TStringList L;
    for (const char* S : {"One", "New", "Two", "Three"})
        L.Add(S);
    H->SetSections(&L);
    auto* S = Cast<TQELHeaderStrings>(H->Sections());
    ASSERT_EQ(S->Count(), 4);
    EXPECT_EQ(S->Width(0), 100);
    EXPECT_EQ(S->Width(1), QELTextWidth(H->Font(), "New") + 8);
    EXPECT_EQ(S->Width(2), 80);
    L.Delete(0);
    H->SetSections(&L);
    EXPECT_EQ(S->Get(0), "New");
    EXPECT_EQ(S->Width(1), 80);
}

TEST_F(HeaderTest, SectionsStreamWithWidthsAndReadBack) {
    const std::string Text = ComponentToText(Form);
    EXPECT_NE(Text.find("Sections.Sections = ("), std::string::npos) << Text;
    EXPECT_NE(Text.find("#0'100'#0'One'"), std::string::npos) << Text;
    TStringStream In(Text);
    auto Again = std::make_unique<TForm>(nullptr);
    ReadComponent(In, Again.get());
    auto* H2 = Cast<TQELHeader>(Again->FindComponent("Header1"));
    ASSERT_TRUE(H2);
    auto* S = Cast<TQELHeaderStrings>(H2->Sections());
    ASSERT_EQ(S->Count(), 3);
    EXPECT_EQ(S->Width(0), 100);
    EXPECT_EQ(S->Width(1), 80);
    EXPECT_EQ(S->Get(2), "Three");
}

TEST(HeaderStream, OldAndBrokenEntriesGetWidth75) {
    Headless();
    RegisterBrisca40Classes();
    const std::string Text = "object Form1: TForm\n"
                             "  object H: TQELHeader\n"
                             "    Sections.Sections = (\n"
                             "      'Plain'\n"
                             "      #0'abc'#0'Bad'\n"
                             "      #0'-7'#0'Negative'\n"
                             "      #0'99999999999'#0'TooBig'\n"
                             "      #0'2147483647'#0'Huge'\n"
                             "      #0'12'\n"
                             "      #0'+40'#0'Sign')\n"
                             "  end\n"
                             "end\n";
    TStringStream In(Text);
    TForm Form(nullptr);
    ReadComponent(In, &Form);
    auto* S = Cast<TQELHeaderStrings>(Cast<TQELHeader>(Form.FindComponent("H"))->Sections());
    ASSERT_EQ(S->Count(), 7);
    EXPECT_EQ(S->Get(0), "Plain");
    EXPECT_EQ(S->Width(0), 75);
    EXPECT_EQ(S->Width(1), 75);
    EXPECT_EQ(S->Get(1), "Bad");
    EXPECT_EQ(S->Width(2), -7);
    EXPECT_EQ(S->Width(3), 75);
    EXPECT_EQ(S->Width(4), 2147483647);
    EXPECT_EQ(S->Get(5), "12") << "an unclosed width is no caption mark";
    EXPECT_EQ(S->Width(5), 75);
    EXPECT_EQ(S->Width(6), 40);
    // Huge and negative widths draw without overflowing.
    Form.SetBounds(0, 0, 300, 100);
    Cast<TQELHeader>(Form.FindComponent("H"))->SetParent(&Form);
    Form.Show();
    Pump();
    S->SetWidth(0, 2147483647);
    S->SetWidth(1, 2147483647);
    Cast<TQELHeader>(Form.FindComponent("H"))->Repaint();
    Pump();
}

TEST(HeaderStream, PlainStringListStillReads) {
    Headless();
    RegisterBrisca40Classes();
    const std::string Text = "object Form1: TForm\n  object H: TQELHeader\n"
                             "    Sections.Strings = ('a' 'b')\n  end\nend\n";
    TStringStream In(Text);
    TForm Form(nullptr);
    ReadComponent(In, &Form);
    auto* H = Cast<TQELHeader>(Form.FindComponent("H"));
    ASSERT_EQ(H->Sections()->Count(), 2);
    EXPECT_EQ(Cast<TQELHeaderStrings>(H->Sections())->Width(1), QELTextWidth(H->Font(), "b") + 8);
}

TEST(HeaderStream, HundredThousandSectionsLoadAndPaintInLinearTime) {
    Headless();
    RegisterBrisca40Classes();
    std::string Text = "object Form1: TForm\n  Left = 0\n  Top = 0\n  Width = 400\n"
                       "  Height = 100\n  object H: TQELHeader\n    Sections.Sections = (\n";
    for (int I = 0; I < 100000; ++I)
        Text += "      #0'" + std::to_string(I % 3 ? 0 : -5) + "'#0'S" + std::to_string(I) + "'\n";
    Text += "    )\n  end\nend\n";
    const auto T0 = std::chrono::steady_clock::now();
    TStringStream In(Text);
    TForm Form(nullptr);
    ReadComponent(In, &Form);
    auto* H = Cast<TQELHeader>(Form.FindComponent("H"));
    ASSERT_EQ(H->Sections()->Count(), 100000);
    Form.Show();
    Pump();
    // Every section is visited by a paint and a hit test, nothing more.
    TPoint P = At(H, 5, 5);
    Headless().MouseMove(P.X, P.Y);
    Pump();
    TStringList Same;
    Same.Assign(H->Sections());
    H->SetSections(&Same);
    Pump();
    const double Secs =
        std::chrono::duration<double>(std::chrono::steady_clock::now() - T0).count();
    EXPECT_LT(Secs, 20.0);
    EXPECT_EQ(Cast<TQELHeaderStrings>(H->Sections())->Width(0), -5) << "Assign kept the widths";
}
