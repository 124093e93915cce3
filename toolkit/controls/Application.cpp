#include "toolkit/controls/ControlCanvas.h"
#include "toolkit/controls/Forms.h"
#include "toolkit/core/Exceptions.h"
#include "toolkit/platform/Backend.h"
#include "toolkit/platform/Window.h"

#include <algorithm>
#include <cstdio>

namespace qel {

// Never freed: forms owned by the application may still hold windows of a backend whose
// statics are gone by the time global destructors run.
TApplication* Application = new TApplication(nullptr);

TApplication::TApplication(TComponent* AOwner) : TComponent(AOwner) {
    // The thread that loads the library runs the GUI; pin the queue to it before a worker
    // thread could be the first to touch it.
    TMessageQueue::Main();
}

TApplication::~TApplication() = default;

void TApplication::ProcessPending() {
    auto& Q = TMessageQueue::Main();
    if (!Q.IsGuiThread()) return;
    Q.ClearWork();
    // A bounded number of rounds: a handler that keeps posting cannot freeze the caller.
    for (int Round = 0; Round < 4; ++Round) {
        bool Any = false;
        auto Step = [&](auto&& Fn) {
            try {
                if (Fn()) Any = true;
            } catch (...) {
                HandleException(this);
                Any = true;
            }
        };
        Step([] { return PumpWindowInput(); });
        Step([&] { return Q.RunSynchronized(); });
        Step([] { return DispatchPostedMessages(); });
        Step([&] { return Q.RunTimers(); });
        Step([&] { return AfterInput(); });
        FreeDeviceContexts();
        // Painting inside a paint handler that pumps messages would paint half-drawn state.
        if (!InPaint_) {
            InPaint_ = true;
            Step([] { return PaintPendingWindows(); });
            InPaint_ = false;
        }
        if (!Any) break;
    }
    if (Q.HasPosted() || HasPendingPaint()) Q.Signal();
}

// Enter/leave tracking: after input, the control under the mouse (or holding the capture)
// gets CM_MOUSEENTER and the previous one CM_MOUSELEAVE.
bool TApplication::AfterInput() {
    TPoint P;
    GetCursorPos(&P);
    TControl* Target = GetCaptureControl();
    if (!Target) Target = FindDragTarget(P, true);
    if (Target == MouseControl_) return false;
    TControl* Old = MouseControl_;
    MouseControl_ = Target;
    if (Old) Old->Perform(CM_MOUSELEAVE, 0, 0);
    if (Target && MouseControl_ == Target) Target->Perform(CM_MOUSEENTER, 0, 0);
    if (!Target) {
        CancelHint();
        HintControl_ = nullptr;
    }
    return false;
}

void TApplication::NotifyControlDestroying(TControl* C) {
    if (MouseControl_ == C) MouseControl_ = nullptr;
    if (HintControl_ == C) {
        CancelHint();
        HintControl_ = nullptr;
    }
    if (HintWindow_ == C) {
        HintWindow_ = nullptr;
        HintActive_ = false;
    }
}

TForm* TApplication::CreateForm(const TClass& FormClass) {
    TObject* O = FormClass.CreateInstance(this);
    auto* F = Cast<TForm>(O);
    if (!F) {
        delete O;
        throw EInvalidCast("'" + FormClass.ClassName() + "' is not a form class");
    }
    if (!MainForm_) MainForm_ = F;
    return F;
}

void TApplication::Run() {
    if (MainForm_) MainForm_->Show();
    while (!Terminated_) {
        HandleMessage();
        if (!MainForm_) break;
    }
}

// Switching hints off frees the hint window and switching them on creates a new one from
// HintWindowClass, which is how a package installs its own hint window class.
void TApplication::SetShowHint(bool V) {
    if (V == ShowHint_) return;
    ShowHint_ = V;
    if (!V) {
        CancelHint();
        HintControl_ = nullptr;
        if (HintWindow_) {
            delete HintWindow_;
            HintWindow_ = nullptr;
        }
    } else if (!HintWindow_ && HintWindowClass) {
        TObject* O = HintWindowClass->CreateInstance(this);
        HintWindow_ = Cast<THintWindow>(O);
        if (!HintWindow_) delete O;
    }
}

void TApplication::StartHintTimer(int Ms) {
    StopHintTimer();
    HintTimer_ = TMessageQueue::Main().AddTimer(static_cast<unsigned>(std::max(1, Ms)),
                                                [this] { HintTimerExpired(); });
}

void TApplication::StopHintTimer() {
    if (HintTimer_) TMessageQueue::Main().RemoveTimer(HintTimer_);
    HintTimer_ = 0;
}

namespace {
bool EffectiveShowHint(TControl* C) {
    for (; C; C = C->Parent()) {
        if (!C->ParentShowHint()) return C->ShowHint();
        if (!C->Parent()) return C->ShowHint();
    }
    return false;
}
// The control whose hint applies: the nearest one up the parents that has a hint text.
TControl* HintSource(TControl* C) {
    for (; C; C = C->Parent())
        if (!C->Hint().empty()) return C;
    return nullptr;
}
} // namespace

void TApplication::SetHint(const std::string& V) {
    if (V == Hint_) return;
    Hint_ = V;
    if (OnHint) {
        OnHint(this);
        return;
    }
    if (!Screen) return;
    for (int I = 0; I < Screen->FormCount(); ++I) {
        TMessage M{CM_APPHINT, 0, 0, 0};
        Screen->Forms(I)->Broadcast(M);
    }
}

void TApplication::HintMouseMessage(TControl* Control, int X, int Y) {
    HintX_ = X, HintY_ = Y;
    TControl* Target = FindDragTarget({X, Y}, true);
    if (!Target) Target = Control;
    TControl* Source = HintSource(Target);
    if (!IsDesigning()) SetHint(Source ? GetLongHint(Source->Hint()) : std::string());
    if (!ShowHint_ || !Source || !EffectiveShowHint(Target) || IsDesigning()) {
        if (HintControl_) CancelHint();
        HintControl_ = nullptr;
        return;
    }
    if (Source == HintControl_) return;
    bool WasActive = HintActive_;
    if (HintWindow_ && HintWindow_->Visible()) HintWindow_->ReleaseHandle();
    HintControl_ = Source;
    StartHintTimer(WasActive ? HintShortPause_ : HintPause_);
}

void TApplication::HintTimerExpired() {
    StopHintTimer();
    if (HintActive_ && HintWindow_ && HintWindow_->Visible()) {
        // The hide pause ran out.
        CancelHint();
        return;
    }
    if (HintControl_) ActivateHint(HintX_, HintY_);
}

void TApplication::ActivateHint(int X, int Y) {
    TControl* C = HintControl_;
    if (!C || !ShowHint_) return;
    THintInfo Info;
    Info.HintControl = C;
    Info.HintWindowClass = HintWindowClass;
    Info.HintPos = {X, Y + 16};
    Info.HintMaxWidth = Screen->Width();
    Info.HintColor = HintColor_;
    Info.CursorPos = C->ScreenToClient({X, Y});
    Info.CursorRect = C->ClientRect();
    Info.HideTimeout = HintHidePause_;
    Info.HintStr = GetShortHint(C->Hint());
    if (C->Perform(CM_HINTSHOW, 0, reinterpret_cast<LPARAM>(&Info)) != 0 || Info.HintStr.empty()) {
        HintActive_ = false;
        return;
    }
    if (HintWindow_ && &HintWindow_->ClassType() != Info.HintWindowClass) {
        delete HintWindow_;
        HintWindow_ = nullptr;
    }
    if (!HintWindow_) {
        TObject* O = Info.HintWindowClass->CreateInstance(this);
        HintWindow_ = Cast<THintWindow>(O);
        if (!HintWindow_) {
            delete O;
            return;
        }
    }
    HintWindow_->SetColor(Info.HintColor);
    TRect R = HintWindow_->CalcHintRect(Info.HintMaxWidth, Info.HintStr, Info.HintData);
    OffsetRect(&R, Info.HintPos.X, Info.HintPos.Y);
    HintWindow_->ActivateHintData(R, Info.HintStr, Info.HintData);
    HintActive_ = true;
    if (Info.HideTimeout > 0) StartHintTimer(Info.HideTimeout);
}

// The control stays the hint control: a hint put away by a click, a key or its hide pause does
// not come back while the pointer stays on that control, only after it moved to another one.
void TApplication::CancelHint() {
    StopHintTimer();
    if (HintWindow_ && HintWindow_->Visible()) HintWindow_->ReleaseHandle();
    HintActive_ = false;
}

void TApplication::HandleMessage() {
    auto& Q = TMessageQueue::Main();
    if (Q.HasWork()) {
        ProcessPending();
        return;
    }
    bool Done = true;
    if (OnIdle) {
        try {
            OnIdle(this, Done);
        } catch (...) {
            HandleException(this);
        }
    }
    if (Done && !Terminated_) {
        // Asleep until input, a message, a signal or the next timer: a quiet program does
        // not wake.
        int Fd = -1;
        bool Queued = false;
        if (BackendChosen()) {
            Fd = Backend().EventFd();
            Queued = Backend().PrepareToWait();
        }
        if (!Queued) Q.WaitForWork(Q.MillisToNextTimer(), Fd);
    }
    ProcessPending();
}

bool TApplication::HelpContext(int Context) {
    if (!OnHelp) return false;
    bool CallHelp = true;
    return OnHelp(HELP_CONTEXT, Context, CallHelp);
}

void TApplication::Terminate() {
    Terminated_ = true;
    TMessageQueue::Main().Signal();
}

void TApplication::HandleException(TObject* Sender) {
    std::exception_ptr P = std::current_exception();
    if (!P) return;
    try {
        std::rethrow_exception(P);
    } catch (const EAbort&) {
    } catch (const std::exception& E) {
        HandleException(Sender, E);
    } catch (...) {
        HandleException(Sender, Exception("Unknown exception"));
    }
}

void TApplication::HandleException(TObject* Sender, const std::exception& E) {
    if (dynamic_cast<const EAbort*>(&E)) return;
    if (OnException) {
        OnException(Sender, E);
        return;
    }
    ShowException(E);
}

void TApplication::ShowException(const std::exception& E) {
    std::string Msg = E.what();
    if (!Msg.empty() && Msg.back() != '.') Msg += '.';
    std::fprintf(stderr, "%s%s%s\n", Title_.c_str(), Title_.empty() ? "" : ": ", Msg.c_str());
}

QEL_IMPLEMENT_CLASS(TApplication, TComponent, NoProperties<TApplication>)

} // namespace qel
