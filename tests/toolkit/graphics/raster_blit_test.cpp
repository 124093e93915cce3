#include "raster_test_util.h"
#include "toolkit/graphics/DeviceContext.h"
#include "toolkit/graphics/Windows.h"

#include <gtest/gtest.h>

using namespace qel;
using qel::test::Art;
using qel::test::TSelect;
using qel::test::TTestDC;

namespace {
constexpr COLORREF Red = RGB(255, 0, 0), Blue = RGB(0, 0, 255);
const std::map<COLORREF, char> Names = {{Red, 'r'}, {Blue, 'b'}};

void Paint(TTestDC& Dc, std::initializer_list<const char*> Rows) {
    int Y = 0;
    for (const char* R : Rows) {
        for (int X = 0; R[X]; ++X)
            SetPixel(Dc, X, Y, R[X] == '#' ? 0 : R[X] == 'r' ? Red : R[X] == 'b' ? Blue : 0xFFFFFF);
        ++Y;
    }
}
} // namespace

TEST(RasterBlit, NamedOperationsMatchTheirFormulas) {
    const COLORREF S = 0x35A0F3, D = 0xC3550F, P = 0x0FF00F, M = 0xFFFFFF;
    struct TCase {
        DWORD Rop;
        COLORREF Want;
    } Cases[] = {
        {SRCCOPY, S},
        {SRCPAINT, S | D},
        {SRCAND, S & D},
        {SRCINVERT, S ^ D},
        {SRCERASE, S & ~D & M},
        {NOTSRCCOPY, ~S & M},
        {NOTSRCERASE, ~(S | D) & M},
        {MERGECOPY, P & S},
        {MERGEPAINT, (~S | D) & M},
        {PATCOPY, P},
        {PATPAINT, (P | ~S | D) & M},
        {PATINVERT, P ^ D},
        {DSTINVERT, ~D & M},
        {BLACKNESS, 0},
        {WHITENESS, M},
        {Rop3(0xB8), (P & ~S) | (S & D)}, // pattern where the source is 0
        {Rop3(0x96), P ^ S ^ D},
        {Rop3(0x1D), ((~P & (S | ~D)) | (P & ~(S | D))) & M},
    };
    for (const TCase& C : Cases) {
        TTestDC Src(2, 1, S), Dst(2, 1, D);
        TSelect B(Dst, CreateSolidBrush(P));
        ASSERT_TRUE(BitBlt(Dst, 0, 0, 1, 1, Src, 0, 0, C.Rop));
        EXPECT_EQ(Dst.At(0, 0), C.Want) << std::hex << C.Rop;
        EXPECT_EQ(Dst.At(1, 0), D);
    }
}

TEST(RasterBlit, SourceOutsideItsBitmapLeavesTheDestinationAlone) {
    TTestDC Src(3, 3, 0), Dst(5, 5);
    BitBlt(Dst, 0, 0, 5, 5, Src, -1, -1, SRCCOPY);
    EXPECT_EQ(Dst.Picture(5, 5), Art({".....", ".###.", ".###.", ".###.", "....."}));
    EXPECT_FALSE(BitBlt(Dst, 0, 0, 1, 1, 0, 0, 0, SRCCOPY));
    EXPECT_TRUE(BitBlt(Dst, 0, 0, 1, 1, 0, 0, 0, BLACKNESS)); // no source needed
    EXPECT_EQ(Dst.At(0, 0), 0u);
}

TEST(RasterBlit, OverlappingCopyWithinOneBitmap) {
    TTestDC Dc(6, 1);
    Paint(Dc, {"#r.b.."});
    BitBlt(Dc, 1, 0, 5, 1, Dc, 0, 0, SRCCOPY);
    EXPECT_EQ(Dc.Picture(6, 1, Names), "##r.b.\n");
    BitBlt(Dc, 0, 0, 5, 1, Dc, 1, 0, SRCCOPY);
    EXPECT_EQ(Dc.Picture(6, 1, Names), "#r.b..\n");
}

TEST(RasterBlit, MonochromeAndColourConversion) {
    // Colour -> mono: the source DC's background colour becomes white, all else black.
    TTestDC Colour(4, 1);
    Paint(Colour, {"r#b."});
    HDC MonoDc = CreateCompatibleDC(0);
    HBITMAP Mono = CreateBitmap(4, 1, 1, 1, nullptr);
    HGDIOBJ Old = SelectObject(MonoDc, Mono);
    SetBkColor(Colour, Red);
    BitBlt(MonoDc, 0, 0, 4, 1, Colour, 0, 0, SRCCOPY);
    EXPECT_EQ(GetPixel(MonoDc, 0, 0), 0xFFFFFFu);
    EXPECT_EQ(GetPixel(MonoDc, 1, 0), 0u);
    EXPECT_EQ(GetPixel(MonoDc, 2, 0), 0u);
    EXPECT_EQ(GetPixel(MonoDc, 3, 0), 0u);
    // Mono -> colour: 0 takes the destination's text colour, 1 its background colour.
    TTestDC Out(4, 1);
    SetTextColor(Out, Blue);
    SetBkColor(Out, Red);
    BitBlt(Out, 0, 0, 4, 1, MonoDc, 0, 0, SRCCOPY);
    EXPECT_EQ(Out.Picture(4, 1, Names), "rbbb\n");
    SelectObject(MonoDc, Old);
    DeleteObject(Mono);
    DeleteDC(MonoDc);
}

