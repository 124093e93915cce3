#pragma once
// Controls: TControl (a rectangle on its parent with mouse handling and paint-on-parent), and
// TWinControl (a control with a window of its own: children, focus, keyboard). Messages reach
// a control through WindowProc (normally WndProc); classes handle the ones they care about in
// their WndProc override and pass the rest to the inherited one.
#include "toolkit/controls/Messages.h"
#include "toolkit/core/Component.h"
#include "toolkit/core/Event.h"
#include "toolkit/core/Export.h"
#include "toolkit/graphics/Colors.h"
#include "toolkit/graphics/RasterTypes.h"
#include "toolkit/platform/Window.h"

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

QEL_PUBLIC_BEGIN

namespace qel {

class TControl;
class TWinControl;
class TFont;
class TCanvas;
class TControlCanvas;
class TCustomForm;

enum TFormBorderStyle { bsNone, bsSingle, bsSizeable, bsDialog, bsToolWindow, bsSizeToolWin };
QEL_ENUM_INFO(TFormBorderStyle, "bsNone", "bsSingle", "bsSizeable", "bsDialog", "bsToolWindow",
              "bsSizeToolWin")
using TBorderStyle = TFormBorderStyle;
enum TAlign { alNone, alTop, alBottom, alLeft, alRight, alClient };
QEL_ENUM_INFO(TAlign, "alNone", "alTop", "alBottom", "alLeft", "alRight", "alClient")

enum TAnchorKind { akLeft, akTop, akRight, akBottom };
QEL_ENUM_INFO(TAnchorKind, "akLeft", "akTop", "akRight", "akBottom")
using TAnchors = TSet<TAnchorKind>;

enum TMouseButton { mbLeft, mbRight, mbMiddle };
QEL_ENUM_INFO(TMouseButton, "mbLeft", "mbRight", "mbMiddle")

enum TShiftStateFlag { ssShift, ssAlt, ssCtrl, ssLeft, ssRight, ssMiddle, ssDouble };
QEL_ENUM_INFO(TShiftStateFlag, "ssShift", "ssAlt", "ssCtrl", "ssLeft", "ssRight", "ssMiddle",
              "ssDouble")
using TShiftState = TSet<TShiftStateFlag>;

enum TDragMode { dmManual, dmAutomatic };
QEL_ENUM_INFO(TDragMode, "dmManual", "dmAutomatic")
enum TDragKind { dkDrag, dkDock };
QEL_ENUM_INFO(TDragKind, "dkDrag", "dkDock")
enum TBiDiMode { bdLeftToRight, bdRightToLeft, bdRightToLeftNoAlign, bdRightToLeftReadingOnly };
QEL_ENUM_INFO(TBiDiMode, "bdLeftToRight", "bdRightToLeft", "bdRightToLeftNoAlign",
              "bdRightToLeftReadingOnly")

enum TControlStyleFlag {
    csAcceptsControls,
    csCaptureMouse,
    csDesignInteractive,
    csClickEvents,
    csFramed,
    csSetCaption,
    csOpaque,
    csDoubleClicks,
    csFixedWidth,
    csFixedHeight,
    csNoDesignVisible,
    csReplicatable,
    csNoStdEvents,
    csDisplayDragImage,
    csReflector,
    csActionClient,
    csMenuEvents
};
using TControlStyle = TSet<TControlStyleFlag>;

enum TControlStateFlag {
    csLButtonDown,
    csClicked,
    csPalette,
    csReadingState,
    csAlignmentNeeded,
    csFocusing,
    csCreating,
    csPaintCopy,
    csCustomPaint,
    csDestroyingHandle,
    csDocking
};
using TControlState = TSet<TControlStateFlag>;

// Cursors: negative ids are the stock ones, positive ids are registered by the application.
using TCursor = std::int16_t;
enum : TCursor {
    crDefault = 0,
    crNone = -1,
    crArrow = -2,
    crCross = -3,
    crIBeam = -4,
    crSizeNESW = -6,
    crSizeNS = -7,
    crSizeNWSE = -8,
    crSizeWE = -9,
    crUpArrow = -10,
    crHourGlass = -11,
    crDrag = -12,
    crNoDrop = -13,
    crHSplit = -14,
    crVSplit = -15,
    crMultiDrag = -16,
    crSQLWait = -17,
    crNo = -18,
    crAppStart = -19,
    crHelp = -20,
    crHandPoint = -21,
    crSizeAll = -22,
    crSize = -22,
};
// "crDefault" … for form files; false when the value has no name.
bool CursorToIdent(std::int64_t Cursor, std::string& Ident);
bool IdentToCursor(std::string_view Ident, std::int64_t& Cursor);
// The same names for published cursor properties.
const TIdentMapHooks& CursorIdentMap();

using TMouseEvent =
    TEvent<void(TObject* Sender, TMouseButton Button, TShiftState Shift, int X, int Y)>;
using TMouseMoveEvent = TEvent<void(TObject* Sender, TShiftState Shift, int X, int Y)>;
using TKeyEvent = TEvent<void(TObject* Sender, WORD& Key, TShiftState Shift)>;
// MousePos is in the control's client coordinates, or (-1, -1) when the keyboard asked.
using TContextPopupEvent = TEvent<void(TObject* Sender, TPoint MousePos, bool& Handled)>;

enum TDragState { dsDragEnter, dsDragLeave, dsDragMove };
QEL_ENUM_INFO(TDragState, "dsDragEnter", "dsDragLeave", "dsDragMove")

// What is dragged when a drag should carry more than its source control: OnStartDrag may
// give one (it stays the application's), and the targets see it as Source.
class TDragObject : public TObject {
    QEL_CLASS(TDragObject, TObject)
  public:
    TDragObject() = default;
};

// X and Y are in the receiving control's client coordinates; Source is the dragged control or
// the drag object OnStartDrag gave. Target is nullptr when the drag ended without a drop.
using TDragOverEvent =
    TEvent<void(TObject* Sender, TObject* Source, int X, int Y, TDragState State, bool& Accept)>;
using TDragDropEvent = TEvent<void(TObject* Sender, TObject* Source, int X, int Y)>;
using TStartDragEvent = TEvent<void(TObject* Sender, TDragObject*& DragObject)>;
using TEndDragEvent = TEvent<void(TObject* Sender, TObject* Target, int X, int Y)>;
// WheelDelta is 120 a notch, positive away from the user; MousePos is in screen coordinates.
using TMouseWheelEvent = TEvent<void(TObject* Sender, TShiftState Shift, int WheelDelta,
                                     TPoint MousePos, bool& Handled)>;
using TKeyPressEvent = TEvent<void(TObject* Sender, char& Key)>;

TShiftState KeysToShiftState(WPARAM Keys);
TShiftState KeyDataToShiftState(LONG KeyData);

// Minimum and maximum size of a control; 0 means no limit.
class TSizeConstraints : public TPersistent {
    QEL_CLASS(TSizeConstraints, TPersistent)
  public:
    TSizeConstraints() = default;
    explicit TSizeConstraints(class TControl* Control) : Control_(Control) {}
    int MaxHeight() const { return MaxHeight_; }
    int MaxWidth() const { return MaxWidth_; }
    int MinHeight() const { return MinHeight_; }
    int MinWidth() const { return MinWidth_; }
    void SetMaxHeight(int V);
    void SetMaxWidth(int V);
    void SetMinHeight(int V);
    void SetMinWidth(int V);
    void Assign(const TPersistent* Source) override;
    TNotifyEvent OnChange;

