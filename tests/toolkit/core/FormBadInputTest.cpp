// Broken and hostile form files: a clear error with the line or offset, nothing leaked (ASan),
// no crash and no hang.
#include "tests/toolkit/core/TestClasses.h"
#include "toolkit/core/Exceptions.h"
#include "toolkit/core/FormReader.h"
#include "toolkit/core/FormWriter.h"
#include "toolkit/core/Streams.h"
#include "toolkit/core/TextForm.h"

#include <chrono>
#include <gtest/gtest.h>

using namespace qel;
using namespace qel::test;

namespace {

// The message of the exception E that loading Text throws.
template <class E> std::string LoadError(const std::string& Text, TFormLoadOptions O = {}) {
    TStringStream S(Text);
    try {
        LoadComponentFromStream(S, O);
    } catch (const E& X) {
        return X.what();
    } catch (const std::exception& X) {
        return std::string("wrong exception: ") + X.what();
    }
    return "no error";
}

std::string Form(const std::string& Body) {
    return "object Form1: TTestForm\n  object W: TTestWidget\n" + Body + "  end\nend\n";
}

std::string Binary(const std::string& Text) {
    TStringStream In(Text), Out;
    ObjectTextToBinary(In, Out);
    return Out.DataString();
}

} // namespace

TEST(FormBadInput, UnknownClassNamesTheLine) {
    EXPECT_EQ(LoadError<EReadError>("object Form1: TTestForm\n\n  object X: TNope\n  end\nend"),
              "Class TNope not found (line 3)");
    EXPECT_EQ(LoadError<EReadError>("object F: TNope\nend"), "Class TNope not found (line 1)");
    EXPECT_EQ(LoadError<EReadError>("object F: TTestFont\nend"),
              "TTestFont is not a component class (line 1)");
}

TEST(FormBadInput, UnknownPropertyIsAnErrorOrAWarning) {
    std::string Text = Form("    Width = 3\n    Colour = 5\n    Caption = 'x'\n");
    EXPECT_EQ(LoadError<EReadError>(Text),
              "Error reading W.Colour: Property Colour does not exist in TTestWidget (line 4)");
    EXPECT_EQ(LoadError<EReadError>(Form("    Font3D.Size = 3\n")),
              "Error reading W.Font3D.Size: Property Size does not exist in TTestFont (line 3)");

    // Skipped with a warning, the rest still read.
    std::vector<std::string> Warnings;
    TFormLoadOptions O;
    O.UnknownProperty = TReadPolicy::Warn;
    O.Warnings = &Warnings;
    TStringStream S(Text);
    auto Root = LoadComponentFromStream(S, O);
    EXPECT_EQ(As<TTestWidget>(*Root->FindComponent("W")).Caption(), "x");
    ASSERT_EQ(Warnings.size(), 1u);
    EXPECT_EQ(Warnings[0], "Property Colour does not exist in TTestWidget (line 4)");
}

TEST(FormBadInput, OnErrorHookCanSkipUnknownProperties) {
    TStringStream S(Form("    Colour = (1 2 (3))\n    Width = 4\n"));
    TMemoryStream Bin;
    std::vector<TOffsetLine> Lines;
    ObjectTextToBinary(S, Bin, &Lines);
    Bin.SetPosition(0);
    TReader R(Bin);
    R.SetLineMap(Lines);
    std::string Seen;
    R.OnError = [&](TReader&, const std::string& Msg) {
        Seen = Msg;
        return true;
    };
    std::unique_ptr<TComponent> Root(R.ReadRootComponent(nullptr));
    EXPECT_EQ(Seen, "Property Colour does not exist in TTestWidget");
    EXPECT_EQ(As<TTestWidget>(*Root->FindComponent("W")).Width(), 4);
}

