// The background's client list: repaint order, OnChanged last, and the removal rules.
#include "tests/toolkit/controls/ControlsTestSupport.h"
#include "toolkit/controls/Controls.h"
#include "visual/QELTBackground.h"
#include "visual/QELTLabel.h"

#include <gtest/gtest.h>
#include <string>
#include <vector>

using namespace qel;

namespace {

std::vector<std::string> Log;

class TProbe : public TGraphicControl {
  public:
    using TGraphicControl::TGraphicControl;
    void Invalidate() override { Log.push_back(Name()); }
};

} // namespace

TEST(background_clients, ChangesRepaintClientsInLinkingOrderThenFireOnChanged) {
    TComponent Owner(nullptr);
    auto* Bg = new TQELBackground(&Owner);
    Bg->OnChanged = [](TObject*) { Log.push_back("changed"); };
    std::vector<TProbe*> P;
    for (const char* N : {"c", "a", "b"}) {
        P.push_back(new TProbe(&Owner));
        P.back()->SetName(N);
        Bg->AddItem(P.back());
    }
    Log.clear();
    Bg->Gradient()->SetBeginColor(clRed);
    EXPECT_EQ(Log, (std::vector<std::string>{"c", "a", "b", "changed"}));
    // every kind of setting travels the same way
    for (auto Change : std::vector<std::function<void()>>{
             [&] { Bg->SetSolidColor(clRed); }, [&] { Bg->SetBackStyle(bTexture); },
             [&] { Bg->Texture()->SetImageStyle(isCenter); },
             [&] { Bg->BrushFill()->SetBrushStyle(bsCross); },
             [&] { Bg->Gradient()->SetColorCount(1); }}) {
        Log.clear();
        Change();
        EXPECT_EQ(Log.size(), 4u);
    }
    Bg->RemoveItem(P[1]);
    Log.clear();
    Bg->Gradient()->SetEndColor(clRed);
    EXPECT_EQ(Log, (std::vector<std::string>{"c", "b", "changed"}));
}

TEST(background_clients, SettersCopyIntoTheOwnedObjects) {
    TQELBackground Bg(nullptr);
    TQELGradient G;
    G.SetStyle(Spectral);
    G.SetColorCount(7);
    Bg.SetGradient(&G);
    EXPECT_NE(Bg.Gradient(), &G);
    EXPECT_EQ(Bg.Gradient()->FillStyle(), Spectral);
    EXPECT_EQ(Bg.Gradient()->ColorCount(), 7);
    // the copy keeps notifying the background, not the source's listener
    int Changed = 0;
    Bg.OnChanged = [&](TObject*) { ++Changed; };
    Bg.Gradient()->SetBeginColor(clRed);
    G.SetBeginColor(clBlue);
    EXPECT_EQ(Changed, 1);
}

TEST(background_clients, FreedClientsLeaveAndFreedBackgroundsAreUnlinked) {
    qel::test::Headless();
    TComponent Owner(nullptr);
    auto* Bg = new TQELBackground(&Owner);
    auto* A = new TQELLabel(&Owner);
    auto* B = new TQELLabel(&Owner);
    A->SetBack2(Bg);
    B->SetBack(Bg);
    EXPECT_EQ(Bg->ClientCount(), 2);
    delete A;
    EXPECT_EQ(Bg->ClientCount(), 1);
    EXPECT_EQ(Bg->Clients(0), B);
    delete Bg;
    EXPECT_EQ(B->FontBackground(), nullptr);
}
