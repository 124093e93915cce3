#include "toolkit/graphics/FontEngine.h"
#include "toolkit/graphics/TextDraw.h"

#include <algorithm>
#include <cstring>

namespace qel {

namespace {

struct TPiece {
    std::string S;
    std::vector<int> Acc;
};

// Removes the accelerator markers: "&x" underlines x, "&&" is one '&', a trailing '&' vanishes.
TPiece StripPrefixes(std::string_view Line, bool Prefixes) {
    TPiece P;
    P.S.reserve(Line.size());
    for (std::size_t I = 0; I < Line.size(); ++I) {
        if (Prefixes && Line[I] == '&') {
            if (I + 1 >= Line.size()) break;
            ++I;
            if (Line[I] != '&') P.Acc.push_back(static_cast<int>(P.S.size()));
        }
        P.S.push_back(Line[I]);
    }
    return P;
}

TPiece Sub(const TPiece& P, std::size_t From, std::size_t To) {
    TPiece R;
    R.S = P.S.substr(From, To - From);
    for (int A : P.Acc)
        if (A >= static_cast<int>(From) && A < static_cast<int>(To))
            R.Acc.push_back(A - static_cast<int>(From));
    return R;
}

// Greedy breaking at spaces. A word wider than the line stays whole on a line of its own; the
// spaces at a break belong to neither line.
void Wrap(const TFontFace& Face, const TPiece& P, int Width, int TabW, std::vector<TPiece>& Out) {
    const std::string& S = P.S;
    const std::size_t N = S.size();
    std::size_t Start = 0;
    while (true) {
        std::size_t Pos = Start, LineEnd = N, Next = N;
        bool HaveWord = false;
        while (Pos < N) {
            std::size_t WEnd = Pos;
            while (WEnd < N && S[WEnd] != ' ')
                ++WEnd;
            if (HaveWord &&
                MeasureLine(Face, std::string_view(S).substr(Start, WEnd - Start), TabW) > Width)
                break; // the word starting at Pos goes to the next line
            HaveWord = HaveWord || WEnd > Pos;
            LineEnd = WEnd;
            std::size_t SNext = WEnd;
            while (SNext < N && S[SNext] == ' ')
                ++SNext;
            Pos = SNext;
            Next = SNext;
        }
        if (Pos >= N) {
            // Last line of the paragraph: everything that is left, trailing spaces included.
            Out.push_back(Sub(P, Start, N));
            return;
        }
        Out.push_back(Sub(P, Start, LineEnd));
        Start = Next;
    }
}

int DotsWidth(const TFontFace& Face) {
    return Face.TextWidth("...");
}

// Byte offsets of the code point boundaries of S, 0 and S.size() included: cuts happen only
// there, so a multi-byte character is never split.
std::vector<std::size_t> Boundaries(std::string_view S) {
    std::vector<std::size_t> B{0};
    for (std::size_t I = 0; I < S.size();) {
        DecodeUtf8(S, I);
        B.push_back(I);
    }
    return B;
}

void EndEllipsis(const TFontFace& Face, TPiece& P, int Width, int TabW) {
    const int Dots = DotsWidth(Face);
    const std::vector<std::size_t> B = Boundaries(P.S);
    // Widths only grow with the prefix, so the longest fitting prefix is found going forward.
    std::size_t K = 0;
    int X = 0;
    for (std::size_t J = 1; J < B.size(); ++J) {
        X += MeasureLine(Face, std::string_view(P.S).substr(B[J - 1], B[J] - B[J - 1]), TabW, X);
        if (X + Dots > Width) break;
        K = B[J];
    }
    P = Sub(P, 0, K);
    P.S += "...";
}

// "C:\Dir\Sub\File.txt" -> "C:\Di...\File.txt": the last path element stays whole.
void PathEllipsis(const TFontFace& Face, TPiece& P, int Width, int TabW) {
    const std::size_t Sep = P.S.find_last_of("\\/");
    if (Sep == std::string::npos || Sep == 0) {
        EndEllipsis(Face, P, Width, TabW);
        return;
    }
    const TPiece Tail = Sub(P, Sep, P.S.size());
    std::vector<std::size_t> B = Boundaries(std::string_view(P.S).substr(0, Sep));
    auto Fits = [&](std::size_t Keep) {
        std::string T = P.S.substr(0, Keep) + "..." + Tail.S;
        return MeasureLine(Face, T, TabW) <= Width;
    };
    while (B.size() > 1 && !Fits(B.back()))
        B.pop_back();
    TPiece R = Sub(P, 0, B.size() > 1 ? B.back() : 0);
    const int Shift = static_cast<int>(R.S.size() + 3);
    R.S += "..." + Tail.S;
    for (int A : Tail.Acc)
        R.Acc.push_back(A + Shift);
    P = std::move(R);
}

} // namespace

int MeasureLine(const TFontFace& Face, std::string_view S, int TabWidth, int X0) {
    int X = X0;
    for (std::size_t I = 0; I < S.size();) {
        const auto C = static_cast<unsigned char>(S[I]);
        if (C >= 0x80) {
            X += Face.CharWidth(DecodeUtf8(S, I));
            continue;
        }
        ++I;
        if (C == '\t' && TabWidth > 0)
            X = (X / TabWidth + 1) * TabWidth;
        else
            X += Face.CharWidth(C);
    }
    return X - X0;
}

TTextLayout LayoutText(const TFontFace& Face, std::string_view Text, const TRect& Rect, UINT Format,
                       const DRAWTEXTPARAMS* Params) {
    TTextLayout L;
    TRect R = Rect;
    int TabLen = 8;
    if (Format & DT_TABSTOP) {
        // The tab length travels in the high byte of the low word; those bits are no flags.
        TabLen = static_cast<int>((Format >> 8) & 0xFF);
        Format &= ~0xFF00u;
        Format |= DT_TABSTOP;
    }
    if (Params) {
        if (Params->iTabLength > 0) TabLen = Params->iTabLength;
        R.Left += Params->iLeftMargin;
        R.Right -= Params->iRightMargin;
    }
    L.Clip = R;
    const bool Single = Format & DT_SINGLELINE;
    const bool Break = (Format & DT_WORDBREAK) && !Single;
    L.TabWidth = (Format & DT_EXPANDTABS) ? std::max(1, TabLen) * Face.AveCharWidth : 0;
    L.LineHeight = Face.Height + ((Format & DT_EXTERNALLEADING) ? Face.ExternalLeading : 0);
    const int Width = R.Right - R.Left;
    const bool Prefixes = !(Format & DT_NOPREFIX);

    // Paragraphs, then lines.
    std::vector<TPiece> Lines;
    // A line break at the very end of the text does not start another line.
    std::size_t I = 0;
    while (true) {
        std::size_t E = Text.size();
        if (!Single) {
            E = I;
            while (E < Text.size() && Text[E] != '\r' && Text[E] != '\n')
                ++E;
        }
        TPiece P = StripPrefixes(Text.substr(I, E - I), Prefixes);
        if (Break)
            Wrap(Face, P, Width, L.TabWidth, Lines);
        else
            Lines.push_back(std::move(P));
        if (E + 1 >= Text.size() ||
            (Text[E] == '\r' && Text[E + 1] == '\n' && E + 2 >= Text.size()))
            break;
        if (Text[E] == '\r' && Text[E + 1] == '\n') ++E;
        I = E + 1;
    }

    // Ellipsis on the last line that is wholly inside the rectangle (the first line if none).
    const bool Calc = Format & DT_CALCRECT;
    if (!Calc && (Format & (DT_END_ELLIPSIS | DT_PATH_ELLIPSIS)) && !Lines.empty()) {
        std::size_t Last = Lines.size() - 1;
        if (!(Format & DT_NOCLIP) && !Single && L.LineHeight > 0) {
            const long long Fit = (static_cast<long long>(R.Bottom) - R.Top) / L.LineHeight;
            if (Fit < static_cast<long long>(Lines.size()))
                Last = Fit > 0 ? static_cast<std::size_t>(Fit - 1) : 0;
        }
        TPiece& P = Lines[Last];
        if (MeasureLine(Face, P.S, L.TabWidth) > Width) {
            if (Format & DT_PATH_ELLIPSIS)
                PathEllipsis(Face, P, Width, L.TabWidth);
            else
                EndEllipsis(Face, P, Width, L.TabWidth);
        }
    }

    const int Count = static_cast<int>(Lines.size());
    const int TotalH = Count * L.LineHeight;
    int Y = R.Top;
    if (Single && (Format & DT_VCENTER))
        Y = R.Top + (R.Bottom - R.Top) / 2 - TotalH / 2;
    else if (Single && (Format & DT_BOTTOM))
        Y = R.Bottom - TotalH;
    int MaxW = 0;
    for (TPiece& P : Lines) {
        TTextLine Ln;
        Ln.Width = MeasureLine(Face, P.S, L.TabWidth);
        MaxW = std::max(MaxW, Ln.Width);
        if (Format & DT_CENTER)
            Ln.X = R.Left + (Width - Ln.Width) / 2;
        else if (Format & DT_RIGHT)
            Ln.X = R.Right - Ln.Width;
        else
            Ln.X = R.Left;
        Ln.Y = Y;
        Y += L.LineHeight;
        Ln.Text = std::move(P.S);
        Ln.Accels = std::move(P.Acc);
        L.Lines.push_back(std::move(Ln));
    }

    // DT_CALCRECT: the rectangle keeps its top-left corner and grows or shrinks to the text.
    L.Bounds = Rect;
    const int Margins = Params ? Params->iLeftMargin + Params->iRightMargin : 0;
    if (Text.empty()) {
        L.Bounds.Right = L.Bounds.Left;
        L.Bounds.Bottom = L.Bounds.Top + (Single ? L.LineHeight : 0);
    } else {
        L.Bounds.Right = Rect.Left + MaxW + Margins;
        L.Bounds.Bottom = Rect.Top + TotalH;
    }
    if (Text.empty())
        L.Result = L.LineHeight;
    else if (Single && (Format & (DT_VCENTER | DT_BOTTOM)) && !L.Lines.empty())
        L.Result = L.Lines.front().Y - R.Top + TotalH;
    else
        L.Result = TotalH;
    return L;
}

int DrawTextExA(HDC Hdc, const char* Text, int Count, TRect* R, UINT Format,
                DRAWTEXTPARAMS* Params) {
    if (!R || (!Text && Count != 0)) return 0;
    auto Face = GetDCFontFace(Hdc);
    if (!Face) return 0;
    const std::size_t Len =
        Count < 0 ? (Text ? std::strlen(Text) : 0) : static_cast<std::size_t>(Count);
    const std::string_view S(Text ? Text : "", Len);
    if (Params) Params->uiLengthDrawn = static_cast<UINT>(Len);
    TTextLayout L = LayoutText(*Face, S, *R, Format, Params);
    if (Format & DT_CALCRECT) {
        *R = L.Bounds;
        return L.Result;
    }
    if (Len == 0) return L.Result;

    const bool Clip = !(Format & DT_NOCLIP);
    const UINT Options = Clip ? UINT(ETO_CLIPPED) : 0u;
    const TRect ClipR = *R;
    const UINT OldAlign = GetTextAlign(Hdc);
    SetTextAlign(Hdc, TA_LEFT | TA_TOP | TA_NOUPDATECP);
    const bool DrawGlyphs = !(Format & DT_PREFIXONLY);
    const bool DrawAccel = !(Format & DT_HIDEPREFIX) && !(Format & DT_NOPREFIX);
    HBRUSH Line = 0;
    for (const TTextLine& Ln : L.Lines) {
        if (DrawGlyphs) {
            // Tabs are positioned here; each run between tabs is one text call.
            std::size_t A = 0;
            int X = 0;
            while (A <= Ln.Text.size()) {
                std::size_t B = L.TabWidth > 0 ? Ln.Text.find('\t', A) : std::string::npos;
                if (B == std::string::npos) B = Ln.Text.size();
                if (B > A)
                    ExtTextOutA(Hdc, Ln.X + X, Ln.Y, Options, Clip ? &ClipR : nullptr,
                                Ln.Text.data() + A, static_cast<UINT>(B - A), nullptr);
                X += MeasureLine(*Face, std::string_view(Ln.Text).substr(A, B - A), 0);
                if (B >= Ln.Text.size()) break;
                X = (X / L.TabWidth + 1) * L.TabWidth;
                A = B + 1;
            }
        }
        if (DrawAccel && !Ln.Accels.empty()) {
            if (!Line) Line = CreateSolidBrush(GetTextColor(Hdc));
            for (int Idx : Ln.Accels) {
                const int X0 =
                    Ln.X + MeasureLine(*Face, std::string_view(Ln.Text).substr(0, Idx), L.TabWidth);
                std::size_t At = static_cast<std::size_t>(Idx);
                const int X1 = X0 + Face->CharWidth(DecodeUtf8(Ln.Text, At));
                const int Yl = Ln.Y + Face->Ascent + 1;
                TRect U{X0, Yl, X1, Yl + 1};
                if (Clip && !IntersectRect(&U, &U, &ClipR)) continue;
                FillRect(Hdc, &U, Line);
            }
        }
    }
    if (Line) DeleteObject(Line);
    SetTextAlign(Hdc, OldAlign);
    return L.Result;
}

int DrawTextA(HDC Hdc, const char* Text, int Count, TRect* R, UINT Format) {
    return DrawTextExA(Hdc, Text, Count, R, Format, nullptr);
}

} // namespace qel
