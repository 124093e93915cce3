#include "toolkit/graphics/Font.h"
#include "toolkit/graphics/FontEngine.h"

#include <cstring>
#include <gtest/gtest.h>

using namespace qel;

TEST(TextFont, DefaultsAndSizeHeightConversion) {
    TFont F;
    EXPECT_EQ(F.Name(), "MS Sans Serif");
    EXPECT_EQ(F.Size(), 8);
    EXPECT_EQ(F.Height(), -11);
    EXPECT_EQ(F.Color(), clWindowText);
    EXPECT_EQ(F.Charset(), DEFAULT_CHARSET);
    EXPECT_EQ(F.Pitch(), fpDefault);
    EXPECT_TRUE(F.Style().Empty());
    EXPECT_EQ(F.PixelsPerInch(), 96);

    F.SetSize(10);
    EXPECT_EQ(F.Height(), -13);
    F.SetSize(12);
    EXPECT_EQ(F.Height(), -16);
    F.SetHeight(-20);
    EXPECT_EQ(F.Size(), 15);
    F.SetHeight(20); // a cell height reads back as a negative size, as the platform does
    EXPECT_EQ(F.Size(), -15);
    F.SetName("");
    EXPECT_EQ(F.Name(), "MS Sans Serif");
}

TEST(TextFont, HandleFollowsTheSettings) {
    TFont F;
    int Changes = 0;
    F.OnChange = [&](TObject*) { ++Changes; };
    HFONT H = F.Handle();
    ASSERT_NE(H, 0u);
    EXPECT_EQ(F.Handle(), H); // made once
    LOGFONTA Lf;
    ASSERT_EQ(GetObjectA(H, sizeof(Lf), &Lf), static_cast<int>(sizeof(Lf)));
    EXPECT_EQ(Lf.lfHeight, -11);
    EXPECT_STREQ(Lf.lfFaceName, "MS Sans Serif");

    F.SetStyle({fsBold, fsItalic});
    EXPECT_EQ(Changes, 1);
    auto Face = F.Face();
    ASSERT_TRUE(Face);
    EXPECT_EQ(Face->Weight, 700);
    EXPECT_TRUE(Face->Italic);
    EXPECT_EQ(Face->EmHeight(), 11);
    F.SetColor(clRed);
    F.SetColor(clRed); // unchanged colour: no notification
    EXPECT_EQ(Changes, 2);

    // Taking over a handle reads the settings back from it.
    LOGFONTA In;
    In.lfHeight = -16;
    In.lfWeight = 700;
    In.lfUnderline = 1;
    In.lfPitchAndFamily = FIXED_PITCH;
    std::strcpy(In.lfFaceName, "Courier New");
    TFont G;
    G.SetHandle(CreateFontIndirectA(&In));
    EXPECT_EQ(G.Name(), "Courier New");
    EXPECT_EQ(G.Size(), 12);
    EXPECT_EQ(G.Style(), (TFontStyles{fsBold, fsUnderline}));
    EXPECT_EQ(G.Pitch(), fpFixed);
    EXPECT_EQ(G.Face()->FamilyName, "Liberation Mono");
}

TEST(TextFont, AssignAndPublishedProperties) {
    TFont A;
    A.SetName("Arial");
    A.SetSize(14);
    A.SetStyle({fsUnderline});
    A.SetColor(clBlue);
    A.SetCharset(SYMBOL_CHARSET);
    TFont B;
    int Changes = 0;
    B.OnChange = [&](TObject*) { ++Changes; };
    B.Assign(&A);
    EXPECT_EQ(Changes, 1);
    EXPECT_EQ(B.Name(), "Arial");
    EXPECT_EQ(B.Height(), A.Height());
    EXPECT_EQ(B.Style(), A.Style());
    EXPECT_EQ(B.Color(), clBlue);
    EXPECT_EQ(B.Charset(), SYMBOL_CHARSET);

    // Published in the classic order; Size is not stored, Height is always stored.
    std::vector<std::string> Names;
    for (const TPropInfo* P : TFont::StaticClass().Properties())
        Names.push_back(P->Name);
    EXPECT_EQ(Names, (std::vector<std::string>{"Charset", "Color", "Height", "Name", "Pitch",
                                               "Size", "Style"}));
    const TPropInfo* Size = TFont::StaticClass().FindProperty("Size");
    ASSERT_TRUE(Size);
    EXPECT_FALSE(Size->IsStored(B));
    const TPropInfo* Height = TFont::StaticClass().FindProperty("Height");
    EXPECT_FALSE(Height->IsDefaultValue(B));
    const TPropInfo* Style = TFont::StaticClass().FindProperty("Style");
    // An empty style is written too, so it survives a control that starts bold.
    TFont Plain;
    EXPECT_FALSE(Style->IsDefaultValue(Plain));
    Style->SetOrd(B, TFontStyles{fsBold}.Bits());
    EXPECT_TRUE(B.Style().Contains(fsBold));
    EXPECT_EQ(Changes, 2);
}

TEST(TextFont, AssignBetweenResolutionsKeepsThePointSize) {
    TFont Printer;
    Printer.SetPixelsPerInch(300);
    Printer.SetSize(10);
    EXPECT_EQ(Printer.Height(), -42);
    TFont Screen;
    Screen.Assign(&Printer);
    EXPECT_EQ(Screen.Size(), 10);
    EXPECT_EQ(Screen.Height(), -13);
}
