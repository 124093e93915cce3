// Form files and controls: nesting sets parents, the writer nests children under their
// parents again, unbound handler names become warnings, and a loaded form paints.
#include "ControlsTestSupport.h"
#include "toolkit/controls/ExtCtrls.h"
#include "toolkit/controls/StdCtrls.h"
#include "toolkit/core/FormReader.h"
#include "toolkit/core/FormWriter.h"
#include "toolkit/core/Streams.h"
#include "toolkit/graphics/Bitmap.h"
#include "toolkit/graphics/Canvas.h"

#include <gtest/gtest.h>

using namespace qel;
using namespace qel::test;

namespace {

int ClientWidth(TControl* C) {
    return C->ClientWidth();
}

const char* const FormText = R"(object Form1: TForm
  Left = 200
  Top = 100
  Width = 320
  Height = 200
  Caption = 'Sample'
  Color = clBtnFace
  OnCreate = FormCreate
  PixelsPerInch = 96
  TextHeight = 13
  object Label1: TLabel
    Left = 16
    Top = 16
    Width = 60
    Height = 13
    Caption = '&Name:'
    FocusControl = CheckBox1
  end
  object Panel1: TPanel
    Left = 16
    Top = 40
    Width = 280
    Height = 60
    Color = clRed
    TabOrder = 0
    object Button1: TButton
      Left = 8
      Top = 16
      Width = 75
      Height = 25
      Caption = 'OK'
      Default = True
      TabOrder = 0
      OnClick = Button1Click
    end
  end
  object CheckBox1: TCheckBox
    Left = 16
    Top = 112
    Width = 97
    Height = 17
    Caption = 'Check'
    Checked = True
    TabOrder = 1
  end
end
)";

std::unique_ptr<TForm> Load(std::vector<std::string>& Warnings) {
    auto F = std::make_unique<TForm>(nullptr);
    TFormLoadOptions O;
    O.MissingMethod = TReadPolicy::Warn;
    O.Warnings = &Warnings;
    TStringStream S(FormText);
    ReadComponent(S, F.get(), O);
    return F;
}

TEST(FormStream, NestingSetsParentsAndUnboundHandlersAreWarnings) {
    Headless();
    std::vector<std::string> W;
    auto F = Load(W);
    auto* Panel = Cast<TPanel>(F->FindComponent("Panel1"));
    auto* Button = Cast<TButton>(F->FindComponent("Button1"));
    auto* Label = Cast<TLabel>(F->FindComponent("Label1"));
    ASSERT_TRUE(Panel && Button && Label);
    EXPECT_EQ(Button->Parent(), Panel);
    EXPECT_EQ(Panel->Parent(), F.get());
    EXPECT_EQ(Button->Owner(), F.get());
    EXPECT_EQ(Label->FocusControl(), F->FindComponent("CheckBox1"));
    EXPECT_TRUE(Cast<TCheckBox>(F->FindComponent("CheckBox1"))->Checked());
    EXPECT_EQ(W.size(), 2u);
    EXPECT_FALSE(Button->OnClick);
    EXPECT_EQ(Label->Color(), clBtnFace) << "a label takes its parent's colour";
}

TEST(FormStream, WriterNestsChildrenUnderTheirParents) {
    Headless();
    std::vector<std::string> W;
    auto F = Load(W);
    std::string Text = ComponentToText(F.get());
    auto PanelAt = Text.find("object Panel1: TPanel");
    auto ButtonAt = Text.find("object Button1: TButton");
    auto CheckAt = Text.find("object CheckBox1: TCheckBox");
    ASSERT_NE(PanelAt, std::string::npos);
    ASSERT_NE(ButtonAt, std::string::npos);
    EXPECT_GT(ButtonAt, PanelAt);
    EXPECT_LT(ButtonAt, CheckAt);
    // The button is indented one level deeper than the panel.
    EXPECT_EQ(Text.substr(ButtonAt - 4, 4), "    ");
}

TEST(FormStream, ComponentsWithoutParentAreWrittenBeforeTheControls) {
    Headless();
    std::vector<std::string> W;
    auto F = Load(W);
    auto* T = new TTimer(F.get());
    T->SetName("Timer1");
    T->SetInterval(250);
    std::string Text = ComponentToText(F.get());
    auto TimerAt = Text.find("object Timer1: TTimer");
    ASSERT_NE(TimerAt, std::string::npos) << Text;
    EXPECT_LT(TimerAt, Text.find("object Label1: TLabel"));
    EXPECT_NE(Text.find("Interval = 250"), std::string::npos);
}

TEST(FormStream, LoadedFormPaintsItsControls) {
    Headless();
    std::vector<std::string> W;
    auto F = Load(W);
    F->Show();
    PumpUntil([] { return !HasPendingPaint(); });
    EXPECT_EQ(PixelAt(F.get(), 16 + 200, 40 + 50), 0xFF0000u) << "the red panel";
    EXPECT_EQ(PixelAt(F.get(), 5, 5), PixelFromRGB(ColorToRGB(clBtnFace)));
    // GetFormImage paints the same picture into a bitmap.
    std::unique_ptr<TBitmap> Image(F->GetFormImage());
    ASSERT_EQ(Image->Width(), F->ClientWidth());
    const TSurface* S = GetWindowSurface(F->Handle());
    int Diff = 0;
    for (int Y = 0; Y < S->Height; Y += 3)
        for (int X = 0; X < S->Width; X += 3)
            if (PixelFromRGB(Image->Canvas()->Pixels(X, Y)) != S->Get(X, Y)) ++Diff;
    EXPECT_EQ(Diff, 0);
}

// A check box that shows a picture instead of its caption, the way owner-painted check boxes
// hand the native control their caption bitmap.
class TImageCheck : public TCheckBox {
  public:
    using TCheckBox::TCheckBox;
    HBITMAP Image = 0;

  protected:
    void CreateParams(TCreateParams& P) override {
        TCheckBox::CreateParams(P);
        P.Style |= BS_BITMAP | BS_PUSHLIKE | 0x300;
        P.ExStyle |= WS_EX_CLIENTEDGE;
    }
};

TEST(FormStream, PushLikeBitmapCheckBoxShowsItsImageInsideAClientEdge) {
    Headless();
    TForm F(nullptr);
    F.SetBounds(0, 0, 200, 100);
    auto* C = new TImageCheck(&F);
    C->SetParent(&F);
    C->SetBounds(10, 10, 100, 40);
    TSurface Red(20, 10, 0xFF0000);
    HBITMAP B = CreateBitmapFromSurface(Red);
    F.Show();
    SendMessageA(C->Handle(), BM_SETIMAGE, IMAGE_BITMAP, static_cast<LPARAM>(B));
    C->Invalidate();
    PumpUntil([] { return !HasPendingPaint(); });
    EXPECT_EQ(ClientWidth(C), 96) << "two-pixel client edge on each side";
    // Centred in the client area (inside the edge), pushed-like face around it.
    TPoint Mid = C->ClientToScreen({48, 18});
    Mid = F.ScreenToClient(Mid);
    EXPECT_EQ(PixelAt(&F, Mid.X, Mid.Y), 0xFF0000u);
    EXPECT_EQ(PixelAt(&F, 10, 10), PixelFromRGB(ColorToRGB(clBtnShadow))) << "sunken edge";
    DeleteObject(B);
}

} // namespace
