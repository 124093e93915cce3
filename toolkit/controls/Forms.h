#pragma once
// Forms and the application object. The application runs the GUI loop: window-system input,
// posted messages, Synchronize requests of worker threads, timers and merged repaints.
// ProcessMessages is called from tight loops (socket reads, per decoded line), so its empty
// case is one atomic load.
#include "toolkit/controls/Controls.h"
#include "toolkit/core/Component.h"
#include "toolkit/core/Event.h"
#include "toolkit/core/Export.h"
#include "toolkit/platform/MessageQueue.h"

#include <exception>
#include <functional>
#include <string>

QEL_PUBLIC_BEGIN

namespace qel {

class TForm;
class TCustomForm;
class THintWindow;
class TBitmap;

enum TBorderIcon { biSystemMenu, biMinimize, biMaximize, biHelp };
QEL_ENUM_INFO(TBorderIcon, "biSystemMenu", "biMinimize", "biMaximize", "biHelp")
using TBorderIcons = TSet<TBorderIcon>;
enum TFormStyle { fsNormal, fsMDIChild, fsMDIForm, fsStayOnTop };
QEL_ENUM_INFO(TFormStyle, "fsNormal", "fsMDIChild", "fsMDIForm", "fsStayOnTop")
enum TPosition {
    poDesigned,
    poDefault,
    poDefaultPosOnly,
    poDefaultSizeOnly,
    poScreenCenter,
    poDesktopCenter
};
QEL_ENUM_INFO(TPosition, "poDesigned", "poDefault", "poDefaultPosOnly", "poDefaultSizeOnly",
              "poScreenCenter", "poDesktopCenter")
enum TWindowState { wsNormal, wsMinimized, wsMaximized };
QEL_ENUM_INFO(TWindowState, "wsNormal", "wsMinimized", "wsMaximized")
enum TCloseAction { caNone, caHide, caFree, caMinimize };
QEL_ENUM_INFO(TCloseAction, "caNone", "caHide", "caFree", "caMinimize")

using TModalResult = int;
enum : TModalResult {
    mrNone = 0,
    mrOk = 1,
    mrCancel = 2,
    mrAbort = 3,
    mrRetry = 4,
    mrIgnore = 5,
    mrYes = 6,
    mrNo = 7,
    mrAll = 8,
    mrNoToAll = 9,
    mrYesToAll = 10
};

using TCloseEvent = TEvent<void(TObject* Sender, TCloseAction& Action)>;
using TCloseQueryEvent = TEvent<void(TObject* Sender, bool& CanClose)>;

class TCustomForm : public TWinControl {
    QEL_CLASS(TCustomForm, TWinControl)
  public:
    explicit TCustomForm(TComponent* AOwner);
    ~TCustomForm() override;

    TFormBorderStyle BorderStyle() const { return BorderStyle_; }
    void SetBorderStyle(TFormBorderStyle V);
    TBorderIcons BorderIcons() const { return BorderIcons_; }
    void SetBorderIcons(TBorderIcons V);
    TFormStyle FormStyle() const { return FormStyle_; }
    void SetFormStyle(TFormStyle V);
    TPosition Position() const { return Position_; }
    void SetPosition(TPosition V) { Position_ = V; }
    TWindowState WindowState() const { return WindowState_; }
    void SetWindowState(TWindowState V) { WindowState_ = V; }
    TModalResult ModalResult() const { return ModalResult_; }
    void SetModalResult(TModalResult V);
    TWinControl* ActiveControl() const { return ActiveControl_; }
    void SetActiveControl(TWinControl* V);
    bool KeyPreview() const { return KeyPreview_; }
    void SetKeyPreview(bool V) { KeyPreview_ = V; }
    int PixelsPerInch() const { return PixelsPerInch_; }
    void SetPixelsPerInch(int V) { PixelsPerInch_ = V; }
    int TextHeight() const { return TextHeight_; }
    void SetTextHeight(int V) { TextHeight_ = V; }
    bool Scaled() const { return Scaled_; }
    void SetScaled(bool V) { Scaled_ = V; }
    bool OldCreateOrder() const { return OldCreateOrder_; }
    void SetOldCreateOrder(bool V) { OldCreateOrder_ = V; }
    bool Active() const { return Active_; }
    bool Modal() const { return InModal_; }
    TCanvas* Canvas() const;

    void Show();
    void Hide();
    TModalResult ShowModal();
    void Close();
    bool CloseQuery();
    // Frees the form once the handler that asked for it has returned.
    void Release();
    // The client area as a bitmap (caller owns it).
    TBitmap* GetFormImage();
    void FocusControl(TWinControl* Control);
    bool SetFocusedControl(TWinControl* Control);
    void DefocusControl(TWinControl* Control, bool Removing);
    bool SettingFocus() const { return SettingFocus_; }
    void SetFocus() override;
    bool CanFocus() const override;

    void WndProc(TMessage& Message) override;
    void Loaded() override;

    TNotifyEvent OnCreate;
    TNotifyEvent OnDestroy;
    TNotifyEvent OnShow;
    TNotifyEvent OnHide;
    TNotifyEvent OnPaint;
    TNotifyEvent OnActivate;
    TNotifyEvent OnDeactivate;
    TCloseEvent OnClose;
    TCloseQueryEvent OnCloseQuery;

  protected:
    void CreateParams(TCreateParams& Params) override;
    void CreateWnd() override;
    virtual void Paint();
    void PaintWindow(HDC DC) override;
    virtual void DoCreate();
    virtual void DoDestroy();
    virtual void DoShow();
    virtual void DoHide();
    virtual void DoClose(TCloseAction& Action);
    void Activate();
    void Deactivate();
    friend class TWinControl;
    friend class TApplication;
    friend class TScreen;

