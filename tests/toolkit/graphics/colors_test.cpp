#include "toolkit/core/Exceptions.h"
#include "toolkit/graphics/Colors.h"

#include <gtest/gtest.h>

using namespace qel;

TEST(Colors, SystemColoursResolveToTheClassicScheme) {
    EXPECT_EQ(ColorToRGB(clBtnFace), 0xC0C0C0u);
    EXPECT_EQ(ColorToRGB(clBtnHighlight), 0xFFFFFFu);
    EXPECT_EQ(ColorToRGB(clBtnShadow), 0x808080u);
    EXPECT_EQ(ColorToRGB(clHighlight), RGB(0, 0, 0x80));
    EXPECT_EQ(ColorToRGB(clInfoBk), RGB(0xFF, 0xFF, 0xE1));
    EXPECT_EQ(ColorToRGB(cl3DDkShadow), 0x404040u);
    EXPECT_EQ(clBtnFace, 0x8000000Fu);
    // Plain colours and the special values pass through.
    EXPECT_EQ(ColorToRGB(0x123456), 0x123456u);
    EXPECT_EQ(ColorToRGB(clNone), 0x1FFFFFFFu);
    // Unknown indices give black rather than reading past the table.
    EXPECT_EQ(ColorToRGB(clSystemColor | 200), 0u);
}

TEST(Colors, SchemeCanBeChangedAndReset) {
    ASSERT_TRUE(SetSysColor(COLOR_BTNFACE, 0x112233));
    EXPECT_EQ(ColorToRGB(clBtnFace), 0x112233u);
    ResetSysColors();
    EXPECT_EQ(ColorToRGB(clBtnFace), 0xC0C0C0u);
    EXPECT_FALSE(SetSysColor(-1, 0));
    EXPECT_FALSE(SetSysColor(COLOR_MAX_INDEX + 1, 0));
}

TEST(Colors, RgbComponents) {
    const COLORREF C = RGB(1, 2, 3);
    EXPECT_EQ(C, 0x030201u);
    EXPECT_EQ(GetRValue(C), 1);
    EXPECT_EQ(GetGValue(C), 2);
    EXPECT_EQ(GetBValue(C), 3);
}

TEST(Colors, ToStringUsesNamesThenHex) {
    EXPECT_EQ(ColorToString(clRed), "clRed");
    EXPECT_EQ(ColorToString(clBtnFace), "clBtnFace");
    EXPECT_EQ(ColorToString(clNone), "clNone");
    EXPECT_EQ(ColorToString(0xC0C0C0), "clSilver"); // not the alias clLtGray
    EXPECT_EQ(ColorToString(0x808080), "clGray");
    EXPECT_EQ(ColorToString(0x00123456), "$00123456");
    EXPECT_EQ(ColorToString(0x80000063), "$80000063");
}

TEST(Colors, StringToColorReadsEveryWrittenForm) {
    for (TColor C : {clBlack, clRed, clInfoBk, clNone, clDefault, TColor(0x00123456),
                     TColor(0x80000063), TColor(0xFFFFFFFF)})
        EXPECT_EQ(StringToColor(ColorToString(C)), C) << ColorToString(C);
    EXPECT_EQ(StringToColor("CLRED"), clRed);
    EXPECT_EQ(StringToColor("clLtGray"), clSilver);
    EXPECT_EQ(StringToColor("clDkGray"), clGray);
    EXPECT_EQ(StringToColor("$FF"), 0xFFu);
    EXPECT_EQ(StringToColor("0x00FF00"), 0xFF00u);
    EXPECT_EQ(StringToColor("255"), 0xFFu);
    EXPECT_EQ(StringToColor("-2147483633"), clBtnFace); // signed reading of $8000000F
    EXPECT_EQ(StringToColor(" clBlue "), clBlue);

    TColor C = 0;
    EXPECT_TRUE(IdentToColor("clWindow", C));
    EXPECT_EQ(C, clWindow);
    EXPECT_FALSE(IdentToColor("clNothing", C));
    std::string Name;
    EXPECT_TRUE(ColorToIdent(clAqua, Name));
    EXPECT_EQ(Name, "clAqua");
    EXPECT_FALSE(ColorToIdent(0x010203, Name));
}

TEST(Colors, StringToColorRejectsGarbage) {
    for (const char* Bad : {"", "   ", "clFoo", "$", "0x", "12x", "$GG", "-", "1.5", "$1FFFFFFFF",
                            "4294967296", "-2147483649", "red"}) {
        try {
            StringToColor(Bad);
            ADD_FAILURE() << "accepted '" << Bad << "'";
        } catch (const EConvertError& E) {
            EXPECT_NE(std::string(E.what()).find("not a valid colour"), std::string::npos);
        }
    }
}
