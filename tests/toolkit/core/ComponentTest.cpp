// Ownership, names, notifications, the class registry and Assign.
#include "tests/toolkit/core/TestClasses.h"
#include "toolkit/core/Exceptions.h"

#include <gtest/gtest.h>

using namespace qel;
using namespace qel::test;

namespace {
// Records notifications and counts destructions.
class TWatcher : public TComponent {
    QEL_CLASS(TWatcher, TComponent)
  public:
    explicit TWatcher(TComponent* AOwner) : TComponent(AOwner) {}
    ~TWatcher() override { ++Destroyed; }
    void Notification(TComponent* AComponent, TOperation Operation) override {
        TComponent::Notification(AComponent, Operation);
        Log.push_back((Operation == opInsert ? "+" : "-") + AComponent->Name());
    }
    std::vector<std::string> Log;
    static inline int Destroyed = 0;
};
void DescribeWatcher(TClassBuilder<TWatcher>&) {}
} // namespace
QEL_IMPLEMENT_CLASS(TWatcher, TComponent, DescribeWatcher)

TEST(Component, OwnerFreesOwnedComponents) {
    TWatcher::Destroyed = 0;
    auto* Owner = new TWatcher(nullptr);
    auto* A = new TWatcher(Owner);
    new TWatcher(A); // grandchild
    new TWatcher(Owner);
    EXPECT_EQ(Owner->ComponentCount(), 2);
    EXPECT_EQ(A->Owner(), Owner);
    EXPECT_EQ(A->ComponentIndex(), 0);
    delete A; // leaves its owner's list
    EXPECT_EQ(TWatcher::Destroyed, 2);
    EXPECT_EQ(Owner->ComponentCount(), 1);
    delete Owner;
    EXPECT_EQ(TWatcher::Destroyed, 4);
}

TEST(Component, NamesAreValidatedAndUniqueUnderTheOwner) {
    TComponent Owner(nullptr);
    auto* A = new TComponent(&Owner);
    auto* B = new TComponent(&Owner);
    A->SetName("Button1");
    EXPECT_THROW(A->SetName("1abc"), EComponentError);
    EXPECT_THROW(A->SetName("a b"), EComponentError);
    EXPECT_THROW(B->SetName("BUTTON1"), EComponentError); // case-insensitive
    try {
        B->SetName("button1");
    } catch (const EComponentError& E) {
        EXPECT_STREQ(E.what(), "A component named button1 already exists");
    }
    A->SetName("BUTTON1"); // a component may change the case of its own name
    EXPECT_EQ(Owner.FindComponent("button1"), A);
    A->SetName("Other");
    EXPECT_EQ(Owner.FindComponent("Button1"), nullptr);
    B->SetName("Button1");
    EXPECT_EQ(Owner.FindComponent("button1"), B);
    delete B;
    EXPECT_EQ(Owner.FindComponent("Button1"), nullptr);
    EXPECT_THROW(Owner.Components(5), EListError);
}

TEST(Component, NotificationGoesToTheOwnerAndItsComponents) {
    auto* Owner = new TWatcher(nullptr);
    auto* Sibling = new TWatcher(Owner);
    Sibling->SetName("Sibling");
    auto* X = new TComponent(nullptr);
    X->SetName("X");
    Owner->InsertComponent(X);
    EXPECT_EQ(Owner->Log.back(), "+X");
    EXPECT_EQ(Sibling->Log.back(), "+X");
    delete X;
    EXPECT_EQ(Owner->Log.back(), "-X");
    EXPECT_EQ(Sibling->Log.back(), "-X");
    delete Owner;
}

