#include "toolkit/graphics/FontEngine.h"
#include "toolkit/graphics/TextDraw.h"
#include "toolkit/graphics/Windows.h"

#include <cstring>
#include <gtest/gtest.h>
#include <set>

using namespace qel;

namespace {

std::shared_ptr<const TFontFace> Arial13() {
    TFontSpec S;
    S.Name = "Arial";
    S.Height = -13;
    return TFontFace::Acquire(S);
}

// A white surface with a DC drawing black Arial text on it.
struct TTextDC {
    TSurface Surf{200, 100, 0xFFFFFF};
    HDC Dc = 0;
    HFONT Font = 0;
    HGDIOBJ OldFont = 0;
    explicit TTextDC(int Height = -13) {
        Dc = CreateDCForSurface(&Surf);
        LOGFONTA Lf;
        Lf.lfHeight = Height;
        std::strcpy(Lf.lfFaceName, "Arial");
        Font = CreateFontIndirectA(&Lf);
        OldFont = SelectObject(Dc, Font);
        SetTextColor(Dc, RGB(255, 0, 0));
        SetBkMode(Dc, TRANSPARENT);
    }
    ~TTextDC() {
        SelectObject(Dc, OldFont);
        DeleteObject(Font);
        DeleteDC(Dc);
    }
    // Bounding box of the non-white pixels.
    TRect Ink() const {
        TRect R{Surf.Width, Surf.Height, -1, -1};
        for (int Y = 0; Y < Surf.Height; ++Y)
            for (int X = 0; X < Surf.Width; ++X)
                if (Surf.Get(X, Y) != 0xFFFFFF) {
                    R.Left = std::min(R.Left, X);
                    R.Top = std::min(R.Top, Y);
                    R.Right = std::max(R.Right, X + 1);
                    R.Bottom = std::max(R.Bottom, Y + 1);
                }
        return R;
    }
};

} // namespace

TEST(TextLayout, AlignmentAndVerticalCentring) {
    auto F = Arial13();
    const TRect R{10, 20, 210, 70};
    const int W = F->TextWidth("Hello");
    auto L = LayoutText(*F, "Hello", R, DT_LEFT);
    ASSERT_EQ(L.Lines.size(), 1u);
    EXPECT_EQ(L.Lines[0].X, 10);
    EXPECT_EQ(L.Lines[0].Y, 20);
    EXPECT_EQ(L.Result, F->Height);
    EXPECT_EQ(LayoutText(*F, "Hello", R, DT_CENTER).Lines[0].X, 10 + (200 - W) / 2);
    EXPECT_EQ(LayoutText(*F, "Hello", R, DT_RIGHT).Lines[0].X, 210 - W);
    // DT_VCENTER: top + height div 2 - text height div 2, only with DT_SINGLELINE.
    auto V = LayoutText(*F, "Hello", R, DT_VCENTER | DT_SINGLELINE);
    EXPECT_EQ(V.Lines[0].Y, 20 + 50 / 2 - F->Height / 2);
    EXPECT_EQ(V.Result, V.Lines[0].Y - 20 + F->Height);
    EXPECT_EQ(LayoutText(*F, "Hello", R, DT_VCENTER).Lines[0].Y, 20);
    EXPECT_EQ(LayoutText(*F, "Hello", R, DT_BOTTOM | DT_SINGLELINE).Lines[0].Y, 70 - F->Height);
    // External leading only with its flag.
    EXPECT_EQ(LayoutText(*F, "a\nb", R, DT_EXTERNALLEADING).LineHeight,
              F->Height + F->ExternalLeading);
}

TEST(TextLayout, LineBreaksAndWordBreaking) {
    auto F = Arial13();
    auto L = LayoutText(*F, "one\r\ntwo\nthree\rfour", {0, 0, 500, 500}, 0);
    ASSERT_EQ(L.Lines.size(), 4u);
    EXPECT_EQ(L.Lines[2].Text, "three");
    EXPECT_EQ(L.Lines[3].Y, 3 * F->Height);
    EXPECT_EQ(LayoutText(*F, "a\r\n", {0, 0, 500, 500}, 0).Lines.size(), 1u);
    EXPECT_EQ(LayoutText(*F, "a\n\nb", {0, 0, 500, 500}, 0).Lines.size(), 3u);
    // DT_SINGLELINE ignores line breaks and word breaking.
    EXPECT_EQ(LayoutText(*F, "a\nb c", {0, 0, 5, 500}, DT_SINGLELINE | DT_WORDBREAK).Lines.size(),
              1u);

    const std::string Text = "The quick brown fox jumps over the lazy dog";
    const int Width = F->TextWidth("The quick brown");
    auto W = LayoutText(*F, Text, {0, 0, Width, 500}, DT_WORDBREAK);
    ASSERT_GE(W.Lines.size(), 3u);
    EXPECT_EQ(W.Lines[0].Text, "The quick brown");
    std::string Joined;
    for (const auto& Ln : W.Lines) {
        EXPECT_LE(Ln.Width, Width) << Ln.Text;
        EXPECT_NE(Ln.Text.front(), ' ');
        EXPECT_NE(Ln.Text.back(), ' ');
        Joined += (Joined.empty() ? "" : " ") + Ln.Text;
    }
    EXPECT_EQ(Joined, Text);
    // A word longer than the line is not split.
    auto Long = LayoutText(*F, "a incomprehensibilities b", {0, 0, 20, 500}, DT_WORDBREAK);
    ASSERT_EQ(Long.Lines.size(), 3u);
    EXPECT_EQ(Long.Lines[1].Text, "incomprehensibilities");
}