  private:
    void Change();
    class TControl* Control_ = nullptr;
    int MaxHeight_ = 0, MaxWidth_ = 0, MinHeight_ = 0, MinWidth_ = 0;
};

class TControl : public TComponent {
    QEL_CLASS(TControl, TComponent)
  public:
    explicit TControl(TComponent* AOwner);
    ~TControl() override;

    // Messages.
    using TWndMethod = std::function<void(TMessage&)>;
    TWndMethod WindowProc; // WndProc unless replaced (subclassing)
    LRESULT Perform(UINT Msg, WPARAM WParam = 0, LPARAM LParam = 0);
    virtual void WndProc(TMessage& Message);
    virtual void DefaultHandler(TMessage& Message);

    // Geometry.
    int Left() const { return Left_; }
    int Top() const { return Top_; }
    int Width() const { return Width_; }
    int Height() const { return Height_; }
    void SetLeft(int V) { SetBounds(V, Top_, Width_, Height_); }
    void SetTop(int V) { SetBounds(Left_, V, Width_, Height_); }
    void SetWidth(int V) { SetBounds(Left_, Top_, V, Height_); }
    void SetHeight(int V) { SetBounds(Left_, Top_, Width_, V); }
    virtual void SetBounds(int ALeft, int ATop, int AWidth, int AHeight);
    TRect BoundsRect() const { return Bounds(Left_, Top_, Width_, Height_); }
    void SetBoundsRect(const TRect& R) { SetBounds(R.Left, R.Top, R.Width(), R.Height()); }
    virtual TRect ClientRect() const;
    int ClientWidth() const { return ClientRect().Right; }
    int ClientHeight() const { return ClientRect().Bottom; }
    void SetClientWidth(int V);
    void SetClientHeight(int V);
    virtual TPoint ClientOrigin() const; // screen position of the client area
    TPoint ClientToScreen(TPoint P) const;
    TPoint ScreenToClient(TPoint P) const;

