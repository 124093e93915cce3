// Form files name cursors and character sets; a file written by the classic designer uses
// DEFAULT_CHARSET and crHandPoint rather than numbers.
#include "toolkit/controls/Forms.h"
#include "toolkit/controls/StdCtrls.h"
#include "toolkit/core/FormReader.h"
#include "toolkit/core/FormWriter.h"
#include "toolkit/core/Streams.h"
#include "toolkit/graphics/Font.h"

#include <gtest/gtest.h>

namespace qel {
namespace {

TEST(StreamIdents, CursorAndCharsetReadAndWriteByName) {
    const std::string Text = "object Form1: TForm\n"
                             "  object Label1: TLabel\n"
                             "    Cursor = crHandPoint\n"
                             "    Font.Charset = ANSI_CHARSET\n"
                             "  end\n"
                             "end\n";
    TStringStream S(Text);
    auto Root = LoadComponentFromStream(S);
    auto* L = dynamic_cast<TLabel*>(Root->FindComponent("Label1"));
    ASSERT_NE(L, nullptr);
    EXPECT_EQ(L->Cursor(), crHandPoint);
    EXPECT_EQ(L->Font()->Charset(), ANSI_CHARSET);

    std::string Out = ComponentToText(Root.get());
    EXPECT_NE(Out.find("Cursor = crHandPoint"), std::string::npos) << Out;
    EXPECT_NE(Out.find("Font.Charset = ANSI_CHARSET"), std::string::npos) << Out;
}

TEST(StreamIdents, UnnamedCursorStaysANumber) {
    TStringStream S("object Form1: TForm\n  object Label1: TLabel\n    Cursor = 5\n  end\nend\n");
    auto Root = LoadComponentFromStream(S);
    std::string Out = ComponentToText(Root.get());
    EXPECT_NE(Out.find("Cursor = 5"), std::string::npos) << Out;
}

} // namespace
} // namespace qel
