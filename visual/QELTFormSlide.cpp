// The form-slide container: one hosted form at a time, switched with a transition.
#include "toolkit/controls/ControlCanvas.h"
#include "toolkit/core/Exceptions.h"
#include "toolkit/core/ScopeGuard.h"
#include "toolkit/graphics/Canvas.h"
#include "visual/QELTPresentation.h"

#include <exception>

namespace qel {

static void DescribeFormSlide(TClassBuilder<TQELFormSlide>& B) {
    using T = TQELFormSlide;
    // No default: the effect is always written.
    B.Enum("SlideEffect", &T::SlideEffect, &T::SetSlideEffect).NoDefault();
    B.Publish({"ShowHint", "Visible", "Align"});
}
QEL_IMPLEMENT_CLASS(TQELFormSlide, TCustomControl, DescribeFormSlide)

TQELFormSlide::TQELFormSlide(TComponent* AOwner)
    : TCustomControl(AOwner), FSnapshot(std::make_unique<TBitmap>()) {
    // Opaque: erasing under a switch in progress would wipe out what the effect has drawn.
    SetControlStyle(ControlStyle() - TControlStyle{csSetCaption} + TControlStyle{csOpaque});
}

// Child controls go with their parent, so the hosted forms leave first: a form the caller
// handed over goes back to where it was, one the container made is freed.
TQELFormSlide::~TQELFormSlide() {
    auto Leave = [this](TForm*& F, TWinControl*& Parent, bool Owned) {
        TForm* Form = F;
        TWinControl* Back = Parent;
        F = nullptr;
        Parent = nullptr;
        if (!Form) return;
        if (Owned) {
            delete Form;
            return;
        }
        Form->RemoveFreeNotification(this);
        Form->Hide();
        Form->SetParent(Back);
    };
    Leave(FOutgoing, FOutgoingParent, FOutgoingOwned);
    Leave(FForm, FSavedParent, FOwnsForm);
}

void TQELFormSlide::Notification(TComponent* AComponent, TOperation Operation) {
    TCustomControl::Notification(AComponent, Operation);
    if (Operation != opRemove) return;
    if (AComponent == FForm) {
        FForm = nullptr;
        FOwnsForm = false;
    }
    if (AComponent == FOutgoing) FOutgoing = nullptr;
    if (AComponent == FSavedParent) FSavedParent = nullptr;
    if (AComponent == FOutgoingParent) FOutgoingParent = nullptr;
}

void TQELFormSlide::Show(TForm* AForm) {
    if (!AForm || AForm == FForm || FBusy) return;
    Switch([AForm] { return AForm; }, false);
}

void TQELFormSlide::ShowInstance(const TClass& FormClass) {
    if (FBusy) return;
    if (!FormClass.InheritsFrom(TForm::StaticClass()) || FormClass.IsAbstract())
        throw EInvalidCast("Invalid class typecast");
    Switch([&FormClass] { return static_cast<TForm*>(FormClass.CreateInstance(nullptr)); }, true);
}

void TQELFormSlide::Watch(TComponent* C) {
    if (C) C->FreeNotification(this);
}

void TQELFormSlide::TakeSnapshot() {
    auto Shot = std::make_unique<TBitmap>();
    Shot->SetSize(FForm->Width(), FForm->Height());
    TCanvas* C = Shot->Canvas();
    C->Lock();
    {
        const TScopeExit Restore([&] { C->Unlock(); });
        FForm->PaintTo(C->Handle(), 0, 0);
    }
    FSnapshot = std::move(Shot);
    Canvas()->Draw(0, 0, FSnapshot.get());
}

void TQELFormSlide::Switch(const std::function<TForm*()>& Incoming, bool Created) {
    FBusy = true;
    const auto Life = LifeToken();
    struct TBusy {
        TQELFormSlide* Self;
        std::weak_ptr<const int> Life;
        ~TBusy() {
            if (!Life.expired()) Self->FBusy = false;
        }
    } Busy{this, Life};

    if (FForm) {
        TakeSnapshot();
        FOutgoing = FForm;
        FOutgoingParent = FSavedParent;
        FOutgoingOwned = FOwnsForm;
        FForm = nullptr;
        FSavedParent = nullptr;
        FOwnsForm = false;
    }

    TForm* In = Incoming();
    In->SetBorderStyle(bsNone);
    if (Created)
        In->SetBounds(In->Left(), In->Top(), Width(), Height());
    else
        In->SetBounds(In->Left(), In->Top(), ClientWidth(), ClientHeight());
    In->SetBounds(Screen->Width() + In->Left(), Screen->Height() + In->Top(), In->Width(),
                  In->Height());
    FSavedParent = In->Parent();
    Watch(FSavedParent);
    In->SetParent(this);
    FForm = In;
    FOwnsForm = Created;
    Watch(In);

    std::exception_ptr ShowError;
    try {
        In->Show();
    } catch (...) {
        if (Created) throw;
        ShowError = std::current_exception();
    }
    if (Life.expired()) return;
    // The form or the container may be freed by a handler while the effect pumps messages.
    if (FForm) {
        // Paints still owed from the move would otherwise land in the middle of the effect.
        Update();
        if (Life.expired()) return;
        const auto InLife = FForm->LifeToken();
        std::unique_ptr<TBitmap> Image(FForm->GetFormImage());
        DrawSlideEffect(FSlideEffect, Image->Canvas(), Canvas(), Width(), Height(),
                        [&] { return !Life.expired() && !InLife.expired(); });
        if (Life.expired()) return;
    }
    if (FForm) {
        MoveWindow(FForm->Handle(), 0, 0, FForm->Width(), FForm->Height(), FALSE);
        // The control's own idea of its place follows the window.
        FForm->SetBounds(0, 0, FForm->Width(), FForm->Height());
    }

    if (TForm* Out = FOutgoing) {
        TWinControl* Back = FOutgoingParent;
        const bool Owned = FOutgoingOwned;
        FOutgoing = nullptr;
        FOutgoingParent = nullptr;
        if (Owned) {
            delete Out;
        } else {
            Out->Hide();
            Out->SetParent(Back);
        }
    }
    if (ShowError) std::rethrow_exception(ShowError);
}

void TQELFormSlide::Paint() {
    TCanvas* C = Canvas();
    if (IsDesigning()) {
        C->Brush()->SetColor(clBtnShadow);
        C->Brush()->SetStyle(bsSolid);
        C->Pen()->SetColor(clBtnShadow);
        C->Pen()->SetStyle(psDash);
        C->Pen()->SetMode(pmCopy);
        C->Rectangle(ClientRect());
        return;
    }
    if (FBusy) return;
    if (FForm) {
        C->Draw(0, 0, FSnapshot.get());
        return;
    }
    C->Brush()->SetColor(Color());
    C->Brush()->SetStyle(bsSolid);
    C->FillRect(ClientRect());
}

} // namespace qel
