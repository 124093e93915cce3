// The package's base controls: default paint, the background link and its removal.
#include "toolkit/controls/Forms.h"
#include "toolkit/platform/Headless.h"
#include "toolkit/platform/Window.h"
#include "visual/QELControls.h"
#include "visual/QELTBackground.h"

#include <gtest/gtest.h>

using namespace qel;

namespace {

class TPlain : public TQELCustomControl {
  public:
    using TQELCustomControl::TQELCustomControl;
    int Paints = 0;

  protected:
    void Paint() override {
        ++Paints;
        TQELCustomControl::Paint();
    }
};

struct QELControlsTest : ::testing::Test {
    void SetUp() override {
        if (!BackendChosen()) SetBackend(std::make_unique<THeadlessBackend>());
        Form = new TForm(nullptr);
        Form->SetBounds(0, 0, 200, 100);
        Form->SetColor(clWhite);
        C = new TPlain(Form);
        C->SetParent(Form);
        C->SetBounds(10, 10, 50, 30);
    }
    void TearDown() override { delete Form; }
    void Pump() {
        for (int I = 0; I < 5; ++I)
            Application->ProcessMessages();
    }
    std::uint32_t Pixel(int X, int Y) { return GetWindowSurface(Form->Handle())->Get(X, Y); }
    TForm* Form = nullptr;
    TPlain* C = nullptr;
};

TEST_F(QELControlsTest, WithoutBackgroundTheWholeClientAreaIsButtonFace) {
    Form->Show();
    Pump();
    std::uint32_t Face = PixelFromRGB(ColorToRGB(clBtnFace));
    for (int Y = 10; Y < 40; Y += 7)
        for (int X = 10; X < 60; X += 7)
            EXPECT_EQ(Pixel(X, Y), Face) << X << "," << Y;
    EXPECT_EQ(Pixel(5, 5), 0xFFFFFFu);
    EXPECT_EQ(Pixel(60, 40), 0xFFFFFFu);
}

TEST_F(QELControlsTest, LinkingTwiceKeepsOneEntryAndFreeingTheBackgroundUnlinks) {
    auto* B = new TQELBackground(Form);
    C->SetBack(B);
    C->SetBack(B);
    EXPECT_EQ(B->ClientCount(), 1);
    Form->Show();
    Pump();
    int Before = C->Paints;
    delete B;
    EXPECT_EQ(C->Background(), nullptr);
    Pump();
    EXPECT_GT(C->Paints, Before) << "the control repaints with its own fill";
}

TEST_F(QELControlsTest, FreeingTheControlLeavesTheClientList) {
    auto* B = new TQELBackground(Form);
    auto* Other = new TPlain(Form);
    Other->SetParent(Form);
    C->SetBack(B);
    Other->SetBack(B);
    EXPECT_EQ(B->ClientCount(), 2);
    delete C;
    EXPECT_EQ(B->ClientCount(), 1);
    EXPECT_EQ(B->Clients(0), Other);
}

TEST_F(QELControlsTest, GraphicBaseClassPublishesLayoutAndDragProperties) {
    const TClass& K = TQELGraphicControl::StaticClass();
    for (const char* N : {"Anchors", "BiDiMode", "Constraints", "DragCursor", "DragKind",
                          "DragMode", "ParentBiDiMode"})
        EXPECT_NE(K.FindProperty(N), nullptr) << N;
    EXPECT_EQ(*K.FindProperty("DragCursor")->Default, crDrag);
    EXPECT_EQ(*K.FindProperty("ParentBiDiMode")->Default, 1);
}

} // namespace
