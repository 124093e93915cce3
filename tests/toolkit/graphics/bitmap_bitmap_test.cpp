#include "toolkit/core/Exceptions.h"
#include "toolkit/core/Filer.h"
#include "toolkit/core/Streams.h"
#include "toolkit/graphics/Bitmap.h"
#include "toolkit/graphics/BmpCodec.h"
#include "toolkit/graphics/Canvas.h"
#include "toolkit/graphics/Picture.h"
#include "toolkit/graphics/Resources.h"

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <gtest/gtest.h>

using namespace qel;

namespace {

// 4 x 3 image: red frame colour, a green pixel at (1, 1), bottom-left pixel blue.
void Fill(TBitmap& B) {
    B.SetSize(4, 3);
    TSurface& S = *B.Surface();
    for (uint32_t& P : S.Pixels)
        P = 0xFF0000;
    S.Set(1, 1, 0x00FF00);
    S.Set(0, 2, 0x0000FF);
}

std::string TempPath(const std::string& Name) {
    return (std::filesystem::temp_directory_path() /
            ("qel_text_" + std::to_string(::getpid()) + "_" + Name))
        .string();
}

} // namespace

TEST(BitmapObject, SizeCanvasAndChangeNotification) {
    TBitmap B;
    EXPECT_TRUE(B.Empty());
    B.SetWidth(10);
    EXPECT_TRUE(B.Empty());
    EXPECT_EQ(B.Width(), 10);
    B.SetHeight(5);
    ASSERT_FALSE(B.Empty());
    int Changes = 0;
    B.OnChange = [&](TObject*) { ++Changes; };
    B.Canvas()->Brush()->SetColor(clRed);
    B.Canvas()->FillRect(TRect{0, 0, 10, 5});
    EXPECT_GE(Changes, 1);
    EXPECT_EQ(B.Pixel(9, 4), clRed);
    // Growing keeps the old pixels; the new area is black.
    B.SetSize(12, 6);
    EXPECT_EQ(B.Pixel(9, 4), clRed);
    EXPECT_EQ(B.Pixel(11, 5), clBlack);
    EXPECT_EQ(B.Pixel(12, 0), clNone);
    // The handle can be used elsewhere while the canvas has it: asking for it frees it.
    HDC Other = CreateCompatibleDC(0);
    EXPECT_NE(SelectObject(Other, B.Handle()), 0u);
    DeleteDC(Other);
    B.Canvas()->SetPixels(0, 0, clLime);
    EXPECT_EQ(B.Pixel(0, 0), clLime);
    EXPECT_THROW(B.SetSize(100000, 100000), EInvalidGraphic);
}

TEST(BitmapObject, StreamRoundTripKeepsPixelsAndFormat) {
    TBitmap B;
    Fill(B);
    for (TPixelFormat F : {pf24bit, pf32bit, pf8bit, pf4bit}) {
        B.SetPixelFormat(F);
        TMemoryStream M;
        B.SaveToStream(M);
        M.SetPosition(0);
        TBitmap C;
        C.LoadFromStream(M);
        EXPECT_EQ(C.PixelFormat(), F);
        ASSERT_EQ(C.Width(), 4);
        EXPECT_EQ(C.Surface()->Pixels, B.Surface()->Pixels) << F;
    }
    // Monochrome: white stays white, every other colour turns black.
    B.Canvas()->SetPixels(2, 0, clWhite);
    B.SetMonochrome(true);
    EXPECT_TRUE(B.Monochrome());
    EXPECT_EQ(B.Pixel(2, 0), clWhite);
    EXPECT_EQ(B.Pixel(1, 1), clBlack);
    TMemoryStream M;
    B.SaveToStream(M);
    EXPECT_EQ(M.Memory()[28], 1); // 1 bit per pixel on disk
    M.SetPosition(0);
    TBitmap C;
    C.LoadFromStream(M);
    EXPECT_TRUE(C.Monochrome());
    EXPECT_EQ(C.Surface()->Pixels, B.Surface()->Pixels);
}

TEST(BitmapObject, FormDataIsLengthPrefixedBitmapFile) {
    TBitmap B;
    Fill(B);
    TMemoryStream M;
    B.WriteData(M);
    ASSERT_GT(M.Size(), 4 + 54);
    const uint8_t* P = M.Memory();
    const uint32_t Len = P[0] | (P[1] << 8) | (P[2] << 16) | (uint32_t(P[3]) << 24);
    EXPECT_EQ(Len + 4, static_cast<uint64_t>(M.Size()));
    EXPECT_EQ(P[4], 'B');
    EXPECT_EQ(P[5], 'M');
    M.SetPosition(0);
    TBitmap C;
    C.ReadData(M);
    EXPECT_EQ(C.Surface()->Pixels, B.Surface()->Pixels);
    // A length that runs past the data is refused before anything is allocated.
    TMemoryStream Bad;
    const uint8_t Huge[8] = {0xFF, 0xFF, 0xFF, 0x7F, 'B', 'M', 0, 0};
    Bad.WriteBuffer(Huge, 8);
    Bad.SetPosition(0);
    EXPECT_THROW(C.ReadData(Bad), EInvalidGraphic);
    EXPECT_EQ(C.Width(), 4); // unchanged
}