TEST(FormBadInput, WrongValueTypes) {
    EXPECT_EQ(LoadError<EReadError>(Form("    Width = 'wide'\n")),
              "Error reading W.Width: Invalid property value: Width expects an integer, found a "
              "string (line 3)");
    EXPECT_EQ(LoadError<EReadError>(Form("    Shape = tsHexagon\n")),
              "Error reading W.Shape: Invalid property value: tsHexagon is not a value of Shape "
              "(line 3)");
    EXPECT_EQ(LoadError<EReadError>(Form("    Edges = [teLeft, teMiddle]\n")),
              "Error reading W.Edges: Invalid property value: teMiddle is not an element of Edges "
              "(line 3)");
    EXPECT_EQ(LoadError<EReadError>(Form("    Small = 256\n")),
              "Error reading W.Small: Invalid property value: 256 is out of range for Small (line "
              "3)");
    EXPECT_EQ(LoadError<EReadError>(Form("    Width = 3000000000\n")),
              "Error reading W.Width: Invalid property value: 3000000000 is out of range for Width "
              "(line 3)");
    EXPECT_NE(LoadError<EReadError>(Form("    Visible = 1\n")).find("expects a boolean"),
              std::string::npos);
    EXPECT_NE(LoadError<EReadError>(Form("    Font3D = 1\n")).find("expects a nested property"),
              std::string::npos);
    EXPECT_NE(LoadError<EReadError>(Form("    Letter = 'ab'\n")).find("single character"),
              std::string::npos);
}

TEST(FormBadInput, EventsAndReferences) {
    EXPECT_EQ(LoadError<EReadError>(Form("    OnClick = NoSuchMethod\n")),
              "Error reading W.OnClick: Method NoSuchMethod not found in TTestForm (line 3)");
    EXPECT_EQ(LoadError<EReadError>(Form("    OnClick = WrongSignature\n")),
              "Error reading W.OnClick: Method WrongSignature is incompatible with event OnClick "
              "(line 3)");
    EXPECT_EQ(LoadError<EReadError>(Form("    Width = 1\n    Link = Nobody\n")),
              "Component Nobody referenced by Link not found (line 4)");

    // Forms loaded without their code keep going and leave the event unassigned.
    std::vector<std::string> Warnings;
    TFormLoadOptions O;
    O.MissingMethod = TReadPolicy::Warn;
    O.UnresolvedReference = TReadPolicy::Warn;
    O.Warnings = &Warnings;
    TStringStream S(Form("    OnClick = NoSuchMethod\n    Link = Nobody\n"));
    auto Root = LoadComponentFromStream(S, O);
    auto& W = As<TTestWidget>(*Root->FindComponent("W"));
    EXPECT_FALSE(W.OnClick.Assigned());
    EXPECT_EQ(W.Link(), nullptr);
    EXPECT_EQ(Warnings.size(), 2u);
}

TEST(FormBadInput, ADesignedFormKeepsHandlerNamesItHasNoCodeFor) {
    TFormLoadOptions O;
    O.Designing = true;
    std::string Text = Form("    Columns = <>\n    OnClick = SomeHandler\n");
    for (const std::string& In : {Text, Binary(Text)}) {
        TStringStream S(In);
        auto Root = LoadComponentFromStream(S, O);
        auto& W = As<TTestWidget>(*Root->FindComponent("W"));
        EXPECT_FALSE(W.OnClick.Assigned()) << "there is no code to run";
        EXPECT_EQ(ComponentToText(Root.get()), Text);
        TStringStream Bin;
        WriteComponent(Bin, Root.get(), TFormFormat::Binary);
        TStringStream Again(Bin.DataString());
        EXPECT_EQ(ComponentToText(LoadComponentFromStream(Again, O).get()), Text);
    }
    // A method the form does publish is still bound for real.
    TStringStream S(Form("    OnClick = ButtonClick\n"));
    auto Root = LoadComponentFromStream(S, O);
    EXPECT_TRUE(As<TTestWidget>(*Root->FindComponent("W")).OnClick.Assigned());
}

