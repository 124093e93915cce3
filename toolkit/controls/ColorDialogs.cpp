#include "toolkit/controls/ColorDialogs.h"

#include "toolkit/controls/Dialogs.h"
#include "toolkit/controls/Edit.h"
#include "toolkit/controls/ExtCtrls.h"
#include "toolkit/core/Exceptions.h"
#include "toolkit/graphics/Canvas.h"

#include <algorithm>
#include <cstdio>
#include <memory>

namespace qel {

namespace {
// Rows from light to dark over eight hues; the last row is the greys.
const std::uint32_t Basic[48] = {
    0xFF8080, 0xFFFF80, 0x80FF80, 0x00FF80, 0x80FFFF, 0x0080FF, 0xFF80C0, 0xFF80FF,
    0xFF0000, 0xFFFF00, 0x80FF00, 0x00FF40, 0x00FFFF, 0x0080C0, 0x8080C0, 0xFF00FF,
    0x804040, 0xFF8040, 0x00FF00, 0x008080, 0x004080, 0x8080FF, 0x800040, 0xFF0080,
    0x800000, 0xFF8000, 0x008000, 0x008040, 0x0000FF, 0x0000A0, 0x800080, 0x8000FF,
    0x400000, 0x804000, 0x004000, 0x004040, 0x000080, 0x000040, 0x400040, 0x400080,
    0x000000, 0x808000, 0x808040, 0x808080, 0x408080, 0xC0C0C0, 0x400040, 0xFFFFFF};
constexpr int Cols = 8, Cell = 24;

int ParsePart(const std::string& S) {
    int V = 0;
    for (char C : S) {
        if (C < '0' || C > '9') return -1;
        V = V * 10 + (C - '0');
        if (V > 255) return -1;
    }
    return S.empty() ? -1 : V;
}
} // namespace

TColor TColorDialog::BasicColor(int Index) {
    std::uint32_t RGB = Basic[std::clamp(Index, 0, 47)];
    // TColor keeps blue in the high byte.
    return static_cast<TColor>(((RGB & 0xFF) << 16) | (RGB & 0xFF00) | ((RGB >> 16) & 0xFF));
}

TColorDialogForm::TColorDialogForm(TComponent* AOwner) : TForm(AOwner) {
    if (!InitComponentFromResource(this))
        throw EComponentError("Resource TColorDialogForm not found");
}

TColorDialog::TColorDialog(TComponent* AOwner) : TComponent(AOwner) {
    CustomColors_ = new TStringList;
}

TColorDialog::~TColorDialog() {
    delete CustomColors_;
}

bool TColorDialog::Execute() {
    auto F = std::make_unique<TColorDialogForm>(nullptr);
    auto Get = [&](const char* N) {
        TComponent* C = F->FindComponent(N);
        if (!C) throw EComponentError(std::string("The colour dialog resource lacks ") + N);
        return C;
    };
    auto* Grid = static_cast<TPaintBox*>(Get("Basic"));
    auto* Preview = static_cast<TPaintBox*>(Get("Preview"));
    TEdit* Parts[3] = {static_cast<TEdit*>(Get("Red")), static_cast<TEdit*>(Get("Green")),
                       static_cast<TEdit*>(Get("Blue"))};
    COLORREF Current = ColorToRGB(Color_);
    bool Syncing = false;
    auto ShowParts = [&] {
        Syncing = true;
        Parts[0]->SetText(std::to_string(Current & 0xFF));
        Parts[1]->SetText(std::to_string((Current >> 8) & 0xFF));
        Parts[2]->SetText(std::to_string((Current >> 16) & 0xFF));
        Syncing = false;
        Preview->Invalidate();
        Grid->Invalidate();
    };
    for (TEdit* E : Parts)
        E->OnChange = [&](TObject*) {
            if (Syncing) return;
            int R = ParsePart(Parts[0]->Text()), G = ParsePart(Parts[1]->Text()),
                B = ParsePart(Parts[2]->Text());
            // A part that is not 0..255 leaves the colour as it was until it is fixed.
            if (R < 0 || G < 0 || B < 0) return;
            Current = static_cast<COLORREF>(R | (G << 8) | (B << 16));
            Preview->Invalidate();
            Grid->Invalidate();
        };
    Grid->OnPaint = [&](TObject*) {
        TCanvas* C = Grid->Canvas();
        for (int I = 0; I < 48; ++I) {
            TRect R = Bounds((I % Cols) * Cell, (I / Cols) * Cell, Cell, Cell);
            C->Brush()->SetColor(clBtnFace);
            C->FillRect(R);
            InflateRect(&R, -3, -3);
            if (static_cast<COLORREF>(BasicColor(I)) == Current) {
                C->Brush()->SetColor(clBlack);
                TRect O = R;
                InflateRect(&O, 2, 2);
                C->FrameRect(O);
            }
            C->Brush()->SetColor(BasicColor(I));
            C->FillRect(R);
        }
    };
    Grid->OnMouseDown = [&](TObject*, TMouseButton, TShiftState, int X, int Y) {
        int I = (Y / Cell) * Cols + X / Cell;
        if (X < 0 || Y < 0 || X >= Cols * Cell || I >= 48) return;
        Current = static_cast<COLORREF>(BasicColor(I));
        ShowParts();
    };
    Preview->OnPaint = [&](TObject*) {
        Preview->Canvas()->Brush()->SetColor(static_cast<TColor>(Current));
        Preview->Canvas()->FillRect(Preview->ClientRect());
    };
    ShowParts();
    F->SetActiveControl(Parts[0]);
    if (ExecuteDialog(F.get()) != mrOk) return false;
    Color_ = static_cast<TColor>(Current);
    // The chosen colour joins the custom colours unless it is there already.
    char Hex[8];
    std::snprintf(Hex, sizeof Hex, "%06X", static_cast<unsigned>(Current & 0xFFFFFF));
    bool Known = false;
    for (int I = 0; I < CustomColors_->Count(); ++I)
        if (CustomColors_->ValueFromIndex(I) == Hex) Known = true;
    if (!Known && CustomColors_->Count() < 16)
        CustomColors_->Add(std::string("Color") + char('A' + CustomColors_->Count()) + "=" + Hex);
    return true;
}

QEL_IMPLEMENT_CLASS(TColorDialogForm, TForm, NoProperties<TColorDialogForm>)

QEL_IMPLEMENT_CLASS(TColorDialog, TComponent, [](TClassBuilder<TColorDialog>& B) {
    B.Color("Color", &TColorDialog::Color, &TColorDialog::SetColor).SetDefault(clBlack);
    B.Strings("CustomColors", &TColorDialog::CustomColors, &TColorDialog::SetCustomColors);
})

} // namespace qel
