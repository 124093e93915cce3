// Form-file details of the label and the push button: the order their properties are written
// in, and values the constructors change from the toolkit's own defaults.
#include "tests/toolkit/controls/ControlsTestSupport.h"
#include "toolkit/controls/Forms.h"
#include "toolkit/core/FormReader.h"
#include "toolkit/core/FormWriter.h"
#include "toolkit/core/Streams.h"
#include "toolkit/graphics/Font.h"
#include "visual/Brisca40.h"
#include "visual/QELTButton.h"
#include "visual/QELTLabel.h"

#include <gtest/gtest.h>
#include <memory>
#include <string>
#include <vector>

using namespace qel;

namespace {

// Names of Expected in the order the class publishes them (names it lacks are left out).
std::vector<std::string> PublishedOrder(const TClass& K, const std::vector<std::string>& Expected) {
    std::vector<std::string> Out;
    for (const TPropInfo* P : K.Properties())
        for (const std::string& N : Expected)
            if (P->Name == N) Out.push_back(N);
    return Out;
}

std::vector<std::string> Present(const TClass& K, const std::vector<std::string>& Expected) {
    std::vector<std::string> Out;
    for (const std::string& N : Expected)
        if (K.FindProperty(N)) Out.push_back(N);
    return Out;
}

} // namespace

TEST(review_streaming, LabelAndButtonPublishInTheClassicOrder) {
    const std::vector<std::string> Label{
        "Anchors",      "BiDiMode",       "Constraints", "DragKind",     "ParentBiDiMode",
        "Align",        "Alignment",      "Caption",     "Color",        "Enabled",
        "FocusControl", "FontBackground", "Font",        "Font3D",       "Frame",
        "Background",   "Transparent",    "ShowHint",    "Visible",      "WordWrap",
        "OnClick",      "OnDblClick",     "OnMouseDown", "OnMouseMove",  "OnMouseUp",
        "OnDragDrop",   "OnEndDrag",      "OnStartDrag", "OnDragOver",   "DragCursor",
        "DragMode",     "ParentColor",    "ParentFont",  "ShowAccelChar"};
    const TClass& L = TQELLabel::StaticClass();
    EXPECT_EQ(PublishedOrder(L, Label), Present(L, Label));

    const std::vector<std::string> Button{
        "Anchors",     "BiDiMode",    "Constraints", "DragKind",  "ParentBiDiMode", "Caption",
        "Cancel",      "Default",     "Font3D",      "Glyph",     "ParentShowHint", "ShowHint",
        "Font",        "Visible",     "ModalResult", "WordWrap",  "ButtonSunk",     "Background",
        "OnClick",     "DragCursor",  "ParentFont",  "PopupMenu", "TabOrder",       "TabStop",
        "OnDragDrop",  "OnDragOver",  "OnEndDrag",   "OnKeyDown", "OnKeyPress",     "OnKeyUp",
        "OnMouseDown", "OnMouseMove", "OnMouseUp",   "OnEnter",   "OnExit",         "OnStartDrag",
        "Enabled"};
    const TClass& B = TQELButton::StaticClass();
    EXPECT_EQ(PublishedOrder(B, Button), Present(B, Button));
}

TEST(review_streaming, LabelWithPlainFontStaysPlainAfterReload) {
    qel::test::Headless();
    RegisterBrisca40Classes();
    auto Form = std::make_unique<TForm>(nullptr);
    auto* L = new TQELLabel(Form.get());
    L->SetName("lbPlain");
    L->SetParent(Form.get());
    L->Font()->SetStyle({});
    auto* K = new TQELLabel(Form.get());
    K->SetName("lbBold");
    K->SetParent(Form.get());
    const std::string Text = ComponentToText(Form.get());

    TStringStream S(Text);
    auto Again = std::make_unique<TForm>(nullptr);
    ReadComponent(S, Again.get());
    auto* Plain = Cast<TQELLabel>(Again->FindComponent("lbPlain"));
    auto* Bold = Cast<TQELLabel>(Again->FindComponent("lbBold"));
    ASSERT_TRUE(Plain && Bold);
    EXPECT_TRUE(Plain->Font()->Style().Empty()) << Text;
    EXPECT_EQ(Bold->Font()->Style(), TFontStyles{fsBold});
}