TEST(Component, FreeNotificationClearsReferencesAcrossOwners) {
    // A widget on one form links a widget owned by another form; freeing the target (or
    // its whole form) must clear the link. ASan reports any dangling access here.
    auto* Form1 = new TTestForm(nullptr);
    auto* Form2 = new TTestForm(nullptr);
    auto* W = new TTestWidget(Form1);
    auto* Target = new TTestWidget(Form2);
    W->SetLink(Target);
    delete Target;
    EXPECT_EQ(W->Link(), nullptr);

    auto* Target2 = new TTestWidget(Form2);
    W->SetLink(Target2);
    delete Form2;
    EXPECT_EQ(W->Link(), nullptr);

    // And the other way: the watcher goes first, the target must forget it.
    auto* Form3 = new TTestForm(nullptr);
    auto* Target3 = new TTestWidget(Form3);
    W->SetLink(Target3);
    delete Form1;
    delete Form3; // would touch freed W if Target3 still listed it
}

TEST(Component, FreeNotificationWithinOneOwnerGoesThroughTheOwner) {
    auto* Form = new TTestForm(nullptr);
    auto* A = new TTestWidget(Form);
    auto* B = new TTestWidget(Form);
    auto* C = new TTestWidget(Form);
    A->SetLink(C);
    B->SetLink(C);
    delete C;
    EXPECT_EQ(A->Link(), nullptr);
    EXPECT_EQ(B->Link(), nullptr);
    // Freeing the whole form: B links A, A is destroyed first or last, never dangling.
    B->SetLink(A);
    A->SetLink(B);
    delete Form;
}

TEST(Component, DestroyingAndDesigningReachOwnedComponents) {
    TComponent Owner(nullptr);
    auto* A = new TComponent(&Owner);
    auto* B = new TComponent(A);
    Owner.SetDesigning(true);
    EXPECT_TRUE(A->IsDesigning());
    EXPECT_TRUE(B->IsDesigning());
    auto* Late = new TComponent(A); // inserted later into a designing owner
    EXPECT_TRUE(Late->IsDesigning());
    A->Destroying();
    EXPECT_TRUE(B->IsDestroying());
    EXPECT_FALSE(Owner.IsDestroying());
}

TEST(Component, RegistryFindsAndCreatesClassesByName) {
    EXPECT_EQ(GetClass("ttestwidget"), &TTestWidget::StaticClass());
    EXPECT_EQ(GetClass("TNoSuchClass"), nullptr);
    try {
        FindClass("TNoSuchClass");
        FAIL();
    } catch (const EClassNotFound& E) {
        EXPECT_STREQ(E.what(), "Class TNoSuchClass not found");
    }
    TComponent Owner(nullptr);
    TObject* O = FindClass("TTestWidget").CreateInstance(&Owner);
    EXPECT_TRUE(O->Is<TTestWidget>());
    EXPECT_EQ(Owner.ComponentCount(), 1);
    EXPECT_TRUE(TTestWidget::StaticClass().InheritsFrom(TComponent::StaticClass()));
    EXPECT_FALSE(TComponent::StaticClass().InheritsFrom(TTestWidget::StaticClass()));
    EXPECT_THROW(As<TTestForm>(*O), EInvalidCast);
    EXPECT_EQ(Cast<TTestForm>(O), nullptr);
    EXPECT_THROW(TStrings::StaticClass().CreateInstance(), EInvalidOperation);
}

TEST(Component, PropertiesListInheritedFirstAndFindIgnoresCase) {
    auto Props = TTestWidget::StaticClass().Properties();
    ASSERT_GE(Props.size(), 3u);
    EXPECT_EQ(Props[0]->Name, "Name");
    EXPECT_EQ(Props[1]->Name, "Tag");
    EXPECT_EQ(Props[2]->Name, "Caption");
    EXPECT_EQ(TTestWidget::StaticClass().FindProperty("font3d")->Kind, TPropKind::Class);
    EXPECT_EQ(TTestForm::StaticClass().FindMethod("buttonclick")->Name, "ButtonClick");
}

TEST(Persistent, AssignReportsIncompatibleClasses) {
    TTestFont A, B;
    A.SetOffset(5);
    B.Assign(&A);
    EXPECT_EQ(B.Offset(), 5);
    TStringList L;
    try {
        B.Assign(&L);
        FAIL();
    } catch (const EConvertError& E) {
        EXPECT_STREQ(E.what(), "Cannot assign a TStringList to a TTestFont");
    }
    EXPECT_THROW(L.Assign(nullptr), EConvertError);
}