TEST(RasterBlit, MaskedDrawingWithTheClassicTwoBlits) {
    // Image AND mask, then OR the sprite: the usual transparent-drawing idiom.
    TTestDC Dst(4, 1, Blue), MaskDc(4, 1), Sprite(4, 1, 0);
    Paint(MaskDc, {"#..#"});
    Paint(Sprite, {"r##r"});
    BitBlt(Dst, 0, 0, 4, 1, MaskDc, 0, 0, SRCAND);
    BitBlt(Dst, 0, 0, 4, 1, Sprite, 0, 0, SRCPAINT);
    EXPECT_EQ(Dst.Picture(4, 1, Names), "rbbr\n");
}

TEST(RasterBlit, StretchEnlargesAndMirrors) {
    TTestDC Src(2, 2), Dst(4, 4);
    Paint(Src, {"#r", "b."});
    StretchBlt(Dst, 0, 0, 4, 4, Src, 0, 0, 2, 2, SRCCOPY);
    EXPECT_EQ(Dst.Picture(4, 4, Names), Art({"##rr", "##rr", "bb..", "bb.."}));
    // Negative extents run from the start coordinate (excluded) towards smaller ones.
    StretchBlt(Dst, 4, 0, -4, 4, Src, 0, 0, 2, 2, SRCCOPY);
    EXPECT_EQ(Dst.Picture(4, 4, Names), Art({"rr##", "rr##", "..bb", "..bb"}));
    StretchBlt(Dst, 0, 0, 2, 2, Src, 0, 2, 2, -2, SRCCOPY);
    EXPECT_EQ(Dst.Picture(2, 2, Names), Art({"b.", "#r"}));
}

TEST(RasterBlit, StretchModesWhenShrinking) {
    TTestDC Src(4, 1), Dst(2, 1);
    Paint(Src, {"#..."});
    for (int Mode : {BLACKONWHITE, WHITEONBLACK, COLORONCOLOR}) {
        Dst.Clear(Red);
        EXPECT_NE(SetStretchBltMode(Dst, Mode), 0);
        StretchBlt(Dst, 0, 0, 2, 1, Src, 0, 0, 4, 1, SRCCOPY);
        // Black on white keeps the black pixel, white on black and deleting lose it.
        EXPECT_EQ(Dst.At(0, 0), Mode == BLACKONWHITE ? 0u : 0xFFFFFFu) << Mode;
        EXPECT_EQ(Dst.At(1, 0), 0xFFFFFFu);
    }
    SetStretchBltMode(Dst, HALFTONE);
    StretchBlt(Dst, 0, 0, 2, 1, Src, 0, 0, 4, 1, SRCCOPY);
    EXPECT_EQ(Dst.At(0, 0), RGB(127, 127, 127));
}

TEST(RasterBlit, ClipRegionLimitsBlits) {
    TTestDC Src(4, 4, 0), Dst(4, 4);
    HRGN A = CreateRectRgn(0, 0, 2, 2), B = CreateRectRgn(2, 2, 4, 4);
    CombineRgn(A, A, B, RGN_OR);
    SelectClipRgn(Dst, A);
    DeleteObject(A);
    DeleteObject(B);
    BitBlt(Dst, 0, 0, 4, 4, Src, 0, 0, SRCCOPY);
    EXPECT_EQ(Dst.Picture(4, 4), Art({"##..", "##..", "..##", "..##"}));
}

TEST(RasterBlit, HugeDestinationsMapOnlyWhatTheClipShows) {
    TTestDC Src(2, 2, 0), Dst(4, 4);
    EXPECT_TRUE(StretchBlt(Dst, -1000000000, -1000000000, 2000000000, 2000000000, Src, 0, 0, 2, 2,
                           SRCCOPY));
    EXPECT_EQ(Dst.At(0, 0), 0u);
    EXPECT_TRUE(BitBlt(Dst, 2, 2, 2000000000, 2000000000, Src, 0, 0, SRCINVERT));
    EXPECT_EQ(Dst.Picture(4, 4), Art({"####", "####", "####", "####"}));
}

// Rows a few bytes apart within a page take their own copy loop; it must copy exactly what the
// library copy does, whatever the length and wherever the rows begin.
TEST(RasterBlit, PixelCopiesAreExactAtEveryPlaceInAPage) {
    std::vector<std::uint32_t> From(8192), To(8192 + 1024 + 64);
    for (std::size_t I = 0; I < From.size(); ++I)
        From[I] = static_cast<std::uint32_t>(I * 2654435761u);
    const auto Base = reinterpret_cast<std::uintptr_t>(From.data());
    for (std::size_t Past : {0u, 4u, 16u, 28u, 60u, 64u, 1000u})
        for (std::size_t N : {0u, 1u, 7u, 8u, 9u, 31u, 1920u, 7001u}) {
            // The first target pixel at least Past bytes past the source, modulo a page.
            std::size_t At = 0;
            while ((reinterpret_cast<std::uintptr_t>(To.data() + At) - Base) % 4096 != Past % 4096)
                ++At;
            std::fill(To.begin(), To.end(), 0xDEADBEEFu);
            gdi::CopyPixels(To.data() + At, From.data(), N);
            for (std::size_t I = 0; I < To.size(); ++I) {
                const bool Inside = I >= At && I < At + N;
                ASSERT_EQ(To[I], Inside ? From[I - At] : 0xDEADBEEFu)
                    << "past " << Past << " length " << N << " pixel " << I;
            }
        }
}
