#include "toolkit/controls/BitBtn.h"

#include "toolkit/controls/Dialogs.h"
#include "toolkit/controls/PublishedGroups.h"
#include "toolkit/graphics/Bitmap.h"
#include "toolkit/graphics/Canvas.h"
#include "toolkit/graphics/Font.h"
#include "toolkit/graphics/TextDraw.h"

namespace qel {

namespace {
struct TKindInfo {
    const char* Caption;
    int Result;
};
const TKindInfo Kinds[] = {
    {"", mrNone},
    {DialogStrings::SMsgDlgOK, mrOk},
    {DialogStrings::SMsgDlgCancel, mrCancel},
    {DialogStrings::SMsgDlgHelp, mrNone},
    {DialogStrings::SMsgDlgYes, mrYes},
    {DialogStrings::SMsgDlgNo, mrNo},
    {"&Close", mrNone},
    {DialogStrings::SMsgDlgAbort, mrAbort},
    {DialogStrings::SMsgDlgRetry, mrRetry},
    {DialogStrings::SMsgDlgIgnore, mrIgnore},
    {DialogStrings::SMsgDlgAll, mrAll},
};
constexpr int KindGlyphSize = 16;
} // namespace

TBitBtn::TBitBtn(TComponent* AOwner) : TButton(AOwner) {
    Glyph_ = new TBitmap;
    Glyph_->OnChange = [this](TObject*) { Invalidate(); };
}

TBitBtn::~TBitBtn() {
    delete Glyph_;
}

void TBitBtn::CreateParams(TCreateParams& P) {
    TButton::CreateParams(P);
    P.Style = (P.Style & ~DWORD(BS_TYPEMASK)) | BS_OWNERDRAW;
}

void TBitBtn::SetKind(TBitBtnKind V) {
    if (Kind_ == V) return;
    Kind_ = V;
    if (V != bkCustom && !IsLoading()) {
        SetCaption(Kinds[V].Caption);
        SetModalResult(Kinds[V].Result);
        if (V == bkOK || V == bkYes) SetDefault(true);
        if (V == bkCancel || V == bkNo) SetCancel(true);
    }
    Invalidate();
}

void TBitBtn::SetGlyph(TBitmap* V) {
    Glyph_->Assign(V);
}
void TBitBtn::SetLayout(TButtonLayout V) {
    Layout_ = V;
    Invalidate();
}
void TBitBtn::SetMargin(int V) {
    Margin_ = V < -1 ? -1 : V;
    Invalidate();
}
void TBitBtn::SetSpacing(int V) {
    Spacing_ = V;
    Invalidate();
}

// Kinds without a glyph of their own get a drawn symbol: a tick, a cross, a question mark …
void TBitBtn::DrawKindGlyph(HDC DC, const TRect& R, bool Enabled) const {
    TColor Colors[] = {clNone,  clGreen, clRed,   clBlue,  clGreen, clRed,
                       clBlack, clRed,   clGreen, clGreen, clGreen};
    TColor C = Enabled ? Colors[Kind_] : clGrayText;
    HBRUSH B = CreateSolidBrush(ColorToRGB(C));
    auto Dot = [&](int X, int Y) {
        TRect P{R.Left + X, R.Top + Y, R.Left + X + 2, R.Top + Y + 2};
        FillRect(DC, &P, B);
    };
    switch (Kind_) {
    case bkOK:
    case bkYes:
    case bkAll:
        for (int I = 0; I < 4; ++I)
            Dot(2 + I, 7 + I);
        for (int I = 0; I < 8; ++I)
            Dot(6 + I, 10 - I);
        break;
    case bkCancel:
    case bkNo:
    case bkAbort:
        for (int I = 0; I < 11; ++I) {
            Dot(2 + I, 2 + I);
            Dot(12 - I, 2 + I);
        }
        break;
    case bkClose:
        for (int I = 0; I < 12; ++I) {
            Dot(3, 2 + I);
            Dot(11, 2 + I);
            Dot(3 + I * 8 / 12, 2);
            Dot(3 + I * 8 / 12, 13);
        }
        break;
    default: {
        HFONT Old = SelectObject(DC, Font()->Handle());
        ::qel::SetTextColor(DC, ColorToRGB(C));
        const char* Sign = Kind_ == bkHelp ? "?" : Kind_ == bkRetry ? "R" : "!";
        TRect T = R;
        DrawTextA(DC, Sign, 1, &T, DT_CENTER | DT_VCENTER | DT_SINGLELINE);
        SelectObject(DC, Old);
        break;
    }
    }
    DeleteObject(B);
}

void TBitBtn::DrawItem(const DRAWITEMSTRUCT& D) {
    HDC DC = D.hDC;
    TRect R = D.rcItem;
    bool Pushed = D.itemState & ODS_SELECTED;
    bool Enabled = !(D.itemState & ODS_DISABLED);
    DrawClassicButtonFace(DC, R, Pushed, IsActive());
    if (Pushed) OffsetRect(&R, 1, 1);
    int GW = 0, GH = 0;
    bool HasGlyph = !Glyph_->Empty();
    if (HasGlyph) {
        GW = Glyph_->Width();
        GH = Glyph_->Height();
    } else if (Kind_ != bkCustom) {
        GW = GH = KindGlyphSize;
    }
    SelectObject(DC, Font()->Handle());
    TRect TextR{0, 0, 0, 0};
    std::string Text = Caption();
    DrawTextA(DC, Text.c_str(), -1, &TextR, DT_CALCRECT | DT_SINGLELINE);
    int TW = TextR.Width(), TH = TextR.Height();
    bool Horizontal = Layout_ == blGlyphLeft || Layout_ == blGlyphRight;
    int Gap = (GW && TW) ? Spacing_ : 0;
    int TotalW = Horizontal ? GW + Gap + TW : std::max(GW, TW);
    int TotalH = Horizontal ? std::max(GH, TH) : GH + Gap + TH;
    int X0 = Margin_ >= 0 && Layout_ == blGlyphLeft ? R.Left + Margin_
                                                    : R.Left + (R.Width() - TotalW) / 2;
    int Y0 = R.Top + (R.Height() - TotalH) / 2;
    TRect G, T;
    switch (Layout_) {
    case blGlyphLeft:
        G = Bounds(X0, R.Top + (R.Height() - GH) / 2, GW, GH);
        T = Bounds(X0 + GW + Gap, R.Top + (R.Height() - TH) / 2, TW, TH);
        break;
    case blGlyphRight:
        T = Bounds(X0, R.Top + (R.Height() - TH) / 2, TW, TH);
        G = Bounds(X0 + TW + Gap, R.Top + (R.Height() - GH) / 2, GW, GH);
        break;
    case blGlyphTop:
        G = Bounds(R.Left + (R.Width() - GW) / 2, Y0, GW, GH);
        T = Bounds(R.Left + (R.Width() - TW) / 2, Y0 + GH + Gap, TW, TH);
        break;
    default:
        T = Bounds(R.Left + (R.Width() - TW) / 2, Y0, TW, TH);
        G = Bounds(R.Left + (R.Width() - GW) / 2, Y0 + TH + Gap, GW, GH);
        break;
    }
    if (HasGlyph) {
        TCanvas C;
        C.SetHandle(DC);
        C.Draw(G.Left, G.Top, Glyph_);
        C.SetHandle(0);
    } else if (Kind_ != bkCustom) {
        DrawKindGlyph(DC, G, Enabled);
    }
    SetBkMode(DC, TRANSPARENT);
    ::qel::SetTextColor(DC, ColorToRGB(Enabled ? Font()->Color() : clGrayText));
    DrawTextA(DC, Text.c_str(), -1, &T, DT_SINGLELINE | DT_CENTER | DT_VCENTER);
    if (D.itemState & ODS_FOCUS) {
        TRect F = D.rcItem;
        InflateRect(&F, -4, -4);
        DrawFocusRect(DC, &F);
    }
}

void TBitBtn::WndProc(TMessage& M) {
    if (M.Msg == CN_DRAWITEM) {
        DrawItem(*reinterpret_cast<const DRAWITEMSTRUCT*>(M.LParam));
        M.Result = 1;
        return;
    }
    TButton::WndProc(M);
}

// Everything a push button publishes, then the glyph and its placement.
QEL_IMPLEMENT_CLASS(TBitBtn, TButton, [](TClassBuilder<TBitBtn>& B) {
    using T = TBitBtn;
    B.Object("Glyph", &T::Glyph, &T::SetGlyph).Stored([](const TObject& O) {
        return !static_cast<const T&>(O).Glyph()->Empty();
    });
    B.Enum("Kind", &T::Kind, &T::SetKind).SetDefault(bkCustom);
    B.Enum("Layout", &T::Layout, &T::SetLayout).SetDefault(blGlyphLeft);
    B.Integer("Margin", &T::Margin, &T::SetMargin).SetDefault(-1);
    B.Integer("Spacing", &T::Spacing, &T::SetSpacing).SetDefault(4);
})

} // namespace qel