    TAlign Align() const { return Align_; }
    void SetAlign(TAlign V);
    TAnchors Anchors() const { return Anchors_; }
    void SetAnchors(TAnchors V);
    TSizeConstraints* Constraints() const { return Constraints_; }
    void SetConstraints(TSizeConstraints* V) { Constraints_->Assign(V); }

    // Tree.
    TWinControl* Parent() const { return Parent_; }
    virtual void SetParent(TWinControl* AParent);
    bool HasParent() const override { return true; }
    TComponent* GetParentComponent() const override;
    void SetParentComponent(TComponent* Value) override;
    TCustomForm* GetParentForm() const;

    // State.
    bool Visible() const { return Visible_; }
    void SetVisible(bool V);
    void Show();
    void Hide() { SetVisible(false); }
    // Visible here and in every parent up to a shown form.
    bool Showing() const;
    bool Enabled() const { return Enabled_; }
    virtual void SetEnabled(bool V);
    TControlStyle ControlStyle() const { return ControlStyle_; }
    void SetControlStyle(TControlStyle V) { ControlStyle_ = V; }
    TControlState ControlState() const { return ControlState_; }
    void SetControlState(TControlState V) { ControlState_ = V; }

    TColor Color() const { return Color_; }
    void SetColor(TColor V);
    bool ParentColor() const { return ParentColor_; }
    void SetParentColor(bool V);
    TFont* Font() const { return Font_; }
    void SetFont(TFont* V);
    bool ParentFont() const { return ParentFont_; }
    void SetParentFont(bool V);

    // Caption and Text are the same string.
    const std::string& Caption() const { return Text_; }
    void SetCaption(const std::string& V) { SetText(V); }
    const std::string& Text() const { return Text_; }
    void SetText(const std::string& V);

    const std::string& Hint() const { return Hint_; }
    void SetHint(const std::string& V) { Hint_ = V; }
    bool ShowHint() const { return ShowHint_; }
    void SetShowHint(bool V);
    bool ParentShowHint() const { return ParentShowHint_; }
    void SetParentShowHint(bool V);
    TCursor Cursor() const { return Cursor_; }
    void SetCursor(TCursor V);
    TComponent* PopupMenu() const { return PopupMenu_; }
    void SetPopupMenu(TComponent* V);

    TCursor DragCursor() const { return DragCursor_; }
    void SetDragCursor(TCursor V) { DragCursor_ = V; }
    TDragKind DragKind() const { return DragKind_; }
    void SetDragKind(TDragKind V) { DragKind_ = V; }
    TDragMode DragMode() const { return DragMode_; }
    void SetDragMode(TDragMode V) { DragMode_ = V; }
    TBiDiMode BiDiMode() const { return BiDiMode_; }
    void SetBiDiMode(TBiDiMode V);
    bool ParentBiDiMode() const { return ParentBiDiMode_; }
    void SetParentBiDiMode(bool V);

    bool IsMouseInside() const { return MouseInside_; }

    // Painting.
    virtual void Invalidate();
    virtual void Update();
    virtual void Repaint();
    void Refresh() { Repaint(); }
    virtual void BringToFront();
    virtual void SendToBack();

    // Events.
    TNotifyEvent OnClick;
    TNotifyEvent OnDblClick;
    TMouseEvent OnMouseDown;
    TMouseMoveEvent OnMouseMove;
    TMouseEvent OnMouseUp;
    TNotifyEvent OnMouseEnter;
    TNotifyEvent OnMouseLeave;
    TNotifyEvent OnResize;
    TContextPopupEvent OnContextPopup;
    TDragOverEvent OnDragOver;
    TDragDropEvent OnDragDrop;
    TStartDragEvent OnStartDrag;
    TEndDragEvent OnEndDrag;
    TMouseWheelEvent OnMouseWheel;