TEST(TextLayout, CalcRect) {
    auto F = Arial13();
    auto L = LayoutText(*F, "short\nmuch longer line", {5, 7, 300, 8}, DT_CALCRECT);
    EXPECT_EQ(L.Bounds.Left, 5);
    EXPECT_EQ(L.Bounds.Top, 7);
    EXPECT_EQ(L.Bounds.Right, 5 + F->TextWidth("much longer line"));
    EXPECT_EQ(L.Bounds.Bottom, 7 + 2 * F->Height);
    EXPECT_EQ(L.Result, 2 * F->Height);
    auto E = LayoutText(*F, "", {5, 7, 300, 8}, DT_CALCRECT | DT_SINGLELINE);
    EXPECT_EQ(E.Bounds, (TRect{5, 7, 5, 7 + F->Height}));
}

TEST(TextLayout, Ellipsis) {
    auto F = Arial13();
    const std::string Text = "A caption that is much too long";
    const int Width = F->TextWidth("A caption th");
    auto E = LayoutText(*F, Text, {0, 0, Width, 20}, DT_SINGLELINE | DT_END_ELLIPSIS);
    const std::string& S = E.Lines[0].Text;
    ASSERT_GE(S.size(), 3u);
    EXPECT_EQ(S.substr(S.size() - 3), "...");
    EXPECT_LE(E.Lines[0].Width, Width);
    EXPECT_EQ(Text.compare(0, S.size() - 3, S, 0, S.size() - 3), 0);
    // Text that fits is left alone.
    EXPECT_EQ(LayoutText(*F, "Fits", {0, 0, 100, 20}, DT_END_ELLIPSIS).Lines[0].Text, "Fits");
    // Path ellipsis keeps the last path element whole.
    const std::string Path = "C:\\Program Files\\Some Vendor\\Report.txt";
    const int Pw = F->TextWidth("C:\\Prog...\\Report.txt");
    auto P = LayoutText(*F, Path, {0, 0, Pw, 20}, DT_SINGLELINE | DT_PATH_ELLIPSIS);
    EXPECT_NE(P.Lines[0].Text.find("...\\Report.txt"), std::string::npos) << P.Lines[0].Text;
    EXPECT_LE(P.Lines[0].Width, Pw);
    // DT_CALCRECT never shortens.
    EXPECT_EQ(LayoutText(*F, Text, {0, 0, Width, 20}, DT_CALCRECT | DT_END_ELLIPSIS).Lines[0].Text,
              Text);
}

TEST(TextLayout, PrefixesAndTabs) {
    auto F = Arial13();
    auto L = LayoutText(*F, "&File", {0, 0, 100, 20}, 0);
    EXPECT_EQ(L.Lines[0].Text, "File");
    EXPECT_EQ(L.Lines[0].Accels, std::vector<int>{0});
    auto A = LayoutText(*F, "Save && E&xit&", {0, 0, 100, 20}, 0);
    EXPECT_EQ(A.Lines[0].Text, "Save & Exit");
    EXPECT_EQ(A.Lines[0].Accels, std::vector<int>{8});
    EXPECT_EQ(LayoutText(*F, "&File", {0, 0, 100, 20}, DT_NOPREFIX).Lines[0].Text, "&File");

    // Tabs stop every 8 average character widths, measured from the line's start.
    const int Tab = 8 * F->AveCharWidth;
    auto T = LayoutText(*F, "a\tb", {0, 0, 500, 20}, DT_EXPANDTABS);
    EXPECT_EQ(T.TabWidth, Tab);
    EXPECT_EQ(T.Lines[0].Width, Tab + F->CharWidth('b'));
    EXPECT_EQ(MeasureLine(*F, "\t\t", Tab), 2 * Tab);
    DRAWTEXTPARAMS P;
    P.iTabLength = 2;
    P.iLeftMargin = 3;
    auto Tp = LayoutText(*F, "\tx", {0, 0, 500, 20}, DT_EXPANDTABS, &P);
    EXPECT_EQ(Tp.TabWidth, 2 * F->AveCharWidth);
    EXPECT_EQ(Tp.Lines[0].X, 3);
    // Without DT_EXPANDTABS a tab is just a character of the font.
    EXPECT_EQ(LayoutText(*F, "a\tb", {0, 0, 500, 20}, 0).Lines[0].Width, F->TextWidth("a\tb"));
}

