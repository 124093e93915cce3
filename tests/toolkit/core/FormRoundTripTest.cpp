// Reading and writing whole forms: every property kind, nesting, references, events, and
// conversion between the text and binary encodings.
#include "tests/toolkit/core/TestClasses.h"
#include "toolkit/core/Exceptions.h"
#include "toolkit/core/FormReader.h"
#include "toolkit/core/FormWriter.h"
#include "toolkit/core/IdentMap.h"
#include "toolkit/core/Streams.h"
#include "toolkit/core/TextForm.h"

#include <gtest/gtest.h>

using namespace qel;
using namespace qel::test;

namespace {

std::unique_ptr<TComponent> LoadText(const std::string& Text, const TFormLoadOptions& O = {}) {
    TStringStream S(Text);
    return LoadComponentFromStream(S, O);
}

std::string ToBinary(const std::string& Text) {
    TStringStream In(Text), Out;
    ObjectTextToBinary(In, Out);
    return Out.DataString();
}

std::string ToText(const std::string& Bin) {
    TStringStream In(Bin), Out;
    ObjectBinaryToText(In, Out);
    return Out.DataString();
}

} // namespace

TEST(FormRoundTrip, ReadsEveryPropertyKind) {
    auto Root = LoadText(CanonicalFormText());
    auto& Form = As<TTestForm>(*Root);
    EXPECT_EQ(Form.Name(), "Form1");
    EXPECT_EQ(Form.Tag(), 7);
    ASSERT_EQ(Form.ComponentCount(), 3);
    auto* Panel = Cast<TTestWidget>(Form.FindComponent("panel1"));
    auto* Label = Cast<TTestWidget>(Form.FindComponent("Label2"));
    ASSERT_TRUE(Panel && Label);
    EXPECT_EQ(Panel->Caption(), "It's a \xE2\x82\xAC panel\r\nsecond line");
    EXPECT_EQ(Panel->Width(), -300);
    EXPECT_EQ(Panel->Big(), 5000000000LL);
    EXPECT_EQ(Panel->Small(), 200);
    EXPECT_FALSE(Panel->Visible());
    EXPECT_EQ(Panel->Shape(), tsTriangle);
    EXPECT_TRUE(Panel->Edges() == (TTestEdges{teRight, teBottom}));
    EXPECT_DOUBLE_EQ(Panel->Ratio(), 0.25);
    EXPECT_EQ(Panel->Letter(), 'z');
    EXPECT_EQ(Panel->Color(), 0x123456); // no colour name, so written as a number
    EXPECT_EQ(Panel->Font3D()->Offset(), 2);
    EXPECT_EQ(Panel->Font3D()->Style(), tsSquare);
    EXPECT_DOUBLE_EQ(Panel->Font3D()->Depth(), 1.5);
    EXPECT_EQ(Panel->Lines()->Text(), "first\n\nthird \t tab\n");
    ASSERT_EQ(Panel->Columns()->Count(), 2);
    EXPECT_EQ(As<TTestColumn>(*Panel->Columns()->Items(0)).Width(), 50);
    EXPECT_EQ(As<TTestColumn>(*Panel->Columns()->Items(1)).Caption(), "Size");
    EXPECT_EQ(As<TTestColumn>(*Panel->Columns()->Items(1)).Width(), 120);
    ASSERT_EQ(Panel->Data().size(), 34u);
    EXPECT_EQ(Panel->Data()[31], 0x1F);
    EXPECT_EQ(Panel->Data()[33], 0x80);
    EXPECT_EQ(Panel->ItemHeights(), (std::vector<int>{12, -4, 100000}));
    EXPECT_EQ(Panel->Blob(), (TBytes{0xCA, 0xFE}));
    // Nesting by parent, references resolved both ways (one of them forward).
    EXPECT_EQ(Label->Parent(), Panel);
    EXPECT_EQ(Panel->Link(), Label);
    EXPECT_EQ(Label->Link(), Panel);
    EXPECT_EQ(Label->Caption().size(), 70u);
    // The event is bound to the form's method and remembers its name.
    ASSERT_TRUE(Panel->OnClick.Assigned());
    EXPECT_EQ(Panel->OnClick.MethodName, "ButtonClick");
    Panel->OnClick(Panel);
    EXPECT_EQ(Form.Clicks, 1);
    EXPECT_EQ(Form.LastSender, Panel);
}