    // Drag and drop between the application's controls. A dmAutomatic control starts at once
    // on a left press; code starts with BeginDrag, usually from OnMouseDown (not Immediate: the
    // drag begins once the mouse has moved Threshold pixels, default 5, and a release before
    // that is an ordinary click). The release drops, Escape or the right button cancels.
    void BeginDrag(bool Immediate, int Threshold = -1);
    void EndDrag(bool Drop);
    bool Dragging() const;
    virtual void DragDrop(TObject* Source, int X, int Y);

    virtual void Click();
    virtual void DblClick();

    void Loaded() override;
    // Expires when the control is freed: code that calls an event handler and then goes on
    // checks it, since a handler may free the control it was called for.
    std::weak_ptr<const int> LifeToken() const { return Life_; }
    // The device context a canvas for this control draws through (released with ReleaseDC
    // on WindowHandle).
    HDC GetDeviceContextFor(HWND& WindowHandle) { return GetDeviceContext(WindowHandle); }

  protected:
    virtual void MouseDown(TMouseButton Button, TShiftState Shift, int X, int Y);
    virtual void MouseMove(TShiftState Shift, int X, int Y);
    virtual void MouseUp(TMouseButton Button, TShiftState Shift, int X, int Y);
    virtual void Resize();
    // A context menu request (right click at ScreenPos, or the menu key) travels up the
    // parents: each may handle it in OnContextPopup or answer with its PopupMenu. True when
    // some control took it.
    bool DoContextPopup(TPoint ScreenPos, bool FromKeyboard);
    // Accept starts true only when OnDragOver is assigned.
    virtual void DragOver(TObject* Source, int X, int Y, TDragState State, bool& Accept);
    virtual void DoStartDrag(TDragObject*& DragObject);
    virtual void DoEndDrag(TObject* Target, int X, int Y);
    // The wheel turned over this control: true when it took the turn (OnMouseWheel, or a
    // control that scrolls); else the turn goes to the parent.
    virtual bool DoMouseWheel(TShiftState Shift, int WheelDelta, TPoint MousePos);
    // Whole notches in the turns so far; what is left of a notch waits for the next turn
    // (fine-grained wheels send less than a notch at a time).
    int WheelNotches(int WheelDelta);
    // Called after the bounds changed (also through alignment).
    virtual void BoundsChanged() {}
    virtual void FontChanged();
    virtual void RequestAlign();
    virtual bool CanAutoSize(int& NewWidth, int& NewHeight);
    void ApplyConstraints(int& W, int& H) const;
    // Handle of the window this control draws in (its own or its parent's) and the position of
    // the control's origin in it.
    virtual HDC GetDeviceContext(HWND& WindowHandle);
    // Moves the graphic control's area on screen when it changes.
    void InvalidateControl(bool IsVisible, bool IsOpaque);
    void UpdateAnchorRules();
    void SendCancelMode(TControl* Sender);

    friend class TWinControl;
    friend class TApplication;
    friend struct TDragAccess;
    TWinControl* Parent_ = nullptr;
    int Left_ = 0, Top_ = 0, Width_ = 0, Height_ = 0;
    TAlign Align_ = alNone;
    TAnchors Anchors_{akLeft, akTop};
    TPoint AnchorOrigin_; // size of the parent's client area the rules refer to
    TRect AnchorRules_;   // left, top, right gap, bottom gap
    TSizeConstraints* Constraints_ = nullptr;
    bool Visible_ = true;
    bool Enabled_ = true;
    TControlStyle ControlStyle_;
    TControlState ControlState_;
    TColor Color_ = clWindow;
    bool ParentColor_ = true;
    TFont* Font_ = nullptr;
    bool ParentFont_ = true;
    std::string Text_;
    std::string Hint_;
    bool ShowHint_ = false;
    bool ParentShowHint_ = true;
    TCursor Cursor_ = crDefault;
    TComponent* PopupMenu_ = nullptr;
    int WheelRest_ = 0;
    TCursor DragCursor_ = crDrag;
    TDragKind DragKind_ = dkDrag;
    TDragMode DragMode_ = dmManual;
    TBiDiMode BiDiMode_ = bdLeftToRight;
    bool ParentBiDiMode_ = true;
    bool MouseInside_ = false;
    bool InAlign_ = false;
    std::shared_ptr<const int> Life_ = std::make_shared<const int>(0);