TEST(FormBadInput, SyntaxErrorsNameTheLine) {
    EXPECT_EQ(LoadError<EParserError>(Form("    Caption = 'open\n")),
              "Unterminated string on line 3");
    EXPECT_EQ(LoadError<EParserError>("object Form1: TTestForm\n  Tag = 1\n"),
              "'end' expected on line 3");
    EXPECT_EQ(LoadError<EParserError>("thing Form1: TTestForm\nend"),
              "'object' expected on line 1");
    EXPECT_EQ(LoadError<EParserError>(Form("    Width = )\n")),
              "Invalid property value ')' on line 3");
    EXPECT_EQ(LoadError<EParserError>(Form("    Data = {0A1}\n")),
              "Odd number of hexadecimal digits in binary data on line 3");
    EXPECT_EQ(LoadError<EParserError>(Form("    Data = {0G}\n")),
              "Invalid hexadecimal digit in binary data on line 3");
    EXPECT_EQ(LoadError<EParserError>(Form("    Caption = 'a' + \n")), "String expected on line 4");
    EXPECT_EQ(LoadError<EParserError>(Form("    Caption = #55296\n")),
              "Character code is a lone surrogate on line 3");
    EXPECT_EQ(LoadError<EParserError>(Form("    Caption = '\xC3('\n")),
              "Invalid UTF-8 in string on line 3");
    EXPECT_EQ(LoadError<EParserError>(Form("    W\xC3\xA9 = 1\n")),
              "Invalid character #195 on line 3");
    EXPECT_EQ(LoadError<EParserError>("object F: TTestForm\nend\nobject G: TTestForm\nend"),
              "End of file expected after the last 'end' on line 3");
    EXPECT_EQ(LoadError<EParserError>(""), "'object' expected on line 1");
    // Currency is held in ten-thousandths: the largest value that fits is read, one more is not.
    EXPECT_EQ(LoadError<EParserError>(Form("    Tag = 922337203685477.5808c\n")),
              "Currency 922337203685477.5808 out of range on line 3");
    EXPECT_EQ(LoadError<EParserError>(Form("    Tag = 9223372036854775c\n")),
              "Currency 9223372036854775 out of range on line 3");
    EXPECT_EQ(LoadError<EParserError>(Form("    Tag = -922337203685477.5809c\n")),
              "Currency -922337203685477.5809 out of range on line 3");
    EXPECT_NO_THROW(Binary(Form("    Tag = 922337203685477.5807c\n")));
    EXPECT_NO_THROW(Binary(Form("    Tag = -922337203685477.5808c\n")));
}

TEST(FormBadInput, DeepNestingIsLimited) {
    std::string Deep = "object F: TTestForm\n";
    for (int I = 0; I < 10000; ++I)
        Deep += "object W" + std::to_string(I) + ": TTestWidget\n";
    std::string Msg = LoadError<EParserError>(Deep);
    EXPECT_EQ(Msg, "Form nested deeper than 256 levels on line 257");
    std::string Lists = Form("    Lines = " + std::string(10000, '(') + "\n");
    EXPECT_EQ(LoadError<EParserError>(Lists), "Form nested deeper than 256 levels on line 3");
}

TEST(FormBadInput, DeepBinaryNestingIsLimited) {
    std::string Bin = std::string("TPF0") + "\x09TTestForm" +
                      "\x01"
                      "F" +
                      std::string(1, '\0');
    const std::string Child = std::string("\x0BTTestWidget") + std::string(2, '\0');
    for (int I = 0; I < 10000; ++I)
        Bin += Child;
    Bin += std::string(10001, '\0');
    std::string Msg = LoadError<EReadError>(Bin);
    EXPECT_NE(Msg.find("Form data nested deeper than 256 levels (offset "), std::string::npos)
        << Msg;
    TStringStream In(Bin), Out;
    EXPECT_THROW(ObjectBinaryToText(In, Out), EReadError);
}

