// Properties a base class declares unpublished and its subclasses publish by name: only the
// published ones stream, in the subclass's order, with the declared default unless the
// subclass states another.
#include "toolkit/core/Exceptions.h"
#include "toolkit/core/FormReader.h"
#include "toolkit/core/FormWriter.h"
#include "toolkit/core/Streams.h"

#include <gtest/gtest.h>
#include <string>
#include <vector>

namespace qel {
namespace {

class TGadget : public TComponent {
    QEL_CLASS(TGadget, TComponent)
  public:
    using TComponent::TComponent;
    int Size() const { return Size_; }
    void SetSize(int V) { Size_ = V; }
    bool Shown() const { return Shown_; }
    void SetShown(bool V) { Shown_ = V; }
    const std::string& Label() const { return Label_; }
    void SetLabel(const std::string& V) { Label_ = V; }
    int Weight() const { return Weight_; }
    void SetWeight(int V) { Weight_ = V; }

  private:
    int Size_ = 3;
    bool Shown_ = true;
    std::string Label_;
    int Weight_ = 0;
};

// Publishes Weight itself; Size, Shown and Label are for subclasses.
void DescribeGadget(TClassBuilder<TGadget>& B) {
    B.Integer("Weight", &TGadget::Weight, &TGadget::SetWeight).SetDefault(0);
    auto D = B.Unpublished();
    D.Integer("Size", &TGadget::Size, &TGadget::SetSize).SetDefault(3);
    D.Bool("Shown", &TGadget::Shown, &TGadget::SetShown).SetDefault(true);
    D.String("Label", &TGadget::Label, &TGadget::SetLabel);
}

class TKnob : public TGadget {
    QEL_CLASS(TKnob, TGadget)
  public:
    explicit TKnob(TComponent* AOwner) : TGadget(AOwner) { SetWeight(5); }
    int Turns() const { return Turns_; }
    void SetTurns(int V) { Turns_ = V; }

  private:
    int Turns_ = 0;
};

void DescribeKnob(TClassBuilder<TKnob>& B) {
    B.Publish("Shown");
    B.Integer("Turns", &TKnob::Turns, &TKnob::SetTurns).SetDefault(0);
    B.Publish({"Label", "Size"});
    B.Publish("Weight").SetDefault(5); // moves nothing, changes the default
}

std::vector<std::string> Names(const TClass& C) {
    std::vector<std::string> N;
    for (const TPropInfo* P : C.Properties())
        N.push_back(P->Name);
    return N;
}

} // namespace
QEL_IMPLEMENT_CLASS(TGadget, TComponent, DescribeGadget)
QEL_IMPLEMENT_CLASS(TKnob, TGadget, DescribeKnob)
namespace {

TEST(PublishByName, OnlyPublishedNamesStreamInTheSubclassOrder) {
    EXPECT_EQ(Names(TGadget::StaticClass()), (std::vector<std::string>{"Name", "Tag", "Weight"}));
    EXPECT_EQ(
        Names(TKnob::StaticClass()),
        (std::vector<std::string>{"Name", "Tag", "Weight", "Shown", "Turns", "Label", "Size"}));
    EXPECT_EQ(TGadget::StaticClass().FindProperty("Size"), nullptr);
    ASSERT_NE(TKnob::StaticClass().FindProperty("size"), nullptr);

    TKnob K(nullptr);
    K.SetName("K");
    EXPECT_EQ(ComponentToText(&K), "object K: TKnob\nend\n");
    K.SetShown(false);
    K.SetSize(4);
    K.SetLabel("x");
    K.SetWeight(0);
    const std::string Text = ComponentToText(&K);
    EXPECT_EQ(Text,
              "object K: TKnob\n  Weight = 0\n  Shown = False\n  Label = 'x'\n  Size = 4\nend\n");

    TStringStream S(Text);
    auto Again = LoadComponentFromStream(S);
    auto& L = static_cast<TKnob&>(*Again);
    EXPECT_FALSE(L.Shown());
    EXPECT_EQ(L.Size(), 4);
    EXPECT_EQ(L.Label(), "x");
    EXPECT_EQ(L.Weight(), 0);
}

TEST(PublishByName, AnUnpublishedNameIsNotReadFromTheBaseClassForm) {
    TStringStream S("object G: TGadget\n  Size = 9\nend\n");
    EXPECT_THROW(LoadComponentFromStream(S), EReadError);
}

TEST(PublishByName, NamesNoAncestorDeclaresAreRejected) {
    TClass C("TStray", &TKnob::StaticClass(), nullptr);
    TClassBuilder<TKnob> B(C);
    EXPECT_THROW(B.Publish("Turnz"), EInvalidOperation);
    // The subclass's own published entries and the ancestors' unpublished ones are both found.
    EXPECT_EQ(B.Publish("turns").Name, "Turns");
    EXPECT_EQ(B.Publish("Size").Default, 3);
}

} // namespace
} // namespace qel