TEST(TextDrawTextEx, DrawsTwoColoursClippedToTheRectangle) {
    TTextDC T;
    TRect R{10, 10, 60, 40};
    const int H = DrawTextExA(T.Dc, "Clipped text that overflows", -1, &R, DT_SINGLELINE, nullptr);
    EXPECT_EQ(H, Arial13()->Height);
    std::set<uint32_t> Colours(T.Surf.Pixels.begin(), T.Surf.Pixels.end());
    EXPECT_EQ(Colours, (std::set<uint32_t>{0xFFFFFF, 0xFF0000}));
    const TRect Ink = T.Ink();
    EXPECT_GE(Ink.Left, 10);
    EXPECT_LE(Ink.Right, 60);
    EXPECT_GE(Ink.Top, 10);

    TTextDC N;
    TRect R2{10, 10, 60, 40};
    DrawTextExA(N.Dc, "Clipped text that overflows", -1, &R2, DT_SINGLELINE | DT_NOCLIP, nullptr);
    EXPECT_GT(N.Ink().Right, 60);
}

TEST(TextDrawTextEx, CalcRectDrawsNothing) {
    TTextDC T;
    TRect R{0, 0, 100, 0};
    DRAWTEXTPARAMS P;
    const int H = DrawTextExA(T.Dc, "two\nlines", -1, &R, DT_CALCRECT, &P);
    EXPECT_EQ(H, 2 * Arial13()->Height);
    EXPECT_EQ(R.Bottom, H);
    EXPECT_EQ(R.Right, Arial13()->TextWidth("lines"));
    EXPECT_EQ(P.uiLengthDrawn, 9u);
    EXPECT_EQ(T.Ink().Right, -1);
}

TEST(TextDrawTextEx, AcceleratorUnderline) {
    auto F = Arial13();
    const int Row = 5 + F->Ascent + 1;
    const auto RowInk = [&](const TTextDC& T) {
        std::vector<int> Xs;
        for (int X = 0; X < T.Surf.Width; ++X)
            if (T.Surf.Get(X, Row) != 0xFFFFFF) Xs.push_back(X);
        return Xs;
    };
    TTextDC T;
    TRect R{5, 5, 200, 50};
    DrawTextA(T.Dc, "E&xit", -1, &R, DT_SINGLELINE);
    // The underline runs from the character's left to its right edge at baseline + 1; the
    // letters themselves have no ink in that row (no descenders in "Exit").
    const int X0 = 5 + F->CharWidth('E');
    std::vector<int> Expect;
    for (int X = X0; X < X0 + F->CharWidth('x'); ++X)
        Expect.push_back(X);
    EXPECT_EQ(RowInk(T), Expect);

    for (UINT Flags : {UINT(DT_NOPREFIX), UINT(DT_HIDEPREFIX)}) {
        TTextDC U;
        TRect R2{5, 5, 200, 50};
        DrawTextA(U.Dc, "E&xit", -1, &R2, DT_SINGLELINE | Flags);
        EXPECT_TRUE(RowInk(U).empty()) << Flags;
    }
}

TEST(TextDrawTextEx, WordBreakAndCentringOnTheSurface) {
    TTextDC T;
    auto F = Arial13();
    TRect R{0, 0, 200, 100};
    const int H = DrawTextA(T.Dc, "Hi", -1, &R, DT_CENTER | DT_VCENTER | DT_SINGLELINE);
    const TRect Ink = T.Ink();
    // Centred horizontally within a pixel or two of the glyph side bearings.
    EXPECT_NEAR((Ink.Left + Ink.Right) / 2.0, 100, 3);
    EXPECT_EQ(H, 50 - F->Height / 2 + F->Height);
    EXPECT_GE(Ink.Top, 50 - F->Height / 2);
    EXPECT_LE(Ink.Bottom, 50 - F->Height / 2 + F->Height);

    TTextDC W;
    TRect R2{0, 0, F->TextWidth("word word"), 100};
    const int H2 = DrawTextA(W.Dc, "word word word word", -1, &R2, DT_WORDBREAK);
    EXPECT_EQ(H2, 2 * F->Height);
    EXPECT_GT(W.Ink().Bottom, F->Height);
}