  private:
    void HandleMouse(TMessage& M);
    void DoMouseDown(TMessage& M, TMouseButton Button, TShiftState Extra);
    void DoMouseUp(TMessage& M, TMouseButton Button);
};

struct TCreateParams {
    std::string Caption;
    DWORD Style = 0;
    DWORD ExStyle = 0;
    int X = 0, Y = 0, Width = 0, Height = 0;
    HWND WndParent = 0;
    std::string WinClassName;
    UINT ClassStyle = 0;
};

using TTabOrder = int;

class TWinControl : public TControl, private TWindowTarget {
    QEL_CLASS(TWinControl, TControl)
  public:
    explicit TWinControl(TComponent* AOwner);
    ~TWinControl() override;

    // Handle.
    HWND Handle();
    bool HandleAllocated() const { return Handle_ != 0; }
    void HandleNeeded();
    void RecreateWnd();
    // Parent window of a control without a parent control (embedded forms).
    HWND ParentWindow() const { return ParentWindow_; }
    void SetParentWindow(HWND V);

    // Children, in z-order (bottom first).
    int ControlCount() const { return static_cast<int>(Controls_.size()); }
    TControl* Controls(int Index) const { return Controls_.at(static_cast<std::size_t>(Index)); }
    void InsertControl(TControl* AControl);
    void RemoveControl(TControl* AControl);
    bool ContainsControl(const TControl* Control) const;
    TControl* ControlAtPos(TPoint Pos, bool AllowDisabled, bool AllowWinControls = false) const;
    void Broadcast(TMessage& Message);
    void GetChildren(const std::function<void(TComponent*)>& Proc, TComponent* Root) override;
    void SetChildOrder(TComponent* Child, int Order) override;

    // Alignment.
    void DisableAlign();
    void EnableAlign();
    void Realign();
    // Realigns with AControl (the control that moved) placed first among equals.
    void AlignControl(TControl* AControl);
    bool AlignDisabled() const { return AlignLevel_ > 0; }

    // Focus and keyboard.
    bool Focused() const;
    virtual bool CanFocus() const;
    virtual void SetFocus();
    TTabOrder TabOrder() const;
    void SetTabOrder(TTabOrder V);
    bool TabStop() const { return TabStop_; }
    void SetTabStop(bool V);
    void GetTabOrderList(std::vector<TWinControl*>& List) const;
    TWinControl* FindNextControl(TWinControl* CurControl, bool GoForward, bool CheckTabStop,
                                 bool CheckParent) const;
    void SelectNext(TWinControl* CurControl, bool GoForward, bool CheckTabStop);
    TNotifyEvent OnEnter;
    TNotifyEvent OnExit;
    TKeyEvent OnKeyDown;
    TKeyPressEvent OnKeyPress;
    TKeyEvent OnKeyUp;

    bool Ctl3D() const { return Ctl3D_; }
    void SetCtl3D(bool V) { Ctl3D_ = V; }

    // Painting.
    void PaintTo(HDC DC, int X, int Y);
    void Invalidate() override;
    void Update() override;
    void Repaint() override;
    void SetBounds(int ALeft, int ATop, int AWidth, int AHeight) override;
    TRect ClientRect() const override;
    TPoint ClientOrigin() const override;
    void BringToFront() override;
    void SendToBack() override;
    void SetParent(TWinControl* AParent) override;
    void SetEnabled(bool V) override;

    void WndProc(TMessage& Message) override;
    void DefaultHandler(TMessage& Message) override;

