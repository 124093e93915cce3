// Text output with the font engine's on/off glyphs: alignment, opaque cells, clipping,
// underline and strike-out.
#include "toolkit/graphics/DeviceContext.h"
#include "toolkit/graphics/FontEngine.h"

#include <algorithm>
#include <cstring>

namespace qel {

using namespace gdi;

namespace {

int Length(LPCSTR Str, int Count) {
    if (!Str) return 0;
    if (Count < 0) return static_cast<int>(std::strlen(Str));
    return Count;
}

} // namespace

BOOL ExtTextOutA(HDC Hdc, int X, int Y, UINT Options, const TRect* Rc, LPCSTR Str, UINT Count,
                 const int* Dx) {
    auto D = gdi::DC(Hdc);
    if (!D || !D->Surface()) return FALSE;
    const int N = Str ? static_cast<int>(Count) : 0;
    const std::shared_ptr<const TFontFace> Face = D->S.Font ? D->S.Font->GetFace() : nullptr;
    if (!Face) return FALSE;
    TSurface& S = *D->Surface();

    if (Rc && (Options & ETO_OPAQUE)) {
        const TPaint Bk = SolidPaint(DevicePixel(*D, D->S.BkColor));
        FillRectRop3(*D, ToSurface(*D, *Rc), &Bk, 0xF0);
    }

    // Code points, advances and total width. Count is in bytes; Dx has one entry per code
    // point, so a multi-byte character takes one advance.
    struct TChar {
        char32_t C;
        int Adv;
    };
    std::vector<TChar> Chars;
    Chars.reserve(static_cast<std::size_t>(N));
    long long Sum = 0;
    const std::string_view Text(Str ? Str : "", static_cast<std::size_t>(N));
    for (std::size_t I = 0; I < Text.size();) {
        const auto B = static_cast<unsigned char>(Text[I]);
        char32_t C = B;
        if (B < 0x80)
            ++I;
        else
            C = DecodeUtf8(Text, I);
        const int A = Dx ? Dx[Chars.size()] : Face->CharWidth(C);
        Chars.push_back({C, A});
        Sum += A;
    }
    const int Width = Sat(Sum);
    X = Sat(X);
    Y = Sat(Y);
    const UINT Align = D->S.TextAlign;
    if (Align & TA_UPDATECP) {
        X = D->S.Pos.X;
        Y = D->S.Pos.Y;
    }
    int Left = X;
    switch (Align & TA_CENTER) {
    case TA_RIGHT:
        Left = X - Width;
        break;
    case TA_CENTER:
        Left = X - Width / 2;
        break;
    default:
        break;
    }
    int Top = Y;
    if ((Align & TA_BASELINE) == TA_BASELINE)
        Top = Y - Face->Ascent;
    else if (Align & TA_BOTTOM)
        Top = Y - Face->Height;
    if (Align & TA_UPDATECP) {
        if ((Align & TA_CENTER) == TA_LEFT)
            D->S.Pos.X = X + Width;
        else if ((Align & TA_CENTER) == TA_RIGHT)
            D->S.Pos.X = X - Width;
    }

    // Clip: the DC's, narrowed to the rectangle for ETO_CLIPPED.
    TRegion Clip = D->EffectiveClip();
    if (Rc && (Options & ETO_CLIPPED))
        Clip = TRegion::Combine(Clip, TRegion(ToSurface(*D, *Rc)), TRegion::TOp::And);
    const int Ox = D->Dx(), Oy = D->Dy();

    if (D->S.BkMode == OPAQUE && !(Rc && (Options & ETO_OPAQUE)) && N > 0) {
        const TPaint Bk = SolidPaint(DevicePixel(*D, D->S.BkColor));
        const TRegion Cell = TRegion::Combine(
            Clip,
            TRegion(TRect{Sat(0LL + Left + Ox), Sat(0LL + Top + Oy), Sat(0LL + Left + Width + Ox),
                          Sat(0LL + Top + Face->Height + Oy)}),
            TRegion::TOp::And);
        Cell.ForEach([&](int L, int T, int R, int B) {
            for (int Yy = T; Yy < B; ++Yy)
                FillPixels(S.Row(Yy) + L, static_cast<std::size_t>(R - L), Bk.Color);
        });
    }

    const std::uint32_t Fg = DevicePixel(*D, D->S.TextColor);
    const int Baseline = Top + Face->Ascent + Oy;
    const TRect Box = Clip.Box();
    auto Plot = [&](int Px, int Py) {
        if (Px < Box.Left || Px >= Box.Right || Py < Box.Top || Py >= Box.Bottom) return;
        if (!Clip.IsRect() && !Clip.Contains(Px, Py)) return;
        S.Row(Py)[Px] = Fg;
    };
    long long Pen = static_cast<long long>(Left) + Ox;
    for (const TChar& Ch : Chars) {
        const TGlyphBitmap& G = Face->Glyph(Ch.C);
        const int Gx = Sat(Pen + G.Left), Gy = Baseline - G.Top;
        if (Gx < Box.Right && Gx + G.Width > Box.Left && Gy < Box.Bottom && Gy + G.Height > Box.Top)
            for (int Ry = 0; Ry < G.Height; ++Ry)
                for (int Rx = 0; Rx < G.Width; ++Rx)
                    if (G.Bits[static_cast<std::size_t>(Ry) * G.Width + Rx]) Plot(Gx + Rx, Gy + Ry);
        Pen += Ch.Adv;
    }
    // Decoration lines across the advance width.
    auto Line = [&](int Row, int Thick) {
        const int From = std::max(Sat(0LL + Left + Ox), Box.Left);
        const int To = std::min(Sat(0LL + Left + Ox + Width), Box.Right);
        for (int T = 0; T < Thick; ++T)
            for (int Px = From; Px < To; ++Px)
                Plot(Px, Row + T);
    };
    if (Face->Underline && N > 0)
        Line(Baseline + Face->UnderlinePosition, std::max(1, Face->UnderlineThickness));
    if (Face->StrikeOut && N > 0)
        Line(Baseline - Face->StrikeOutPosition, std::max(1, Face->StrikeOutThickness));
    return TRUE;
}

BOOL TextOutA(HDC Hdc, int X, int Y, LPCSTR Str, int Count) {
    const int N = Length(Str, Count);
    return ExtTextOutA(Hdc, X, Y, 0, nullptr, Str, static_cast<UINT>(N), nullptr);
}

// Count is the length of Str in bytes (not code points), so callers can pass the size of a
// UTF-8 std::string unchanged.
BOOL GetTextExtentPoint32A(HDC Hdc, LPCSTR Str, int Count, TSize* Size) {
    auto D = gdi::DC(Hdc);
    if (!D || !Size || Count < 0) return FALSE;
    const auto Face = D->S.Font ? D->S.Font->GetFace() : nullptr;
    if (!Face) return FALSE;
    Size->cx = Str ? Face->TextWidth(std::string_view(Str, static_cast<std::size_t>(Count))) : 0;
    Size->cy = Face->Height;
    return TRUE;
}

BOOL GetTextMetricsA(HDC Hdc, TEXTMETRICA* Tm) {
    auto D = gdi::DC(Hdc);
    if (!D || !Tm) return FALSE;
    const auto Face = D->S.Font ? D->S.Font->GetFace() : nullptr;
    if (!Face) return FALSE;
    *Tm = {};
    Tm->tmHeight = Face->Height;
    Tm->tmAscent = Face->Ascent;
    Tm->tmDescent = Face->Descent;
    Tm->tmInternalLeading = Face->InternalLeading;
    Tm->tmExternalLeading = Face->ExternalLeading;
    Tm->tmAveCharWidth = Face->AveCharWidth;
    Tm->tmMaxCharWidth = Face->MaxCharWidth;
    Tm->tmWeight = Face->Weight;
    Tm->tmItalic = Face->Italic;
    Tm->tmUnderlined = Face->Underline;
    Tm->tmStruckOut = Face->StrikeOut;
    Tm->tmPitchAndFamily = Face->PitchAndFamily;
    Tm->tmCharSet = Face->Charset;
    return TRUE;
}

int GetTextFaceA(HDC Hdc, int Count, LPSTR Name) {
    auto D = gdi::DC(Hdc);
    if (!D) return 0;
    const auto Face = D->S.Font ? D->S.Font->GetFace() : nullptr;
    if (!Face) return 0;
    const std::string& N = Face->FaceName;
    if (!Name) return static_cast<int>(N.size()) + 1;
    if (Count <= 0) return 0;
    const std::size_t K = std::min(N.size(), static_cast<std::size_t>(Count - 1));
    std::memcpy(Name, N.data(), K);
    Name[K] = 0;
    return static_cast<int>(K);
}

} // namespace qel