TEST(BitmapObject, CorruptFilesLeaveTheImageAlone) {
    TBitmap B;
    Fill(B);
    const std::vector<uint8_t> Junk = {'B', 'M', 1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 40, 0};
    EXPECT_THROW(B.LoadFromBytes(Junk), EInvalidGraphic);
    EXPECT_EQ(B.Width(), 4);
    EXPECT_EQ(B.Pixel(1, 1), clLime);
    EXPECT_THROW(B.LoadFromFile(TempPath("missing.bmp")), EFOpenError);
}

TEST(BitmapObject, MaskAndTransparency) {
    TBitmap B;
    Fill(B);
    EXPECT_EQ(B.TransparentMode(), tmAuto);
    EXPECT_EQ(B.TransparentColor(), clBlue); // bottom-left pixel
    B.SetTransparentColor(clRed);
    EXPECT_EQ(B.TransparentMode(), tmFixed);
    HBITMAP Mh = B.MaskHandle();
    ASSERT_NE(Mh, 0u);
    EXPECT_TRUE(IsMonochromeBitmap(Mh));
    const TSurface* Ms = GetBitmapSurface(Mh);
    EXPECT_EQ(Ms->Get(0, 0), 0xFFFFFFu); // red: transparent
    EXPECT_EQ(Ms->Get(1, 1), 0x000000u);
    B.SetTransparentMode(tmAuto);
    EXPECT_EQ(B.TransparentColor(), clBlue);

    // Drawn transparently, the transparent colour leaves the destination alone.
    TBitmap Dst;
    Dst.SetSize(6, 5);
    Dst.Canvas()->Brush()->SetColor(clYellow);
    Dst.Canvas()->FillRect(TRect{0, 0, 6, 5});
    B.SetTransparentColor(clRed);
    B.SetTransparent(true);
    Dst.Canvas()->Draw(1, 1, &B);
    EXPECT_EQ(Dst.Pixel(1, 1), clYellow); // red source pixel
    EXPECT_EQ(Dst.Pixel(2, 2), clLime);
    EXPECT_EQ(Dst.Pixel(1, 3), clBlue);
    B.SetTransparent(false);
    Dst.Canvas()->Draw(1, 1, &B);
    EXPECT_EQ(Dst.Pixel(1, 1), clRed);

    // Mask turns the image itself into black and white.
    B.Mask(clLime);
    EXPECT_TRUE(B.Monochrome());
    EXPECT_EQ(B.Pixel(1, 1), clWhite);
    EXPECT_EQ(B.Pixel(0, 0), clBlack);
    EXPECT_EQ(B.Pixel(0, 2), clBlack);
}

TEST(BitmapObject, AssignCopiesIndependently) {
    TBitmap A;
    Fill(A);
    A.SetPixelFormat(pf8bit);
    TBitmap B;
    B.Assign(&A);
    EXPECT_EQ(B.PixelFormat(), pf8bit);
    EXPECT_EQ(B.Surface()->Pixels, A.Surface()->Pixels);
    B.Canvas()->SetPixels(0, 0, clWhite);
    EXPECT_NE(A.Pixel(0, 0), clWhite);
    B.Assign(nullptr);
    EXPECT_TRUE(B.Empty());
}

TEST(BitmapObject, ResourcesByName) {
    TBitmap Src;
    Fill(Src);
    static std::vector<uint8_t> File = Src.SaveToBytes();
    RegisterResource("TextTestPkg", "glyphone", "bmp", File.data(), File.size());
    // Bitmap resources may also be bare: header, palette and bits without the file header.
    static std::vector<uint8_t> Bare(File.begin() + 14, File.end());
    RegisterResource("TextTestPkg", "GLYPHBARE", "bmp", Bare.data(), Bare.size());

    TBitmap B;
    B.LoadFromResourceName(ResourceModule("texttestpkg"), "GlyphOne");
    EXPECT_EQ(B.Surface()->Pixels, Src.Surface()->Pixels);
    TBitmap C;
    C.LoadFromResourceName(0, "GLYPHBARE");
    EXPECT_EQ(C.Surface()->Pixels, Src.Surface()->Pixels);
    EXPECT_THROW(C.LoadFromResourceName(ResourceModule("OtherPkg"), "GLYPHONE"), EInvalidGraphic);
    EXPECT_THROW(C.LoadFromResourceName(0, "NOSUCHGLYPH"), EInvalidGraphic);
}