  protected:
    virtual void CreateParams(TCreateParams& Params);
    // Makes the window one of a registered window class (BUTTON …), whose procedure handles
    // what the control leaves to DefaultHandler.
    void CreateSubClass(TCreateParams& Params, const char* ClassName);
    void CreateParamsNoHandle(TCreateParams& Params);
    virtual void CreateWnd();
    virtual void CreateWindowHandle(const TCreateParams& Params);
    virtual void CreateHandle();
    virtual void DestroyWnd();
    virtual void DestroyHandle();
    virtual void AlignControls(TControl* AControl, TRect& Rect);
    virtual void AdjustClientRect(TRect& Rect) { (void)Rect; }
    virtual void PaintWindow(HDC DC);
    void PaintHandler(TMessage& Message);
    void PaintControls(HDC DC, TControl* First);
    virtual void DoEnter();
    virtual void DoExit();
    virtual bool DoKeyDown(TMessage& Message);
    virtual bool DoKeyPress(TMessage& Message);
    virtual bool DoKeyUp(TMessage& Message);
    virtual void KeyDown(WORD& Key, TShiftState Shift);
    virtual void KeyPress(char& Key);
    virtual void KeyUp(WORD& Key, TShiftState Shift);
    // Tab, arrows, Enter and Escape go to the form as CM_DIALOGKEY unless the control asks for
    // them with WM_GETDLGCODE.
    bool DialogKeyHandled(TMessage& Message);
    virtual void ShowControl(TControl* AControl) { (void)AControl; }
    // Erases with the control's colour (WM_ERASEBKGND); csOpaque controls skip it.
    virtual void EraseBackground(HDC DC);
    HDC GetDeviceContext(HWND& WindowHandle) override;
    void UpdateShowing();
    void AlignChildren(TControl* AControl = nullptr);
    void ApplyAnchors();
    std::vector<TControl*> Controls_;
    std::vector<TWinControl*> TabList_;

  private:
    LRESULT WindowMessage(HWND Wnd, UINT Msg, WPARAM WParam, LPARAM LParam) override;
    void MainWndProc(TMessage& Message);
    void WMPaint(TMessage& Message);
    void WMSize(TMessage& Message);
    void WMSetCursor(TMessage& Message);
    void WMMouse(TMessage& Message);
    void ReflectNotification(TMessage& Message);

    HWND Handle_ = 0;
    HWND ParentWindow_ = 0;
    int AlignLevel_ = 0;
    bool TabStop_ = false;
    bool Ctl3D_ = true;
    bool Recreating_ = false;
    TControl* MouseControl_ = nullptr; // graphic child under the capture
    friend class TControl;
    friend class TCustomForm;
};

// A control without a window: it paints on its parent's canvas.
class TGraphicControl : public TControl {
    QEL_CLASS(TGraphicControl, TControl)
  public:
    explicit TGraphicControl(TComponent* AOwner);
    ~TGraphicControl() override;
    TCanvas* Canvas() const;
    void WndProc(TMessage& Message) override;

  protected:
    virtual void Paint() {}

  private:
    TControlCanvas* Canvas_ = nullptr;
};

// A windowed control with a canvas: WM_PAINT → PaintHandler → PaintWindow → Paint.
class TCustomControl : public TWinControl {
    QEL_CLASS(TCustomControl, TWinControl)
  public:
    explicit TCustomControl(TComponent* AOwner);
    ~TCustomControl() override;
    TCanvas* Canvas() const;

  protected:
    virtual void Paint() {}
    void PaintWindow(HDC DC) override;

  private:
    TControlCanvas* Canvas_ = nullptr;
};

// The control that currently holds the mouse capture (windowed or not), and setting it.
TControl* GetCaptureControl();
void SetCaptureControl(TControl* Control);
// The form designer's share of the mouse: messages that reach a window of a control in the
// designing state go to this hook (Window and client coordinates as received) instead of being
// dropped, so the designer can select, move and size what it shows. Returns the hook it
// replaces.
using TDesignMouseHook = std::function<void(TWinControl* Window, TMessage& Message)>;
TDesignMouseHook SetDesignMouseHook(TDesignMouseHook Hook);
// The control whose window has this handle.
TWinControl* FindControl(HWND Handle);
// The deepest control (windowed or graphic) at a screen point.
TControl* FindDragTarget(TPoint Pos, bool AllowDisabled);
// The drag in progress, if any, ends without a drop.
void CancelDrag();
// True once a drag has begun (past its threshold).
bool DragActive();
// The drag's part of mouse handling: true when the message was taken by a drag of Control.
bool DragMouseMessage(TControl* Control, const TMessage& Message);
// A control going away leaves the drag: as its source it ends it silently.
void DragControlDestroying(TControl* Control);
// Whether Key is the accelerator (&x) of Caption.
bool IsAccel(WORD Key, const std::string& Caption);

} // namespace qel

QEL_PUBLIC_END
