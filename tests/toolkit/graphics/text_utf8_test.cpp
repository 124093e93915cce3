// UTF-8 through the whole text path: form-file strings, layout and rasterising.
#include "raster_test_util.h"
#include "toolkit/core/Component.h"
#include "toolkit/core/FormReader.h"
#include "toolkit/core/Streams.h"
#include "toolkit/graphics/Brush.h"
#include "toolkit/graphics/Canvas.h"
#include "toolkit/graphics/Font.h"
#include "toolkit/graphics/FontEngine.h"
#include "toolkit/graphics/TextDraw.h"
#include "toolkit/graphics/Windows.h"

#include <gtest/gtest.h>

using namespace qel;
using qel::test::TSelect;
using qel::test::TTestDC;

namespace qel {
namespace {
class TUtf8Caption : public TComponent {
    QEL_CLASS(TUtf8Caption, TComponent)
  public:
    using TComponent::TComponent;
    const std::string& Caption() const { return Caption_; }
    void SetCaption(const std::string& V) { Caption_ = V; }

  private:
    std::string Caption_;
};
void DescribeUtf8Caption(TClassBuilder<TUtf8Caption>& B) {
    B.String("Caption", &TUtf8Caption::Caption, &TUtf8Caption::SetCaption);
}
} // namespace
QEL_IMPLEMENT_CLASS(TUtf8Caption, TComponent, DescribeUtf8Caption)
} // namespace qel

namespace {

HFONT Arial(int Height = -16) {
    return CreateFontA(Height, 0, 0, 0, 400, 0, 0, 0, 1, 0, 0, 0, 0, "Arial");
}

// The pixels of Text drawn at (2, 2) in black on white.
std::vector<uint32_t> Draw(std::string_view Text, int W = 120, int H = 30) {
    TTestDC Dc(W, H);
    TSelect F(Dc, Arial());
    SetBkMode(Dc, TRANSPARENT);
    SetTextColor(Dc, 0);
    TextOutA(Dc, 2, 2, Text.data(), static_cast<int>(Text.size()));
    std::vector<uint32_t> Px;
    for (int Y = 0; Y < H; ++Y)
        for (int X = 0; X < W; ++X)
            Px.push_back(Dc.At(X, Y));
    return Px;
}

} // namespace

TEST(TextUtf8, MultiByteCharactersDrawOneGlyph) {
    // "é" as UTF-8 and the legacy single byte draw the same, and differ from "Ã©" (two glyphs).
    EXPECT_EQ(Draw("\xC3\xA9"), Draw("\xE9"));
    EXPECT_NE(Draw("\xC3\xA9"), Draw("\xC3\x83\xC2\xA9"));
    EXPECT_EQ(Draw("\xE2\x82\xAC"), Draw("\x80"));
    // A character the font lacks: its .notdef box, the same on every call.
    EXPECT_EQ(Draw("\xE4\xB8\xAD"), Draw("\xE4\xB8\xAD"));
    EXPECT_NE(Draw("\xE4\xB8\xAD"), Draw(""));

    TTestDC Dc(100, 30);
    TSelect F(Dc, Arial());
    TSize A, B;
    ASSERT_TRUE(GetTextExtentPoint32A(Dc, "a\xC3\xA9", 3, &A)); // count in bytes
    ASSERT_TRUE(GetTextExtentPoint32A(Dc, "a\xE9", 2, &B));
    EXPECT_EQ(A.cx, B.cx);
}

TEST(TextUtf8, DxCountsCodePoints) {
    // Two code points, five bytes: two advances move the second glyph as far as with "xx".
    const int Dx[2] = {30, 30};
    TTestDC A(100, 30), B(100, 30);
    TSelect Fa(A, Arial()), Fb(B, Arial());
    ExtTextOutA(A, 0, 0, 0, nullptr, "\xC3\xA9\xE2\x82\xAC", 5, Dx);
    ExtTextOutA(B, 0, 0, 0, nullptr, "\xE9\x80", 2, Dx);
    for (int Y = 0; Y < 30; ++Y)
        for (int X = 0; X < 100; ++X)
            ASSERT_EQ(A.At(X, Y), B.At(X, Y)) << X << "," << Y;
}

TEST(TextUtf8, EllipsisAndPrefixesKeepSequencesWhole) {
    TFontSpec S;
    S.Name = "Arial";
    S.Height = -13;
    auto F = TFontFace::Acquire(S);
    std::string Line;
    for (int I = 0; I < 20; ++I)
        Line += "\xE2\x82\xAC"; // euro signs, three bytes each
    const int Euro = F->CharWidth(U'\u20AC');
    const int Width = 5 * Euro + F->TextWidth("...");
    TTextLayout L = LayoutText(*F, Line, {0, 0, Width, 40}, DT_SINGLELINE | DT_END_ELLIPSIS);
    ASSERT_EQ(L.Lines.size(), 1u);
    EXPECT_EQ(L.Lines[0].Text, Line.substr(0, 15) + "...");
    // One pixel less drops a whole character, never part of one.
    L = LayoutText(*F, Line, {0, 0, Width - 1, 40}, DT_SINGLELINE | DT_END_ELLIPSIS);
    EXPECT_EQ(L.Lines[0].Text, Line.substr(0, 12) + "...");

    // "&é" underlines the whole two-byte character.
    L = LayoutText(*F, "x&\xC3\xA9t", {0, 0, 200, 40}, DT_SINGLELINE);
    EXPECT_EQ(L.Lines[0].Text, "x\xC3\xA9t");
    EXPECT_EQ(L.Lines[0].Accels, std::vector<int>{1});
    EXPECT_EQ(L.Lines[0].Width, F->TextWidth("x\xE9t"));
}

TEST(TextUtf8, FormCaptionDrawsLikeDirectUtf8) {
    TStringStream In("object C: TUtf8Caption\n  Caption = 'caf'#233\nend\n");
    auto Root = LoadComponentFromStream(In);
    auto* C = dynamic_cast<TUtf8Caption*>(Root.get());
    ASSERT_NE(C, nullptr);
    ASSERT_EQ(C->Caption(), "caf\xC3\xA9");

    auto Render = [](const std::string& Text) {
        TTestDC Dc(80, 30);
        TCanvas Canvas;
        Canvas.SetHandle(Dc);
        Canvas.Font()->SetName("Arial");
        Canvas.Font()->SetHeight(-16);
        Canvas.Brush()->SetStyle(bsClear);
        Canvas.TextOut(2, 2, Text);
        const int W = Canvas.TextWidth(Text);
        Canvas.SetHandle(0);
        std::vector<uint32_t> Px{static_cast<uint32_t>(W)};
        for (int Y = 0; Y < 30; ++Y)
            for (int X = 0; X < 80; ++X)
                Px.push_back(Dc.At(X, Y));
        return Px;
    };
    EXPECT_EQ(Render(C->Caption()), Render("caf\xC3\xA9"));
    EXPECT_NE(Render(C->Caption()), Render("cafe"));
}
