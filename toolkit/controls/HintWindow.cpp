#include "toolkit/controls/ControlCanvas.h"
#include "toolkit/controls/Forms.h"
#include "toolkit/graphics/Font.h"
#include "toolkit/graphics/TextDraw.h"

namespace qel {

const TClass* HintWindowClass = &THintWindow::StaticClass();

std::string GetShortHint(const std::string& Hint) {
    auto P = Hint.find('|');
    return P == std::string::npos ? Hint : Hint.substr(0, P);
}

std::string GetLongHint(const std::string& Hint) {
    auto P = Hint.find('|');
    return P == std::string::npos ? Hint : Hint.substr(P + 1);
}

THintWindow::THintWindow(TComponent* AOwner) : TCustomControl(AOwner) {
    Visible_ = false;
    Color_ = clInfoBk;
    ParentFont_ = false;
    ParentColor_ = false;
    Font()->SetColor(clInfoText);
}

void THintWindow::CreateParams(TCreateParams& P) {
    TCustomControl::CreateParams(P);
    P.Style = WS_POPUP | WS_BORDER;
    P.ExStyle = WS_EX_TOOLWINDOW | WS_EX_TOPMOST;
    P.WndParent = 0;
    P.ClassStyle |= CS_SAVEBITS;
}

void THintWindow::WndProc(TMessage& M) {
    if (M.Msg == WM_NCHITTEST) {
        // The hint never takes the mouse from the control under it.
        M.Result = HTTRANSPARENT;
        return;
    }
    TCustomControl::WndProc(M);
}

void THintWindow::Paint() {
    TCanvas* C = Canvas();
    TRect R = ClientRect();
    // A top-level window has no frame of its own here, so draw the border line.
    C->Brush()->SetColor(clWindowFrame);
    C->FrameRect(R);
    InflateRect(&R, -1, -1);
    R.Left += 1, R.Top += 1;
    C->Font()->Assign(Font());
    C->Brush()->SetStyle(bsClear);
    HDC DC = C->Handle();
    SelectObject(DC, Font()->Handle());
    SetTextColor(DC, ColorToRGB(Font()->Color()));
    SetBkMode(DC, TRANSPARENT);
    DrawTextA(DC, Caption().c_str(), -1, &R, DT_LEFT | DT_NOPREFIX | DT_WORDBREAK);
}

TRect THintWindow::CalcHintRect(int MaxWidth, const std::string& Hint, void*) {
    TRect R{0, 0, MaxWidth, 0};
    TCanvas* C = Canvas();
    HDC DC = GetDC(0);
    HGDIOBJ Old = SelectObject(DC, Font()->Handle());
    DrawTextA(DC, Hint.c_str(), -1, &R, DT_CALCRECT | DT_LEFT | DT_WORDBREAK | DT_NOPREFIX);
    SelectObject(DC, Old);
    ReleaseDC(0, DC);
    (void)C;
    R.Right += 6;
    R.Bottom += 2;
    return R;
}

void THintWindow::ActivateHint(TRect Rect, const std::string& Hint) {
    SetCaption(Hint);
    int W = Rect.Width(), H = Rect.Height();
    if (Rect.Right > Screen->Width()) Rect.Left = Screen->Width() - W;
    if (Rect.Bottom > Screen->Height()) Rect.Top = Screen->Height() - H;
    if (Rect.Left < 0) Rect.Left = 0;
    if (Rect.Top < 0) Rect.Top = 0;
    SetBounds(Rect.Left, Rect.Top, W, H);
    HWND H0 = Handle();
    SetWindowPos(H0, HWND_TOPMOST, Rect.Left, Rect.Top, W, H, SWP_SHOWWINDOW | SWP_NOACTIVATE);
    Visible_ = true;
    Invalidate();
}

void THintWindow::ActivateHintData(TRect Rect, const std::string& Hint, void*) {
    ActivateHint(Rect, Hint);
}

bool THintWindow::IsHintMsg(const TMessage& Msg) {
    return (Msg.Msg >= WM_KEYDOWN && Msg.Msg <= WM_SYSCHAR) ||
           (Msg.Msg >= WM_LBUTTONDOWN && Msg.Msg <= WM_MBUTTONUP) || Msg.Msg == CM_ACTIVATE ||
           Msg.Msg == CM_DEACTIVATE;
}

void THintWindow::ReleaseHandle() {
    Visible_ = false;
    DestroyHandle();
}

QEL_IMPLEMENT_CLASS(THintWindow, TCustomControl, NoProperties<THintWindow>)

} // namespace qel
