// The form-slide container: who keeps and who frees the hosted forms, the former parent given
// back, a second switch asked for during one, the design-time placeholder, and the container
// freed while a switch pumps messages.
#include "slide_effects_support.h"
#include "tests/toolkit/controls/ControlsTestSupport.h"
#include "toolkit/controls/ExtCtrls.h"
#include "toolkit/core/Exceptions.h"
#include "toolkit/platform/MessageQueue.h"
#include "toolkit/platform/Window.h"
#include "visual/QELTPresentation.h"

#include <gtest/gtest.h>

using namespace qel;
using namespace qel::test;

namespace {

int PageForms = 0;

// A form the container creates itself; it counts how many are alive.
class TPageForm : public TForm {
    QEL_CLASS(TPageForm, TForm)
  public:
    explicit TPageForm(TComponent* AOwner) : TForm(AOwner) {
        ++PageForms;
        SetColor(clLime);
    }
    ~TPageForm() override { --PageForms; }
};

} // namespace

QEL_IMPLEMENT_CLASS(TPageForm, TForm, NoProperties<TPageForm>)

namespace {

struct FormSlide : ::testing::Test {
    std::unique_ptr<TForm> Host;
    TQELFormSlide* C = nullptr;
    void SetUp() override {
        Headless();
        Host = std::make_unique<TForm>(nullptr);
        Host->SetBorderStyle(bsNone);
        Host->SetBounds(0, 0, 200, 150);
        Host->SetColor(clBlack);
        C = new TQELFormSlide(Host.get());
        C->SetParent(Host.get());
        C->SetBounds(20, 10, 80, 60);
        C->SetSlideEffect(efWipeLeftToRight);
        Host->Show();
        PumpUntil([] { return !HasPendingPaint(); });
    }
    void TearDown() override { SetSlideEffectPumpHook({}); }
    static std::unique_ptr<TForm> Page(TColor Color) {
        auto F = std::make_unique<TForm>(nullptr);
        F->SetColor(Color);
        F->SetBounds(5, 5, 30, 30);
        return F;
    }
    std::uint32_t At(int X, int Y) {
        PumpUntil([] { return !HasPendingPaint(); });
        return PixelAt(Host.get(), 20 + X, 10 + Y);
    }
};

TEST_F(FormSlide, ShowsAFormInsideAndGivesItBack) {
    auto Holder = std::make_unique<TPanel>(nullptr);
    Holder->SetParent(Host.get());
    Holder->SetBounds(150, 100, 40, 40);
    auto A = Page(clRed);
    A->SetParent(Holder.get());
    auto B = Page(clBlue);

    C->Show(nullptr);
    EXPECT_EQ(C->CurrentForm(), nullptr);
    C->Show(A.get());
    EXPECT_EQ(C->CurrentForm(), A.get());
    EXPECT_EQ(A->Parent(), C);
    EXPECT_EQ(A->BorderStyle(), bsNone);
    EXPECT_EQ(A->BoundsRect(), (TRect{0, 0, 80, 60}));
    EXPECT_EQ(At(0, 0), 0xFF0000u);
    EXPECT_EQ(At(79, 59), 0xFF0000u);
    EXPECT_FALSE(C->Busy());

    int Pumps = 0;
    SetSlideEffectPumpHook([&] { ++Pumps; });
    C->Show(A.get());
    EXPECT_EQ(Pumps, 0) << "the form shown already: nothing happens";

    C->Show(B.get());
    EXPECT_GT(Pumps, 0);
    EXPECT_EQ(C->CurrentForm(), B.get());
    EXPECT_EQ(A->Parent(), Holder.get()) << "the former parent is given back";
    EXPECT_FALSE(A->Visible());
    EXPECT_EQ(At(40, 30), 0x0000FFu);
}

TEST_F(FormSlide, FormsItMadeAreFreedWhenReplaced) {
    C->ShowInstance(TPageForm::StaticClass());
    EXPECT_EQ(PageForms, 1);
    EXPECT_EQ(At(10, 10), 0x00FF00u);
    C->ShowInstance(TPageForm::StaticClass());
    EXPECT_EQ(PageForms, 1) << "the first page went when the second came";
    auto B = Page(clBlue);
    C->Show(B.get());
    EXPECT_EQ(PageForms, 0);
    EXPECT_THROW(C->ShowInstance(TQELBackground::StaticClass()), EInvalidCast);
    EXPECT_EQ(C->CurrentForm(), B.get());
}

TEST_F(FormSlide, ASecondSwitchDuringOneIsIgnored) {
    auto A = Page(clRed);
    auto B = Page(clBlue);
    C->Show(A.get());
    TLoopHandler Handler;
    bool Asked = false;
    SetSlideEffectPumpHook([&] {
        if (Asked) return;
        Asked = true;
        Handler.Arm([&] {
            EXPECT_TRUE(C->Busy());
            C->Show(A.get());
            C->ShowInstance(TPageForm::StaticClass());
        });
    });
    C->Show(B.get());
    EXPECT_TRUE(Handler.Ran());
    EXPECT_EQ(C->CurrentForm(), B.get());
    EXPECT_EQ(PageForms, 0);
}

TEST_F(FormSlide, DesignTimePlaceholder) {
    C->SetDesigning(true);
    C->Invalidate();
    const std::uint32_t Shadow = PixelFromRGB(ColorToRGB(clBtnShadow));
    EXPECT_EQ(At(0, 0), Shadow);
    EXPECT_EQ(At(40, 30), Shadow);
    EXPECT_EQ(At(79, 59), Shadow);
}

// The host form is freed by a handler while the switch plays: the container goes with it,
// the caller's forms survive and nothing draws on freed memory.
TEST_F(FormSlide, HostFreedDuringASwitch) {
    auto A = Page(clRed);
    auto B = Page(clBlue);
    C->Show(A.get());
    TLoopHandler Handler;
    int Pumps = 0;
    SetSlideEffectPumpHook([&] {
        if (++Pumps == 50) Handler.Arm([&] { Host.reset(); });
    });
    C->Show(B.get());
    PumpUntil([&] { return !Host; });
    SetSlideEffectPumpHook({});
    ASSERT_FALSE(Host);
    EXPECT_LT(Pumps, 81 * 61);
    EXPECT_EQ(A->Parent(), nullptr);
    EXPECT_EQ(B->Parent(), nullptr);
}

// The incoming form is freed during its own transition: the switch ends without it.
TEST_F(FormSlide, IncomingFormFreedDuringTheSwitch) {
    auto A = Page(clRed);
    auto* B = new TForm(nullptr);
    C->Show(A.get());
    TLoopHandler Handler;
    int Pumps = 0;
    SetSlideEffectPumpHook([&] {
        if (++Pumps == 50) Handler.Arm([&] { delete B; });
    });
    C->Show(B);
    ASSERT_TRUE(Handler.Ran());
    SetSlideEffectPumpHook({});
    EXPECT_EQ(C->CurrentForm(), nullptr);
    EXPECT_FALSE(C->Busy());
    EXPECT_EQ(A->Parent(), nullptr);
}

} // namespace
