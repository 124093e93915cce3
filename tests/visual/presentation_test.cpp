// The presentation: its slides in the form file, the show's order and events with the thread
// timer, composing text and picture slides, and a presentation or its form freed while a
// transition pumps messages.
#include "slide_effects_support.h"
#include "tests/toolkit/controls/ControlsTestSupport.h"
#include "toolkit/core/FormReader.h"
#include "toolkit/core/FormWriter.h"
#include "toolkit/core/Streams.h"
#include "toolkit/platform/MessageQueue.h"
#include "toolkit/platform/Window.h"
#include "visual/QELTPresentation.h"

#include <gtest/gtest.h>

using namespace qel;
using namespace qel::test;

namespace {

struct Presentation : ::testing::Test {
    std::unique_ptr<TForm> Form;
    TQELPresentation* P = nullptr;
    void SetUp() override {
        Headless();
        Form = std::make_unique<TForm>(nullptr);
        Form->SetBorderStyle(bsNone);
        Form->SetBounds(0, 0, 120, 90);
        Form->SetColor(clBlack);
        P = new TQELPresentation(Form.get());
        P->SetName("Show");
        P->SetParent(Form.get());
        P->SetBounds(10, 10, 60, 40);
        P->SetColor(clWhite);
        P->SetParentColor(false);
        Form->Show();
        PumpUntil([] { return !HasPendingPaint(); });
    }
    TQELSlide* AddSlide(int Style, int Effect, const std::string& Text = "") {
        TQELSlide* S = P->Slides()->Add();
        S->SetStyle(Style);
        S->SetEffect(Effect);
        S->SetText(Text);
        return S;
    }
    // The control's pixel at (X, Y) of its own area.
    std::uint32_t At(int X, int Y) { return PixelAt(Form.get(), 10 + X, 10 + Y); }
};

std::unique_ptr<TBitmap> Solid(int W, int H, std::uint32_t Pixel) {
    auto B = MakeBitmap(W, H);
    Fill(*B, Pixel);
    return B;
}

TEST_F(Presentation, Defaults) {
    EXPECT_FALSE(P->AutoSize());
    EXPECT_EQ(P->Speed(), 1000);
    EXPECT_EQ(P->Timer()->Interval(), 1000);
    EXPECT_FALSE(P->Running());
    EXPECT_EQ(P->NextSlide(), 0);
    EXPECT_FALSE(P->ControlStyle().Contains(csSetCaption));
    P->SetSpeed(-5);
    EXPECT_EQ(P->Speed(), 1000);
    EXPECT_EQ(P->Timer()->Interval(), 1000);
    P->SetSpeed(70000);
    EXPECT_EQ(P->Speed(), 70000);
    EXPECT_EQ(P->Timer()->Interval(), 70000 & 0xFFFF);
}

TEST_F(Presentation, SlidesAndPicturesTravelWithTheForm) {
    TQELSlide* A = AddSlide(1, efWipeTopToBottom, "Hello");
    A->SetID("Slide - 0");
    TQELSlide* B = AddSlide(2, efVeticalQuadDown);
    B->SetID("Slide - 1");
    B->SetStretch(true);
    auto Pic = MakeSource(7, 5);
    B->SetBitmap(Pic.get());
    P->SetKeepLooping(true);
    P->SetSpeed(250);

    const std::string Text = ComponentToText(Form.get());
    EXPECT_NE(Text.find("Effect = 36"), std::string::npos) << Text;
    EXPECT_NE(Text.find("Bitmap.Data = {"), std::string::npos);

    TForm Again(nullptr);
    TStringStream S(Text);
    ReadComponent(S, &Again);
    auto* Q = dynamic_cast<TQELPresentation*>(Again.FindComponent("Show"));
    ASSERT_NE(Q, nullptr);
    ASSERT_EQ(Q->Slides()->Count(), 2);
    EXPECT_EQ(Q->Slides()->Items(0)->Text(), "Hello");
    EXPECT_EQ(Q->Slides()->Items(0)->Style(), 1);
    EXPECT_EQ(Q->Slides()->Items(1)->Effect(), efVeticalQuadDown);
    EXPECT_EQ(Q->Slides()->Items(1)->ID(), "Slide - 1");
    EXPECT_TRUE(Q->Slides()->Items(1)->Stretch());
    EXPECT_EQ(FirstDifference(*Q->Slides()->Items(1)->Bitmap(), *Pic), "");
    EXPECT_TRUE(Q->KeepLooping());
    EXPECT_EQ(Q->Timer()->Interval(), 250);
    EXPECT_EQ(ComponentToText(&Again), Text);
}

TEST_F(Presentation, DeleteRenamesAndMoveKeepsTheIds) {
    for (int I = 0; I < 4; ++I)
        AddSlide(1, 1, "text " + std::to_string(I))->SetID("Slide - " + std::to_string(I));
    EXPECT_TRUE(P->Slides()->Delete(1));
    ASSERT_EQ(P->Slides()->Count(), 3);
    for (int I = 0; I < 3; ++I)
        EXPECT_EQ(P->Slides()->Items(I)->ID(), "Slide - " + std::to_string(I));
    EXPECT_EQ(P->Slides()->Items(1)->Text(), "text 2");

    P->Slides()->Items(0)->SetID("first");
    P->Slides()->Items(2)->SetID("last");
    P->Slides()->Items(2)->SetStyle(2);
    P->Slides()->Move(0, 2);
    EXPECT_EQ(P->Slides()->Items(0)->Text(), "text 3");
    EXPECT_EQ(P->Slides()->Items(0)->Style(), 2);
    EXPECT_EQ(P->Slides()->Items(2)->Text(), "text 0");
    EXPECT_EQ(P->Slides()->Items(0)->ID(), "first");
    EXPECT_EQ(P->Slides()->Items(2)->ID(), "last");
}

TEST_F(Presentation, APassShowsEverySlideOnceAndStops) {
    for (int I = 0; I < 3; ++I)
        AddSlide(1, efNone, "slide");
    std::vector<int> Shown;
    int Loops = 0;
    P->OnSlideDone = [&](TObject* Sender) {
        EXPECT_EQ(Sender, P);
        Shown.push_back(P->NextSlide());
    };
    P->OnLoopDone = [&](TObject*) { ++Loops; };
    P->SetSpeed(1);
    P->LoopSlides();
    ASSERT_TRUE(PumpUntil([&] { return !P->Running(); }));
    EXPECT_EQ(Shown, (std::vector<int>{0, 1, 2}));
    EXPECT_EQ(Loops, 1);
    EXPECT_EQ(P->NextSlide(), 0);
}

TEST_F(Presentation, KeepLoopingStartsOverAndStopResumesWithTheNextSlide) {
    for (int I = 0; I < 3; ++I)
        AddSlide(1, efNone);
    std::vector<int> Shown;
    P->SetKeepLooping(true);
    P->OnSlideDone = [&](TObject*) {
        Shown.push_back(P->NextSlide());
        if (Shown.size() == 5) P->Stop();
    };
    P->SetSpeed(1);
    P->LoopSlides();
    ASSERT_TRUE(PumpUntil([&] { return !P->Running(); }));
    EXPECT_EQ(Shown, (std::vector<int>{0, 1, 2, 0, 1}));
    EXPECT_EQ(P->NextSlide(), 2) << "the index survives stopping";
    P->SetKeepLooping(false);
    P->LoopSlides();
    ASSERT_TRUE(PumpUntil([&] { return !P->Running(); }));
    EXPECT_EQ(Shown.back(), 2);
}

TEST_F(Presentation, PicturesAreCentredOrDrawnFromTheCorner) {
    TQELSlide* S = AddSlide(2, efNone);
    auto Small = Solid(20, 10, 0x0000FF);
    S->SetBitmap(Small.get());
    P->DoOneSlide(0);
    // Control 60 x 40: round(30) - round(10) = 20, round(20) - round(5) = 15.
    EXPECT_EQ(At(20, 15), 0x0000FFu);
    EXPECT_EQ(At(39, 24), 0x0000FFu);
    EXPECT_EQ(At(19, 15), 0xFFFFFFu);
    EXPECT_EQ(At(40, 24), 0xFFFFFFu);
    EXPECT_EQ(At(20, 25), 0xFFFFFFu);

    auto Big = MakeSource(90, 70);
    S->SetBitmap(Big.get());
    P->DoOneSlide(0);
    EXPECT_EQ(At(0, 0), SourcePixel(0, 0));
    EXPECT_EQ(At(59, 39), SourcePixel(59, 39));
    EXPECT_EQ(PixelAt(Form.get(), 70, 50), 0u) << "cut at the control's edge";

    S->SetStretch(true);
    auto Tiny = Solid(2, 2, 0x00FF00);
    S->SetBitmap(Tiny.get());
    P->DoOneSlide(0);
    EXPECT_EQ(At(0, 0), 0x00FF00u);
    EXPECT_EQ(At(59, 39), 0x00FF00u);
}

TEST_F(Presentation, TextSlidesAndOtherStyles) {
    AddSlide(1, efNone, "WWWW");
    P->Font()->SetColor(clRed);
    P->DoOneSlide(0);
    int Red = 0;
    for (int Y = 0; Y < 40; ++Y)
        for (int X = 0; X < 60; ++X)
            Red += At(X, Y) == 0xFF0000u;
    EXPECT_GT(Red, 10);

    AddSlide(7, efNone, "WWWW");
    P->DoOneSlide(1);
    for (int Y = 0; Y < 40; ++Y)
        for (int X = 0; X < 60; ++X)
            ASSERT_EQ(At(X, Y), 0xFFFFFFu) << "an unknown style shows only the colour";

    // Outside the list nothing is drawn.
    P->DoOneSlide(5);
    P->DoOneSlide(-1);
}

TEST_F(Presentation, APaintShowsTheBackgroundNotTheSlide) {
    auto* Bg = new TQELBackground(Form.get());
    Bg->SetBackStyle(bSolidcolor);
    Bg->SetSolidColor(clBlue);
    P->SetBackground(Bg);
    P->Invalidate();
    PumpUntil([] { return !HasPendingPaint(); });
    EXPECT_EQ(At(5, 5), 0x0000FFu);
    delete Bg;
    EXPECT_EQ(P->Background(), nullptr);
}

// A handler that runs while the transition pumps frees the form (and the presentation with
// it), or just the presentation: the show ends there, nothing draws on freed memory.
TEST_F(Presentation, FreedDuringATransition) {
    for (bool WholeForm : {true, false}) {
        SetUp();
        AddSlide(2, efWipeTopToBottom)->SetBitmap(MakeSource(60, 40).get());
        int Done = 0;
        P->OnSlideDone = [&](TObject*) { ++Done; };
        int Pumps = 0;
        TLoopHandler Handler;
        auto Old = SetSlideEffectPumpHook([&] {
            if (++Pumps != 100) return;
            Handler.Arm([&] {
                if (WholeForm)
                    Form.reset();
                else
                    delete P;
            });
        });
        P->SetSpeed(1);
        P->LoopSlides();
        PumpUntil([&] { return WholeForm ? !Form : Form->ControlCount() == 0; });
        SetSlideEffectPumpHook(Old);
        Pump(20);
        EXPECT_EQ(Done, 0) << "the slide never finished";
        EXPECT_GE(Pumps, 100);
        EXPECT_LT(Pumps, 60 * 40) << "the transition stopped when its control went";
    }
}

TEST_F(Presentation, FreedByItsOwnSlideEvent) {
    AddSlide(1, efNone);
    AddSlide(1, efNone);
    int Done = 0;
    P->OnSlideDone = [&](TObject*) {
        ++Done;
        delete P;
    };
    P->SetSpeed(1);
    P->LoopSlides();
    ASSERT_TRUE(PumpUntil([&] { return Done > 0; }));
    Pump(20);
    EXPECT_EQ(Done, 1);
    EXPECT_EQ(Form->ControlCount(), 0);
}

} // namespace
