// The 3D label: defaults, text rectangle inside its frame, painting with and without
// backgrounds, and the background links.
#include "tests/toolkit/controls/ControlsTestSupport.h"
#include "toolkit/controls/Forms.h"
#include "toolkit/graphics/Font.h"
#include "visual/QELTLabel.h"

#include <gtest/gtest.h>
#include <set>

using namespace qel;
using namespace qel::test;

namespace {

// Paints the label straight onto a surface of its size.
class TProbeLabel : public TQELLabel {
  public:
    using TQELLabel::TQELLabel;
    TSurface Render(TColor Under = 0x563412) {
        TSurface S(Width(), Height(), PixelFromRGB(Under));
        HDC DC = CreateDCForSurface(&S);
        Canvas()->SetHandle(DC);
        Paint();
        Canvas()->SetHandle(0);
        DeleteDC(DC);
        return S;
    }
};

std::set<TColor> Colours(const TSurface& S) {
    std::set<TColor> C;
    for (auto P : S.Pixels)
        C.insert(RGBFromPixel(P));
    return C;
}

struct LabelTest : ::testing::Test {
    void SetUp() override {
        Headless();
        Form = new TForm(nullptr);
        L = new TProbeLabel(Form);
        L->SetParent(Form);
        L->SetBounds(0, 0, 100, 30);
        L->SetCaption("Ab");
        L->SetColor(clWindow);
    }
    void TearDown() override { delete Form; }
    TForm* Form = nullptr;
    TProbeLabel* L = nullptr;
};

} // namespace

TEST_F(LabelTest, NewLabelDefaults) {
    EXPECT_FALSE(L->AutoSize());
    EXPECT_TRUE(L->Font()->Style().Contains(fsBold));
    EXPECT_EQ(L->Font()->Size(), 12);
    EXPECT_EQ(L->Frame()->FrameStyle(), frameNone);
    // the colour follows the form until the label gets one of its own
    EXPECT_EQ(TQELLabel(nullptr).Color(), clWindow);
    auto* Fresh = new TQELLabel(Form);
    Fresh->SetParent(Form);
    EXPECT_TRUE(Fresh->ParentColor());
    EXPECT_FALSE(L->ParentColor());
    EXPECT_EQ(L->Background(), nullptr);
    EXPECT_EQ(L->FontBackground(), nullptr);
    EXPECT_TRUE(L->ControlStyle().Contains(csReplicatable));
    // one frame width comes off top and bottom even without a frame
    EXPECT_EQ(L->TextRect(), (TRect{0, 1, 100, 29}));
    // the colour behind, the highlight copy and the text: nothing else
    L->Font()->SetColor(clRed);
    EXPECT_EQ(Colours(L->Render()),
              (std::set<TColor>{ColorToRGB(clWindow), ColorToRGB(clBtnHighlight), clRed}));
}

TEST_F(LabelTest, FramedTextRectangleIsInsetOnceMoreAtTopRightAndBottom) {
    L->Frame()->SetFrameStyle(frameFramedUp);
    L->Frame()->Setwidth(2);
    EXPECT_EQ(L->TextRect(), (TRect{4, 6, 92, 24}));
    L->Frame()->SetFrameStyle(frameRaised);
    L->Frame()->Setwidth(1);
    EXPECT_EQ(L->TextRect(), (TRect{1, 2, 98, 28}));
    // the frame is drawn around the whole client area, corner pixel left alone
    L->SetColor(clWhite);
    L->Frame()->SetShadow(clNavy);
    TSurface S = L->Render();
    EXPECT_EQ(RGBFromPixel(S.Get(99, 15)), clNavy);
    EXPECT_EQ(RGBFromPixel(S.Get(0, 0)), clWhite);
}

TEST_F(LabelTest, TransparentPaintsOnlyTextAndFrame) {
    L->SetTransparent(true);
    L->Font()->SetColor(clRed);
    L->Font3D()->Set3d(false);
    EXPECT_EQ(Colours(L->Render(clYellow)), (std::set<TColor>{clYellow, clRed}));
}

TEST_F(LabelTest, BackgroundFillsTheLabel) {
    TQELBackground* Bg = new TQELBackground(Form);
    Bg->SetBackStyle(bSolidcolor);
    Bg->SetSolidColor(clTeal);
    L->SetBack2(Bg);
    L->SetCaption("");
    EXPECT_EQ(Colours(L->Render()), (std::set<TColor>{clTeal}));
}

TEST_F(LabelTest, DisabledTextIsEmbossedUnlessAFontBackgroundDrawsIt) {
    L->SetEnabled(false);
    L->Font()->SetColor(clRed);
    EXPECT_EQ(Colours(L->Render()),
              (std::set<TColor>{ColorToRGB(clWindow), ColorToRGB(clBtnHighlight),
                                ColorToRGB(clGrayText)}));
    TQELBackground* Bg = new TQELBackground(Form);
    Bg->SetBackStyle(bSolidcolor);
    Bg->SetSolidColor(clLime);
    L->SetBack(Bg);
    L->Font3D()->Set3d(false);
    EXPECT_EQ(Colours(L->Render()), (std::set<TColor>{ColorToRGB(clWindow), clLime}));
    // removing the font background leaves plain 3D text
    delete Bg;
    EXPECT_EQ(L->FontBackground(), nullptr);
    EXPECT_EQ(Colours(L->Render()),
              (std::set<TColor>{ColorToRGB(clWindow), ColorToRGB(clBtnHighlight),
                                ColorToRGB(clGrayText)}));
}

TEST_F(LabelTest, FramedFontBackgroundKeepsWholeLetters) {
    // The text sits in (4, 6, 92, 24) and is clipped there (plain 3D text is not); its lower
    // rows inside the rectangle must still show the background.
    L->Frame()->SetFrameStyle(frameFramedUp);
    L->Frame()->Setwidth(2);
    L->Font3D()->Set3d(false);
    L->Font()->SetColor(clBlack);
    L->SetCaption("Hg");
    TSurface Plain = L->Render();
    TQELBackground* Bg = new TQELBackground(Form);
    Bg->SetBackStyle(bSolidcolor);
    Bg->SetSolidColor(clRed);
    L->SetBack(Bg);
    TSurface Through = L->Render();
    int Lowest = -1;
    for (int Y = 0; Y < 24; ++Y)
        for (int X = 0; X < 92; ++X)
            if (RGBFromPixel(Plain.Get(X, Y)) == clBlack) {
                EXPECT_EQ(RGBFromPixel(Through.Get(X, Y)), clRed) << X << "," << Y;
                Lowest = Y;
            }
    EXPECT_GE(Lowest, 18);
}

TEST_F(LabelTest, LinksJoinAndLeaveTheClientList) {
    TQELBackground* A = new TQELBackground(Form);
    TQELBackground* B = new TQELBackground(Form);
    L->SetBack2(A);
    L->SetBack2(A);
    EXPECT_EQ(A->ClientCount(), 1);
    L->SetBack(A);
    EXPECT_EQ(A->ClientCount(), 2);
    L->SetBack2(B);
    EXPECT_EQ(A->ClientCount(), 1);
    EXPECT_EQ(B->ClientCount(), 1);
    delete L;
    EXPECT_EQ(A->ClientCount(), 0);
    EXPECT_EQ(B->ClientCount(), 0);
}

TEST_F(LabelTest, BackgroundOnAnotherOwnerIsDroppedWhenFreed) {
    auto* Other = new TQELBackground(nullptr);
    L->SetBack2(Other);
    delete Other;
    EXPECT_EQ(L->Background(), nullptr);
}