TEST(FormBadInput, HugeStringsAreRefusedQuickly) {
    auto Start = std::chrono::steady_clock::now();
    std::string Big = Form("    Caption = '" + std::string(100 * 1024 * 1024, 'x') + "'\n");
    EXPECT_EQ(LoadError<EParserError>(Big), "String longer than 16777216 bytes on line 3");
    // Many pieces joined with + are limited the same way, without quadratic copying.
    std::string Piece = "'" + std::string(60, 'y') + "' +\n";
    std::string Joined = "    Caption = ";
    for (int I = 0; I < 300000; ++I)
        Joined += Piece;
    Joined += "'end'\n";
    EXPECT_NE(LoadError<EParserError>(Form(Joined)).find("String longer than 16777216 bytes"),
              std::string::npos);
    // Not a speed measurement: copying the joined string anew for each piece would take hours,
    // so any bound a loaded sanitizer build keeps catches it.
    EXPECT_LT(std::chrono::steady_clock::now() - Start, std::chrono::seconds(150));
}

TEST(FormBadInput, TruncatedBinaryNamesTheOffset) {
    std::string Bin = Binary(CanonicalFormText());
    // Every prefix of a valid binary form fails cleanly.
    for (std::size_t N = 0; N < Bin.size(); ++N) {
        std::string Msg = LoadError<EReadError>(Bin.substr(0, N));
        if (N < 4) {
            EXPECT_NE(Msg.find("wrong exception"), std::string::npos); // read as text
            continue;
        }
        EXPECT_NE(Msg.find("(offset "), std::string::npos) << N << ": " << Msg;
    }
    EXPECT_EQ(LoadError<EReadError>(Bin.substr(0, 40)), "Unexpected end of form data (offset 40)");
}

TEST(FormBadInput, ForgedLengthsAndTypesInBinary) {
    // Root F of TTestForm, then its string property Name with a forged value.
    std::string Head = std::string("TPF0") + "\x09TTestForm" +
                       "\x01"
                       "F" +
                       "\x04Name";
    // A long string claiming 2 GB: refused before allocating.
    EXPECT_EQ(LoadError<EReadError>(Head + "\x0C" + std::string("\xFF\xFF\xFF\x7F", 4) + "abc"),
              "Error reading F.Name: String of 2147483647 bytes exceeds the limit of 16777216 "
              "bytes (offset 22)");
    EXPECT_EQ(LoadError<EReadError>(Head + "\x0C" + std::string("\x00\x00\x01\x00", 4) + "abc"),
              "Error reading F.Name: Unexpected end of form data (offset 22)");
    EXPECT_EQ(LoadError<EReadError>(Head + "\x63"),
              "Error reading F.Name: Invalid value type 99 (offset 21)");
    EXPECT_EQ(LoadError<EReadError>(Head + "\x14" + std::string("\x02\x00\x00\x00", 4) + "\xC3(" +
                                    std::string("\0\0", 2)),
              "Error reading F.Name: Invalid UTF-8 in string (offset 21)");
    EXPECT_EQ(LoadError<EReadError>(std::string("TPF1xxxx")),
              "wrong exception: 'object' expected on line 1");
}

TEST(FormBadInput, FailedReadIntoExistingRootFreesWhatItCreated) {
    TTestForm Form(nullptr);
    auto* Mine = new TTestWidget(&Form);
    Mine->SetName("Mine");
    TStringStream S("object Form1: TTestForm\n  object A: TTestWidget\n  end\n"
                    "  object B: TTestWidget\n    Bogus = 1\n  end\nend\n");
    EXPECT_THROW(ReadComponent(S, &Form), EReadError);
    ASSERT_EQ(Form.ComponentCount(), 1);
    EXPECT_EQ(Form.Components(0), Mine);
    EXPECT_FALSE(Form.IsLoading());
}

TEST(FormBadInput, DuplicateAndInvalidComponentNames) {
    EXPECT_EQ(LoadError<EReadError>("object F: TTestForm\n  object A: TTestWidget\n  end\n"
                                    "  object a: TTestWidget\n  end\nend\n"),
              "A component named a already exists (line 4)");
}