  private:
    void PlaceOnScreen();
    void FocusFirst();
    TFormBorderStyle BorderStyle_ = bsSizeable;
    TBorderIcons BorderIcons_{biSystemMenu, biMinimize, biMaximize};
    TFormStyle FormStyle_ = fsNormal;
    TPosition Position_ = poDesigned;
    TWindowState WindowState_ = wsNormal;
    TModalResult ModalResult_ = mrNone;
    TWinControl* ActiveControl_ = nullptr;
    TWinControl* FocusedControl_ = nullptr;
    bool KeyPreview_ = false;
    int PixelsPerInch_ = 96;
    int TextHeight_ = 13;
    bool Scaled_ = true;
    bool OldCreateOrder_ = false;
    bool Active_ = false;
    bool InModal_ = false;
    bool SettingFocus_ = false;
    bool Created_ = false;
    bool Placed_ = false;
    TControlCanvas* Canvas_ = nullptr;
};

class TForm : public TCustomForm {
    QEL_CLASS(TForm, TCustomForm)
  public:
    explicit TForm(TComponent* AOwner);
};

// What a control may change before its hint shows (CM_HINTSHOW carries a pointer to it).
struct THintInfo {
    TControl* HintControl = nullptr;
    const TClass* HintWindowClass = nullptr;
    TPoint HintPos;
    int HintMaxWidth = 0;
    TColor HintColor = clInfoBk;
    TRect CursorRect;
    TPoint CursorPos;
    int ReshowTimeout = 0;
    int HideTimeout = 0;
    std::string HintStr;
    void* HintData = nullptr;
};

class THintWindow : public TCustomControl {
    QEL_CLASS(THintWindow, TCustomControl)
  public:
    explicit THintWindow(TComponent* AOwner);
    // Shows Hint in Rect (screen coordinates) without taking the focus.
    virtual void ActivateHint(TRect Rect, const std::string& Hint);
    virtual void ActivateHintData(TRect Rect, const std::string& Hint, void* Data);
    // Size of the window for Hint, at (0, 0).
    virtual TRect CalcHintRect(int MaxWidth, const std::string& Hint, void* Data);
    virtual bool IsHintMsg(const TMessage& Msg);
    void ReleaseHandle();

  protected:
    void CreateParams(TCreateParams& Params) override;
    void Paint() override;
    void WndProc(TMessage& Message) override;
};

// The class Application creates its hint window from; a package may install its own (a
// subclass of THintWindow) for the whole process.
extern const TClass* HintWindowClass;

// Whether a hint window would be shown for the control (hint text, ShowHint effective).
std::string GetShortHint(const std::string& Hint);
std::string GetLongHint(const std::string& Hint);

class TScreen : public TComponent {
    QEL_CLASS(TScreen, TComponent)
  public:
    explicit TScreen(TComponent* AOwner);
    int Width() const;
    int Height() const;
    int PixelsPerInch() const { return 96; }
    // A cursor other than crDefault overrides every control's cursor (busy cursors).
    TCursor Cursor() const { return Cursor_; }
    void SetCursor(TCursor V);
    HCURSOR Cursors(TCursor Index) const;
    void SetCursors(TCursor Index, HCURSOR Handle);
    int FormCount() const { return static_cast<int>(Forms_.size()); }
    TCustomForm* Forms(int Index) const { return Forms_.at(static_cast<std::size_t>(Index)); }
    TCustomForm* ActiveForm() const { return ActiveForm_; }
    TWinControl* ActiveControl() const;
    TNotifyEvent OnActiveFormChange;

  private:
    friend class TCustomForm;
    void AddForm(TCustomForm* F);
    void RemoveForm(TCustomForm* F);
    void SetActiveForm(TCustomForm* F);
    TCursor Cursor_ = crDefault;
    std::vector<TCustomForm*> Forms_;
    std::vector<std::pair<TCursor, HCURSOR>> Custom_;
    TCustomForm* ActiveForm_ = nullptr;
};

extern TScreen* Screen;

using TExceptionEvent = TEvent<void(TObject* Sender, const std::exception& E)>;
using TIdleEvent = TEvent<void(TObject* Sender, bool& Done)>;
// Command is HELP_CONTEXT with the topic's number in Data; the result says whether help was
// shown. There is no help viewer of our own: an application brings its own through OnHelp.
using THelpEvent = TEvent<bool(WORD Command, std::intptr_t Data, bool& CallHelp)>;
inline constexpr WORD HELP_CONTEXT = 1;

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
    // The long part of the hint of the control under the mouse (the status bar's text).
    // A change goes to OnHint or, without a handler, to the forms' AutoHint status bars.
    const std::string& Hint() const { return Hint_; }
    void SetHint(const std::string& V);

    // Called by the controls layer on mouse moves and key presses to drive hints and
    // enter/leave; public so the layer stays in one place.
    void HintMouseMessage(TControl* Control, int ScreenX, int ScreenY);
    void NotifyControlDestroying(TControl* Control);

    // Asks OnHelp for the topic; false without a handler.
    bool HelpContext(int Context);

    TExceptionEvent OnException;
    THelpEvent OnHelp;
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
    TControl* MouseControl_ = nullptr;
    void HintTimerExpired();
    void StartHintTimer(int Ms);
    void StopHintTimer();

    bool Terminated_ = false;
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

QEL_PUBLIC_END
