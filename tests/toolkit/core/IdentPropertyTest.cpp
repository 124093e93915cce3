// Integer properties with value names (cursors, character sets) stream by name where the value
// has one and as a number otherwise.
#include "toolkit/core/Exceptions.h"
#include "toolkit/core/FormReader.h"
#include "toolkit/core/FormWriter.h"
#include "toolkit/core/Streams.h"

#include <gtest/gtest.h>

namespace qel {
namespace {

const TIdentMapHooks& ShapeIdents() {
    static const TIdentMapHooks H{[](std::string_view Id, std::int64_t& V) {
                                      if (Id == "shRound")
                                          V = -3;
                                      else if (Id == "shSquare")
                                          V = 7;
                                      else
                                          return false;
                                      return true;
                                  },
                                  [](std::int64_t V, std::string& Id) {
                                      if (V == -3)
                                          Id = "shRound";
                                      else if (V == 7)
                                          Id = "shSquare";
                                      else
                                          return false;
                                      return true;
                                  }};
    return H;
}

class TIdentHolder : public TComponent {
    QEL_CLASS(TIdentHolder, TComponent)
  public:
    using TComponent::TComponent;
    std::int16_t Shape() const { return Shape_; }
    void SetShape(std::int16_t V) { Shape_ = V; }

  private:
    std::int16_t Shape_ = 0;
};

void DescribeIdentHolder(TClassBuilder<TIdentHolder>& B) {
    B.Integer("Shape", &TIdentHolder::Shape, &TIdentHolder::SetShape)
        .SetDefault(0)
        .WithIdents(ShapeIdents());
}

} // namespace
QEL_IMPLEMENT_CLASS(TIdentHolder, TComponent, DescribeIdentHolder)
namespace {

std::unique_ptr<TComponent> Load(const std::string& Text) {
    TStringStream S(Text);
    return LoadComponentFromStream(S);
}

TEST(IdentProperty, NamedValuesRoundTripByNameAndOthersAsNumbers) {
    auto Root = Load("object H: TIdentHolder\n  Shape = shRound\nend\n");
    EXPECT_EQ(static_cast<TIdentHolder&>(*Root).Shape(), -3);
    EXPECT_EQ(ComponentToText(Root.get()), "object H: TIdentHolder\n  Shape = shRound\nend\n");

    static_cast<TIdentHolder&>(*Root).SetShape(12);
    EXPECT_EQ(ComponentToText(Root.get()), "object H: TIdentHolder\n  Shape = 12\nend\n");
    auto Again = Load("object H: TIdentHolder\n  Shape = 7\nend\n");
    EXPECT_EQ(ComponentToText(Again.get()), "object H: TIdentHolder\n  Shape = shSquare\nend\n");
}

TEST(IdentProperty, UnknownNameIsAnErrorWithTheLine) {
    try {
        Load("object H: TIdentHolder\n  Shape = shOval\nend\n");
        FAIL() << "no error";
    } catch (const EReadError& E) {
        std::string M = E.what();
        EXPECT_NE(M.find("shOval"), std::string::npos) << M;
        EXPECT_NE(M.find("2"), std::string::npos) << M;
    }
}

} // namespace
} // namespace qel
