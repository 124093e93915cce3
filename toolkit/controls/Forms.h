#pragma once
// Forms and the application object. The application runs the GUI loop: window-system input,
// posted messages, Synchronize requests of worker threads, timers and merged repaints.
// ProcessMessages is called from tight loops (socket reads, per decoded line), so its empty
// case is one atomic load.
#include "toolkit/core/Component.h"
#include "toolkit/core/Event.h"
#include "toolkit/platform/MessageQueue.h"

#include <exception>
#include <functional>
#include <string>

namespace qel {

class TForm;
class TWinControl;
class TControl;
class THintWindow;

using TExceptionEvent = TEvent<void(TObject* Sender, const std::exception& E)>;
using TIdleEvent = TEvent<void(TObject* Sender, bool& Done)>;

class TApplication : public TComponent {
    QEL_CLASS(TApplication, TComponent)
  public:
    explicit TApplication(TComponent* AOwner);
    ~TApplication() override;

    void Initialize() {}
    // Creates a form of FormClass owned by the application; the first one becomes MainForm.
    TForm* CreateForm(const TClass& FormClass);
    template <class T> T* CreateForm(T*& Reference) {
        Reference = static_cast<T*>(CreateForm(T::StaticClass()));
        return Reference;
    }
    // Shows the main form and loops until Terminate (or the main form closes).
    void Run();
    // Handles everything pending and returns; costs one atomic load when nothing is.
    void ProcessMessages() {
        if (TMessageQueue::Main().HasWork()) ProcessPending();
    }
    // One turn of the loop: handles what is pending or, when nothing is, runs OnIdle and waits.
    void HandleMessage();
    void Terminate();
    bool Terminated() const { return Terminated_; }

    // Shows E through OnException or, without a handler, writes it to standard error
    // (EAbort is silent).
    void HandleException(TObject* Sender);
    void HandleException(TObject* Sender, const std::exception& E);
    void ShowException(const std::exception& E);

    const std::string& Title() const { return Title_; }
    void SetTitle(const std::string& V) { Title_ = V; }
    TForm* MainForm() const { return MainForm_; }
    void SetMainForm(TForm* F) { MainForm_ = F; }

    // Hints.
    bool ShowHint() const { return ShowHint_; }
    void SetShowHint(bool V);
    int HintPause() const { return HintPause_; }
    void SetHintPause(int V) { HintPause_ = V; }
    int HintShortPause() const { return HintShortPause_; }
    void SetHintShortPause(int V) { HintShortPause_ = V; }
    int HintHidePause() const { return HintHidePause_; }
    void SetHintHidePause(int V) { HintHidePause_ = V; }
    std::uint32_t HintColor() const { return HintColor_; }
    void SetHintColor(std::uint32_t V) { HintColor_ = V; }
    void ActivateHint(int ScreenX, int ScreenY);
    void CancelHint();
    THintWindow* HintWindow() const { return HintWindow_; }
    const std::string& Hint() const { return Hint_; }

    // Called by the controls layer on mouse moves and key presses to drive hints and
    // enter/leave; public so the layer stays in one place.
    void HintMouseMessage(TControl* Control, int ScreenX, int ScreenY);
    void NotifyControlDestroying(TControl* Control);

    TExceptionEvent OnException;
    TIdleEvent OnIdle;
    TNotifyEvent OnHint;

    // Nesting depth of modal loops (0 outside ShowModal).
    int ModalLevel() const { return ModalLevel_; }
    void EnterModal() { ++ModalLevel_; }
    void LeaveModal() { --ModalLevel_; }

  private:
    void ProcessPending();
    // Mouse enter/leave and hint tracking after input was handled.
    bool AfterInput();
    bool InPaint_ = false;
    void HintTimerExpired();
    void StartHintTimer(int Ms);
    void StopHintTimer();

    bool Terminated_ = false;
    bool InPending_ = false;
    std::string Title_;
    TForm* MainForm_ = nullptr;
    bool ShowHint_ = true;
    int HintPause_ = 500;
    int HintShortPause_ = 50;
    int HintHidePause_ = 2500;
    std::uint32_t HintColor_ = 0x80000000u | 24; // clInfoBk
    THintWindow* HintWindow_ = nullptr;
    TControl* HintControl_ = nullptr;
    std::string Hint_;
    int HintTimer_ = 0;
    bool HintActive_ = false;
    int HintX_ = 0, HintY_ = 0;
    int ModalLevel_ = 0;
};

// The process's application object. It exists from library load on, so tools without forms
// (mail command-line programs) can call Application->ProcessMessages().
extern TApplication* Application;

} // namespace qel