TEST(FormRoundTrip, LoadedRunsOnceAfterReferencesAreFixedUp) {
    auto Root = LoadText(CanonicalFormText());
    auto& Form = As<TTestForm>(*Root);
    EXPECT_EQ(Form.LoadedCount, 1);
    for (int I = 0; I < Form.ComponentCount(); ++I) {
        auto& W = As<TTestWidget>(*Form.Components(I));
        EXPECT_EQ(W.LoadedCount, 1) << W.Name();
        EXPECT_FALSE(W.IsLoading());
        EXPECT_FALSE(W.ComponentState().Contains(csReading));
    }
    // Panel1 links Label2, which is read after it: the link was there before Loaded.
    EXPECT_TRUE(As<TTestWidget>(*Form.FindComponent("Panel1")).LinkSetBeforeLoaded);
}

TEST(FormRoundTrip, WritesTheSameTextBack) {
    auto Root = LoadText(CanonicalFormText());
    EXPECT_EQ(ComponentToText(Root.get()), CanonicalFormText());
}

TEST(FormRoundTrip, BinaryAndBackKeepsEverything) {
    std::string Bin = ToBinary(CanonicalFormText());
    ASSERT_EQ(Bin.substr(0, 4), "TPF0");
    EXPECT_EQ(ToText(Bin), CanonicalFormText());
    // The binary form read as a component writes the identical binary stream.
    TStringStream In(Bin);
    auto Root = LoadComponentFromStream(In);
    TStringStream Out;
    WriteComponent(Out, Root.get(), TFormFormat::Binary);
    EXPECT_EQ(Out.DataString(), Bin);
}

TEST(FormRoundTrip, BinaryLayoutUsesSmallestIntegerTypes) {
    std::string Bin = ToBinary("object A: TTestWidget\n  Width = 1\n  Big = 70000\nend\n");
    // Signature, class and name as short strings, then "Width" int8 1, "Big" int32.
    std::string Expected = std::string("TPF0") + "\x0BTTestWidget" +
                           "\x01"
                           "A" +
                           "\x05Width" + "\x02\x01" +
                           "\x03"
                           "Big" +
                           "\x04" + std::string("\x70\x11\x01\x00", 4) + std::string("\0\0", 2);
    EXPECT_EQ(Bin, Expected);
}

TEST(FormRoundTrip, ValuesKeepTheirTypeThroughTextAndBinary) {
    // Converter-level values that no property here uses: single, currency, date, hex, int64,
    // nested lists, item order, inherited/inline headers and child positions.
    const std::string Text = R"(object A: TX
  S = 1.5s
  C = -12.3456c
  D = 45000.25d
  E = 1e+300
  F = 2.0
  I = -9223372036854775808
  L = (
    1
    (
      'x'
      [])
    {}
    nil
    True)
  Items = <
    item [3]
      N = 1
    end>
  inherited B: TY [2]
  end
  inline C: TZ
  end
end
)";
    std::string Bin = ToBinary(Text);
    EXPECT_EQ(ToText(Bin), Text);
    EXPECT_EQ(ToBinary(ToText(Bin)), Bin);
}

TEST(FormRoundTrip, AcceptsHexConcatenationAndDottedPaths) {
    auto Root = LoadText("object Form1: TTestForm\n"
                         "  object W: TTestWidget\n"
                         "    Width = $1F\n"
                         "    Caption = 'a' +\n      'b'#65 + #$42\n"
                         "    Font3D.Offset = -$10\n"
                         "    Lines = ('one' 'two')\n"
                         "  end\n"
                         "end");
    auto& W = As<TTestWidget>(*Root->FindComponent("W"));
    EXPECT_EQ(W.Width(), 31);
    EXPECT_EQ(W.Caption(), "abAB");
    EXPECT_EQ(W.Font3D()->Offset(), -16);
    EXPECT_EQ(W.Lines()->Count(), 2);
}

