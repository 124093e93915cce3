// The gallery form exercises the streaming of every published property of the package's
// drawing objects, backgrounds, labels and buttons: it must load, and write back only what
// differs from the defaults, and read again to the same text.
#include "tests/toolkit/controls/ControlsTestSupport.h"
#include "toolkit/controls/Forms.h"
#include "toolkit/core/FormReader.h"
#include "toolkit/core/FormWriter.h"
#include "toolkit/core/Streams.h"
#include "visual/Brisca40.h"
#include "visual/QELTButton.h"
#include "visual/QELTLabel.h"

#include <gtest/gtest.h>
#include <memory>
#include <string>

using namespace qel;

namespace {

std::unique_ptr<TForm> LoadGallery() {
    qel::test::Headless();
    RegisterBrisca40Classes();
    auto Form = std::make_unique<TForm>(nullptr);
    TFileStream S(std::string(QEL_SOURCE_DIR) + "/examples/gallery/gallery.dfm", fmOpenRead);
    ReadComponent(S, Form.get());
    return Form;
}

} // namespace

TEST(background_form, GalleryLoadsWithItsLinksAndSubObjects) {
    auto Form = LoadGallery();
    auto* Spectral = As<TQELBackground>(Form->FindComponent("bgSpectral"));
    EXPECT_EQ(Spectral->Gradient()->FillStyle(), qel::Spectral);
    EXPECT_EQ(Spectral->Gradient()->ColorCount(), 64);
    auto* Bars = As<TQELBackground>(Form->FindComponent("bgHorizontalDoppelBar"));
    ASSERT_EQ(Bars->Gradient()->ColorsInBetween()->Count(), 2);
    EXPECT_EQ(Bars->Gradient()->ColorsInBetween()->Get(1), "clLime");
    auto* Tile = As<TQELBackground>(Form->FindComponent("bgTile"));
    EXPECT_EQ(Tile->Texture()->Image()->Width(), 16);
    auto* Letters = As<TQELLabel>(Form->FindComponent("lbStyle8"));
    EXPECT_EQ(Letters->FontBackground(), Spectral);
    // linked after loading: the background knows its clients
    EXPECT_GE(Spectral->ClientCount(), 2);
    auto* Star = As<TQELButton>(Form->FindComponent("btStar"));
    EXPECT_EQ(Star->Glyph()->NumGlyphs(), 4);
    EXPECT_EQ(Star->Glyph()->TransparentColor(), clFuchsia);
    EXPECT_EQ(Star->Glyph()->Width(), 16);
    auto* Ok = As<TQELButton>(Form->FindComponent("btOk"));
    EXPECT_TRUE(Ok->Default());
    EXPECT_EQ(Ok->ModalResult(), 1);
    auto* Trail = As<TQELLabel>(Form->FindComponent("lbStyle5"));
    EXPECT_EQ(Trail->Font3D()->Repetition(), repeatOnShadow);
    EXPECT_EQ(Trail->Font3D()->Repetitionwidth(), 4);
}

TEST(background_form, WritingKeepsOnlyNonDefaultsAndReadsBackTheSame) {
    auto Form = LoadGallery();
    const std::string Text = ComponentToText(Form.get());
    // a button of the default size writes neither Width nor Height
    const auto Plain = Text.find("object btPlain: TQELButton");
    ASSERT_NE(Plain, std::string::npos);
    const std::string PlainBody = Text.substr(Plain, Text.find("end", Plain) - Plain);
    EXPECT_EQ(PlainBody.find("Width"), std::string::npos);
    EXPECT_EQ(PlainBody.find("Height"), std::string::npos);
    // default drawing settings are not written, changed ones are, under their dotted path
    EXPECT_EQ(Text.find("Font3D.Offset = 1"), std::string::npos);
    EXPECT_NE(Text.find("Font3D.Offset = 2"), std::string::npos);
    EXPECT_NE(Text.find("Frame.FrameStyle = frameLowered"), std::string::npos);
    EXPECT_NE(Text.find("Glyph.TransparentColor = clFuchsia"), std::string::npos);
    EXPECT_EQ(Text.find("DrawingWidth"), std::string::npos);

    TStringStream S(Text);
    auto Again = std::make_unique<TForm>(nullptr);
    ReadComponent(S, Again.get());
    EXPECT_EQ(ComponentToText(Again.get()), Text);
}
