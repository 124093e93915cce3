#pragma once
// Shared by the tests of the owner-drawn buttons: a shown form on the headless backend, pixels
// of a control read back from the form's surface, and mouse input at a control's points.
#include "tests/toolkit/controls/ControlsTestSupport.h"
#include "toolkit/graphics/Bitmap.h"
#include "toolkit/graphics/Canvas.h"
#include "toolkit/graphics/Font.h"

#include <gtest/gtest.h>

namespace qel::test {

struct ButtonsFixture : ::testing::Test {
    void SetUp() override {
        Headless();
        Headless().MouseMove(1000, 700); // away from every window
        Form = new TForm(nullptr);
        Form->SetBounds(20, 20, 400, 300);
    }
    void TearDown() override {
        delete Form;
        Pump();
    }
    void ShowForm() {
        Form->Show();
        Settle();
    }
    static void Settle() {
        PumpUntil([] { return !HasPendingPaint(); });
        Pump();
    }
    // The colour (TColor) at a point of C's client area, as the form's surface holds it.
    TColor Color(TControl* C, int X, int Y) const {
        const TPoint P = Form->ScreenToClient(C->ClientToScreen({X, Y}));
        return RGBFromPixel(PixelAt(Form, P.X, P.Y));
    }
    static void MoveTo(TControl* C, int X, int Y) {
        const TPoint P = C->ClientToScreen({X, Y});
        Headless().MouseMove(P.X, P.Y);
        Settle();
    }
    static void Press(TControl* C, int X, int Y, int Button = 1) {
        const TPoint P = C->ClientToScreen({X, Y});
        Headless().MouseDown(Button, P.X, P.Y);
        Settle();
    }
    static void Release(TControl* C, int X, int Y, int Button = 1) {
        const TPoint P = C->ClientToScreen({X, Y});
        Headless().MouseUp(Button, P.X, P.Y);
        Settle();
    }
    static void ClickAt(TControl* C, int X, int Y, int Button = 1) {
        MoveTo(C, X, Y);
        Press(C, X, Y, Button);
        Release(C, X, Y, Button);
    }
    // A bitmap of one colour, or with a second colour in its left half.
    static void Fill(TBitmap& B, int W, int H, TColor C, TColor Left = clNone) {
        B.SetSize(W, H);
        B.Canvas()->Brush()->SetColor(C);
        B.Canvas()->FillRect({0, 0, W, H});
        if (Left != clNone) {
            B.Canvas()->Brush()->SetColor(Left);
            B.Canvas()->FillRect({0, 0, W / 2, H});
        }
    }
    TForm* Form = nullptr;
};

inline TColor Sys(TColor C) {
    return ColorToRGB(C);
}

} // namespace qel::test