TEST(FormRoundTrip, DefaultsAndStoredConditionsAreNotWritten) {
    TTestForm Form(nullptr);
    Form.SetName("Form1");
    auto* W = new TTestWidget(&Form);
    W->SetName("W");
    W->SetVisible(true);   // default
    W->SetEdges({teLeft}); // default
    EXPECT_EQ(ComponentToText(&Form),
              "object Form1: TTestForm\n  object W: TTestWidget\n    Columns = <>\n  end\nend\n");
}

TEST(FormRoundTrip, ReferencesOutsideTheFormAreOwnerQualified) {
    TComponent App(nullptr);
    auto* Form1 = new TTestForm(&App);
    Form1->SetName("Form1");
    auto* Form2 = new TTestForm(&App);
    Form2->SetName("Form2");
    auto* Background = new TTestWidget(Form2);
    Background->SetName("Background1");
    auto* W = new TTestWidget(Form1);
    W->SetName("W");
    W->SetLink(Background);
    std::string Text = ComponentToText(Form1);
    EXPECT_NE(Text.find("Link = Form2.Background1"), std::string::npos) << Text;

    // Reading it back into a new form under the same owner finds the other form.
    std::string Renamed = Text;
    Renamed.replace(Renamed.find("Form1"), 5, "Form3");
    auto* Form3 = new TTestForm(&App);
    TStringStream S(Renamed);
    ReadComponent(S, Form3);
    EXPECT_EQ(As<TTestWidget>(*Form3->FindComponent("W")).Link(), Background);
}

TEST(FormRoundTrip, ReadsIntoAnExistingRoot) {
    TTestForm Form(nullptr);
    TStringStream S(CanonicalFormText());
    EXPECT_EQ(ReadComponent(S, &Form), &Form);
    EXPECT_EQ(Form.Name(), "Form1");
    EXPECT_EQ(Form.ComponentCount(), 3);
    EXPECT_EQ(Form.LoadedCount, 1);
}

TEST(FormRoundTrip, FilesInBothFormats) {
    std::string Dir = ::testing::TempDir();
    auto Root = LoadText(CanonicalFormText());
    SaveComponentToFile(Dir + "/core_form.txt", Root.get(), TFormFormat::Text);
    SaveComponentToFile(Dir + "/core_form.bin", Root.get(), TFormFormat::Binary);
    auto FromText = LoadComponentFromFile(Dir + "/core_form.txt");
    auto FromBin = LoadComponentFromFile(Dir + "/core_form.bin");
    EXPECT_EQ(ComponentToText(FromText.get()), CanonicalFormText());
    EXPECT_EQ(ComponentToText(FromBin.get()), CanonicalFormText());
    EXPECT_THROW(LoadComponentFromFile(Dir + "/no_such_form.txt"), EFOpenError);
}

TEST(FormRoundTrip, ColoursUseTheRegisteredNames) {
    std::string Name;
    std::int64_t Value = 0x0000FF; // red in the blue-green-red layout
    if (!ColorIntToIdent(Value, Name)) GTEST_SKIP() << "no colour names registered";
    TTestForm Form(nullptr);
    Form.SetName("F");
    auto* W = new TTestWidget(&Form);
    W->SetName("W");
    W->SetColor(static_cast<std::int32_t>(Value));
    std::string Text = ComponentToText(&Form);
    EXPECT_NE(Text.find("Color = " + Name + "\n"), std::string::npos) << Text;
    auto Back = LoadText(Text);
    EXPECT_EQ(As<TTestWidget>(*Back->FindComponent("W")).Color(), Value);
    EXPECT_THROW(
        LoadText("object F: TTestForm\n  object W: TTestWidget\n    Color = clNoSuchColour\n"
                 "  end\nend"),
        EReadError);
}