TEST(BitmapObject, EmbeddingScriptGeneratesRegistrations) {
    namespace fs = std::filesystem;
    const fs::path Dir = TempPath("res");
    fs::create_directories(Dir);
    std::ofstream(Dir / "qelbutton.bmp", std::ios::binary) << "BM\x01\xFF";
    const fs::path Out = TempPath("res.cpp");
    const std::string Cmd =
        "cmake -DQEL_OUT=" + Out.string() +
        " -DQEL_MODULE=Brisca40 -DQEL_FILES=" + (Dir / "qelbutton.bmp").string() +
        " -P " QEL_SOURCE_DIR "/cmake/QelResourcesGen.cmake";
    ASSERT_EQ(std::system(Cmd.c_str()), 0);
    std::ifstream In(Out);
    const std::string Text((std::istreambuf_iterator<char>(In)), std::istreambuf_iterator<char>());
    EXPECT_NE(Text.find("0x42,0x4d,0x01,0xff,"), std::string::npos) << Text;
    EXPECT_NE(Text.find("(\"Brisca40\", \"QELBUTTON\", \"BMP\", R0, 4)"), std::string::npos)
        << Text;
    fs::remove_all(Dir);
    fs::remove(Out);
}

TEST(BitmapPicture, FilesAndFormData) {
    TBitmap Src;
    Fill(Src);
    const std::string Path = TempPath("pic.bmp");
    Src.SaveToFile(Path);
    TPicture P;
    int Changes = 0;
    P.OnChange = [&](TObject*) { ++Changes; };
    P.LoadFromFile(Path);
    EXPECT_GE(Changes, 1);
    EXPECT_EQ(P.Width(), 4);
    ASSERT_NE(dynamic_cast<TBitmap*>(P.Graphic()), nullptr);
    EXPECT_EQ(P.Bitmap()->Surface()->Pixels, Src.Surface()->Pixels);
    EXPECT_THROW(P.LoadFromFile(TempPath("pic.gif")), EInvalidGraphic);
    std::filesystem::remove(Path);

    // A change made through the bitmap reaches the picture's handler.
    Changes = 0;
    P.Bitmap()->Canvas()->SetPixels(0, 0, clWhite);
    EXPECT_GE(Changes, 1);

    TPicture Q;
    Q.Assign(&P);
    EXPECT_NE(Q.Graphic(), P.Graphic());
    EXPECT_EQ(Q.Bitmap()->Surface()->Pixels, P.Bitmap()->Surface()->Pixels);
    Q.Assign(nullptr);
    EXPECT_EQ(Q.Graphic(), nullptr);
    TBitmap Out;
    Out.Assign(&P);
    EXPECT_EQ(Out.Surface()->Pixels, P.Bitmap()->Surface()->Pixels);
}

namespace {
// Captures what an object declares through DefineProperties.
struct TCaptureFiler : TFiler {
    using TFiler::TFiler;
    std::string Name;
    std::function<void(TStream&)> Read, Write;
    bool Has = false;
    void DefineProperty(const std::string&, const std::function<void(TReader&)>&,
                        const std::function<void(TWriter&)>&, bool) override {}
    void DefineBinaryProperty(const std::string& N, const std::function<void(TStream&)>& R,
                              const std::function<void(TStream&)>& W, bool H) override {
        Name = N;
        Read = R;
        Write = W;
        Has = H;
    }
};
} // namespace

TEST(BitmapPicture, DataPropertyCarriesTheClassName) {
    TPicture P;
    Fill(*P.Bitmap());
    TMemoryStream Dummy;
    TCaptureFiler F(Dummy);
    P.DefineProperties(F);
    EXPECT_EQ(F.Name, "Data");
    EXPECT_TRUE(F.Has);
    TMemoryStream M;
    F.Write(M);
    ASSERT_GT(M.Size(), 8 + 4 + 54);
    EXPECT_EQ(M.Memory()[0], 7);
    EXPECT_EQ(std::string(reinterpret_cast<const char*>(M.Memory()) + 1, 7), "TBitmap");
    M.SetPosition(0);
    TPicture Q;
    TCaptureFiler G(Dummy);
    Q.DefineProperties(G);
    EXPECT_FALSE(G.Has); // an empty picture stores nothing
    G.Read(M);
    EXPECT_EQ(Q.Bitmap()->Surface()->Pixels, P.Bitmap()->Surface()->Pixels);

    // The bitmap's own Data is written only when it holds an image.
    TBitmap Empty;
    TCaptureFiler H(Dummy);
    Empty.DefineProperties(H);
    EXPECT_FALSE(H.Has);
}
