#include "toolkit/controls/Menus.h"

#include "toolkit/controls/Forms.h"
#include "toolkit/controls/StdCtrls.h"
#include "toolkit/core/Exceptions.h"
#include "toolkit/graphics/Canvas.h"
#include "toolkit/graphics/Font.h"
#include "toolkit/graphics/TextDraw.h"

#include <algorithm>
#include <cctype>

namespace qel {

// ---- shortcuts ----

TShortCut ShortCut(WORD Key, TShiftState Shift) {
    TShortCut S = Key & 0xFF;
    if (Shift.Contains(ssShift)) S |= scShift;
    if (Shift.Contains(ssCtrl)) S |= scCtrl;
    if (Shift.Contains(ssAlt)) S |= scAlt;
    return S;
}

void ShortCutToKey(TShortCut S, WORD& Key, TShiftState& Shift) {
    Key = S & 0xFF;
    Shift = {};
    if (S & scShift) Shift.Include(ssShift);
    if (S & scCtrl) Shift.Include(ssCtrl);
    if (S & scAlt) Shift.Include(ssAlt);
}

namespace {
struct TKeyName {
    WORD Key;
    const char* Name;
};
const TKeyName KeyNames[] = {{VK_BACK, "BkSp"},  {VK_TAB, "Tab"},     {VK_RETURN, "Enter"},
                             {VK_ESCAPE, "Esc"}, {VK_SPACE, "Space"}, {VK_PRIOR, "PgUp"},
                             {VK_NEXT, "PgDn"},  {VK_END, "End"},     {VK_HOME, "Home"},
                             {VK_LEFT, "Left"},  {VK_UP, "Up"},       {VK_RIGHT, "Right"},
                             {VK_DOWN, "Down"},  {VK_INSERT, "Ins"},  {VK_DELETE, "Del"}};
std::string KeyName(WORD K) {
    if ((K >= '0' && K <= '9') || (K >= 'A' && K <= 'Z')) return std::string(1, char(K));
    if (K >= VK_F1 && K <= VK_F12) {
        // Built in two steps: GCC 12 at -O3 warns falsely (-Wrestrict) on "F" + to_string.
        std::string F = "F";
        F += std::to_string(K - VK_F1 + 1);
        return F;
    }
    for (const TKeyName& N : KeyNames)
        if (N.Key == K) return N.Name;
    return {};
}
bool SameText(const std::string& A, const std::string& B) {
    return A.size() == B.size() && std::equal(A.begin(), A.end(), B.begin(), [](char X, char Y) {
               return std::tolower(static_cast<unsigned char>(X)) ==
                      std::tolower(static_cast<unsigned char>(Y));
           });
}
} // namespace

std::string ShortCutToText(TShortCut S) {
    std::string Name = KeyName(S & 0xFF);
    if (Name.empty()) return {};
    std::string T;
    if (S & scShift) T += "Shift+";
    if (S & scCtrl) T += "Ctrl+";
    if (S & scAlt) T += "Alt+";
    return T + Name;
}

TShortCut TextToShortCut(const std::string& Text) {
    TShortCut Mods = 0;
    std::string Rest = Text;
    for (;;) {
        auto Take = [&](const char* P, TShortCut M) {
            std::size_t N = std::char_traits<char>::length(P);
            if (Rest.size() > N && SameText(Rest.substr(0, N), P)) {
                Mods |= M;
                Rest.erase(0, N);
                return true;
            }
            return false;
        };
        if (!Take("Shift+", scShift) && !Take("Ctrl+", scCtrl) && !Take("Alt+", scAlt)) break;
    }
    for (int K = 1; K < 256; ++K)
        if (std::string N = KeyName(static_cast<WORD>(K)); !N.empty() && SameText(N, Rest))
            return static_cast<TShortCut>(Mods | K);
    return 0;
}

// ---- TMenuItem ----

TMenuItem::TMenuItem(TComponent* AOwner) : TComponent(AOwner) {}

TMenuItem::~TMenuItem() {
    if (Parent_) Parent_->Remove(this);
    // Children owned by nobody (made in code) go with their parent; owned ones by their owner.
    auto Kids = Items_;
    Items_.clear();
    for (TMenuItem* K : Kids) {
        K->Parent_ = nullptr;
        if (!K->Owner()) delete K;
    }
}

void TMenuItem::SetChecked(bool V) {
    Checked_ = V;
    if (V && RadioItem_ && Parent_)
        for (TMenuItem* S : Parent_->Items_)
            if (S != this && S->RadioItem_ && S->GroupIndex_ == GroupIndex_) S->Checked_ = false;
}

void TMenuItem::Insert(int Index, TMenuItem* Item) {
    if (!Item) return;
    if (Item->Parent_) throw EInvalidOperation("Menu item is already inserted");
    Index = std::clamp(Index, 0, Count());
    Items_.insert(Items_.begin() + Index, Item);
    Item->Parent_ = this;
}

void TMenuItem::Add(TMenuItem* Item) {
    Insert(Count(), Item);
}

void TMenuItem::Remove(TMenuItem* Item) {
    auto It = std::find(Items_.begin(), Items_.end(), Item);
    if (It == Items_.end()) return;
    Items_.erase(It);
    Item->Parent_ = nullptr;
}

void TMenuItem::Delete(int Index) {
    Remove(Items(Index));
}

void TMenuItem::Clear() {
    while (Count() > 0) {
        TMenuItem* I = Items_.back();
        Remove(I);
        delete I;
    }
}

int TMenuItem::IndexOf(const TMenuItem* Item) const {
    auto It = std::find(Items_.begin(), Items_.end(), Item);
    return It == Items_.end() ? -1 : static_cast<int>(It - Items_.begin());
}

TMenuItem* TMenuItem::FindShortCut(TShortCut S) {
    if (!Enabled_ || !Visible_) return nullptr;
    if (S && ShortCut_ == S && Items_.empty()) return this;
    for (TMenuItem* I : Items_)
        if (TMenuItem* F = I->FindShortCut(S)) return F;
    return nullptr;
}

void TMenuItem::Click() {
    if (!Enabled_) return;
    if (AutoCheck_) SetChecked(RadioItem_ ? true : !Checked_);
    if (OnClick) OnClick(this);
}

TComponent* TMenuItem::GetParentComponent() const {
    if (Parent_ && Parent_->Menu_) return Parent_->Menu_;
    return Parent_;
}

void TMenuItem::SetParentComponent(TComponent* Value) {
    if (Parent_) Parent_->Remove(this);
    if (auto* M = dynamic_cast<TMenu*>(Value))
        M->Items()->Add(this);
    else if (auto* I = dynamic_cast<TMenuItem*>(Value))
        I->Add(this);
}

void TMenuItem::GetChildren(const std::function<void(TComponent*)>& Proc, TComponent* Root) {
    for (TMenuItem* I : Items_)
        if (I->Owner() == Root) Proc(I);
}

// ---- TMenu ----

TMenu::TMenu(TComponent* AOwner) : TComponent(AOwner), Items_(new TMenuItem(nullptr)) {
    Items_->Menu_ = this;
}

TMenu::~TMenu() {
    // Items owned by the form are freed by it; detach them so neither frees the other's.
    for (int I = Items_->Count() - 1; I >= 0; --I) {
        TMenuItem* K = Items_->Items(I);
        Items_->Remove(K);
        if (!K->Owner()) delete K;
    }
    delete Items_;
}

bool TMenu::IsShortCut(WORD Key, TShiftState Shift) {
    if (TMenuItem* I = Items_->FindShortCut(ShortCut(Key, Shift))) {
        I->Click();
        return true;
    }
    return false;
}

void TMenu::GetChildren(const std::function<void(TComponent*)>& Proc, TComponent* Root) {
    Items_->GetChildren(Proc, Root);
}

// ---- tracking ----

namespace {

constexpr int ItemH = 20, LineH = 8;

class TMenuTracker;

// One open level of a menu: a borderless top-level window listing an item's children.
class TMenuWindow : public TCustomControl {
  public:
    TMenuWindow(TMenuTracker& T, TMenuItem* Parent) : TCustomControl(nullptr), T_(T), P_(Parent) {
        Visible_ = false;
        Color_ = clMenu;
        ParentColor_ = false;
    }
    TMenuItem* MenuParent() const { return P_; }
    int Sel = -1;

    int RowHeight(int I) const { return P_->Items(I)->IsLine() ? LineH : ItemH; }
    TRect Row(int I) const {
        int Y = 2;
        for (int K = 0; K < I; ++K)
            if (P_->Items(K)->Visible()) Y += RowHeight(K);
        return {2, Y, ClientWidth() - 2, Y + RowHeight(I)};
    }
    int RowAt(TPoint P) const {
        for (int I = 0; I < P_->Count(); ++I) {
            if (!P_->Items(I)->Visible()) continue;
            TRect R = Row(I);
            if (PtInRect(&R, P)) return I;
        }
        return -1;
    }
    bool Selectable(int I) const {
        TMenuItem* M = P_->Items(I);
        return M->Visible() && !M->IsLine();
    }
    TSize Measure() {
        HDC DC = CreateCompatibleDC(0);
        SelectObject(DC, Font()->Handle());
        int W = 0, SW = 0, H = 4;
        for (int I = 0; I < P_->Count(); ++I) {
            TMenuItem* M = P_->Items(I);
            if (!M->Visible()) continue;
            H += RowHeight(I);
            TRect R{0, 0, 0, 0};
            DrawTextA(DC, M->Caption().c_str(), -1, &R, DT_CALCRECT | DT_SINGLELINE);
            W = std::max(W, R.Width());
            std::string S = ShortCutToText(M->ShortCut());
            TRect Q{0, 0, 0, 0};
            if (!S.empty()) DrawTextA(DC, S.c_str(), -1, &Q, DT_CALCRECT | DT_SINGLELINE);
            SW = std::max(SW, Q.Width());
        }
        DeleteDC(DC);
        return {W + SW + 60, H};
    }
    void Open(TPoint At) {
        TSize S = Measure();
        if (At.X + S.cx > Screen->Width()) At.X = std::max(0, Screen->Width() - S.cx);
        if (At.Y + S.cy > Screen->Height()) At.Y = std::max(0, Screen->Height() - S.cy);
        SetBounds(At.X, At.Y, S.cx, S.cy);
        SetWindowPos(Handle(), HWND_TOPMOST, At.X, At.Y, S.cx, S.cy,
                     SWP_SHOWWINDOW | SWP_NOACTIVATE);
        Visible_ = true;
        Invalidate();
    }
    void SetSel(int I) {
        if (I == Sel) return;
        Sel = I;
        Invalidate();
    }
    void WndProc(TMessage& M) override;

  protected:
    void CreateParams(TCreateParams& P) override {
        TCustomControl::CreateParams(P);
        P.Style = WS_POPUP | WS_BORDER;
        P.ExStyle = WS_EX_TOOLWINDOW | WS_EX_TOPMOST;
    }
    void Paint() override {
        TCanvas* C = Canvas();
        HDC DC = C->Handle();
        TRect All = ClientRect();
        FillRect(DC, &All, GetSysColorBrush(COLOR_MENU));
        DrawEdge(DC, &All, EDGE_RAISED, BF_RECT);
        SelectObject(DC, Font()->Handle());
        SetBkMode(DC, TRANSPARENT);
        for (int I = 0; I < P_->Count(); ++I) {
            TMenuItem* M = P_->Items(I);
            if (!M->Visible()) continue;
            TRect R = Row(I);
            if (M->IsLine()) {
                TRect L{R.Left + 2, R.Top + 3, R.Right - 2, R.Top + 5};
                DrawEdge(DC, &L, EDGE_ETCHED, BF_TOP);
                continue;
            }
            bool Hot = I == Sel;
            if (Hot) FillRect(DC, &R, GetSysColorBrush(COLOR_HIGHLIGHT));
            COLORREF TC = ColorToRGB(!M->Enabled() ? clGrayText
                                     : Hot         ? clHighlightText
                                                   : clMenuText);
            ::qel::SetTextColor(DC, TC);
            if (M->Checked()) {
                TRect Box{R.Left + 4, R.Top + 4, R.Left + 16, R.Top + 16};
                DrawClassicCheckMark(DC, Box, 0x0001, M->RadioItem(), M->Enabled());
            }
            TRect T{R.Left + 20, R.Top, R.Right - 16, R.Bottom};
            DrawTextA(DC, M->Caption().c_str(), -1, &T, DT_SINGLELINE | DT_VCENTER);
            std::string S = ShortCutToText(M->ShortCut());
            if (!S.empty()) DrawTextA(DC, S.c_str(), -1, &T, DT_SINGLELINE | DT_VCENTER | DT_RIGHT);
            if (M->Count() > 0) {
                HBRUSH B = CreateSolidBrush(TC);
                int Cx = R.Right - 8, Cy = (R.Top + R.Bottom) / 2;
                for (int K = 0; K < 4; ++K) {
                    TRect A{Cx - 2 + K, Cy - 3 + K, Cx - 1 + K, Cy + 4 - K};
                    FillRect(DC, &A, B);
                }
                DeleteObject(B);
            }
        }
    }

  private:
    TMenuTracker& T_;
    TMenuItem* P_;
};

class TMenuTracker {
  public:
    TMenuTracker(TMainMenu* Main, TMenuBar* Bar) : Main_(Main), Bar_(Bar) {}
    ~TMenuTracker() { CloseFrom(0); }

    TMenuItem* Run(TMenuItem* Root, TPoint At, bool SelectFirst) {
        HWND OldFocus = GetFocus();
        OpenLevel(Root, At, SelectFirst);
        while (!Done_) {
            Application->HandleMessage();
            if (Application->Terminated()) break;
        }
        CloseFrom(0);
        if (OldFocus && IsWindow(OldFocus)) ::qel::SetFocus(OldFocus);
        if (Bar_) Bar_->SetHotIndex(-1);
        return Chosen_;
    }

    void OpenLevel(TMenuItem* Parent, TPoint At, bool SelectFirst) {
        auto* W = new TMenuWindow(*this, Parent);
        Windows_.push_back(W);
        W->Open(At);
        if (SelectFirst) Step(W, 1);
        SetCaptureControl(W);
        ::qel::SetFocus(W->Handle());
    }
    void CloseFrom(std::size_t Level) {
        while (Windows_.size() > Level) {
            TMenuWindow* W = Windows_.back();
            Windows_.pop_back();
            if (GetCaptureControl() == W) SetCaptureControl(nullptr);
            delete W;
        }
        if (!Windows_.empty()) {
            SetCaptureControl(Windows_.back());
            ::qel::SetFocus(Windows_.back()->Handle());
        }
    }
    void Step(TMenuWindow* W, int D) {
        int N = W->MenuParent()->Count();
        if (N == 0) return;
        int I = W->Sel;
        for (int K = 0; K < N; ++K) {
            I = (I + D + N) % N;
            if (W->Selectable(I)) {
                W->SetSel(I);
                return;
            }
        }
    }
    std::size_t LevelOf(TMenuWindow* W) const {
        return static_cast<std::size_t>(std::find(Windows_.begin(), Windows_.end(), W) -
                                        Windows_.begin());
    }
    void OpenSub(TMenuWindow* W, bool SelectFirst) {
        TMenuItem* M = W->MenuParent()->Items(W->Sel);
        CloseFrom(LevelOf(W) + 1);
        if (M->Count() == 0 || !M->Enabled()) return;
        TRect R = W->Row(W->Sel);
        TPoint P = W->ClientToScreen({R.Right, R.Top - 2});
        OpenLevel(M, P, SelectFirst);
    }
    void Choose(TMenuItem* M) {
        if (!M->Enabled() || M->IsLine()) return;
        if (M->Count() > 0) return;
        Chosen_ = M;
        Done_ = true;
    }
    void Cancel() { Done_ = true; }

    void Key(TMenuWindow* W, WORD K) {
        switch (K) {
        case VK_UP:
            Step(W, -1);
            break;
        case VK_DOWN:
            Step(W, 1);
            break;
        case VK_RIGHT:
            if (W->Sel >= 0 && W->MenuParent()->Items(W->Sel)->Count() > 0)
                OpenSub(W, true);
            else if (Bar_)
                SwitchTop(1);
            break;
        case VK_LEFT:
            if (LevelOf(W) > 0)
                CloseFrom(LevelOf(W));
            else if (Bar_)
                SwitchTop(-1);
            break;
        case VK_RETURN:
            if (W->Sel >= 0) {
                TMenuItem* M = W->MenuParent()->Items(W->Sel);
                if (M->Count() > 0)
                    OpenSub(W, true);
                else
                    Choose(M);
            }
            break;
        case VK_ESCAPE:
            if (LevelOf(W) > 0)
                CloseFrom(LevelOf(W));
            else
                Cancel();
            break;
        default:
            break;
        }
    }
    void Char(TMenuWindow* W, char C) {
        TMenuItem* P = W->MenuParent();
        for (int I = 0; I < P->Count(); ++I) {
            TMenuItem* M = P->Items(I);
            if (M->Visible() && M->Enabled() &&
                IsAccel(static_cast<WORD>(std::toupper(C)), M->Caption())) {
                W->SetSel(I);
                if (M->Count() > 0)
                    OpenSub(W, true);
                else
                    Choose(M);
                return;
            }
        }
    }
    // Mouse events arrive at the capturing window; find the level under the pointer.
    void Mouse(UINT Msg, TPoint Screen) {
        for (std::size_t L = Windows_.size(); L-- > 0;) {
            TMenuWindow* W = Windows_[L];
            TRect R;
            GetWindowRect(W->Handle(), &R);
            if (!PtInRect(&R, Screen)) continue;
            TPoint P = W->ScreenToClient(Screen);
            int I = W->RowAt(P);
            if (Msg == WM_MOUSEMOVE) {
                if (I >= 0 && W->Selectable(I) && I != W->Sel) {
                    W->SetSel(I);
                    OpenSub(W, false);
                }
            } else if (Msg == WM_LBUTTONUP && I >= 0) {
                Choose(W->MenuParent()->Items(I));
            }
            return;
        }
        if (Bar_) {
            TPoint B = Bar_->ScreenToClient(Screen);
            int I = Bar_->ItemAt(B.X, B.Y);
            if (I >= 0) {
                if (Msg == WM_MOUSEMOVE && I != Bar_->HotIndex()) SwitchTo(I, false);
                if (Msg == WM_LBUTTONDOWN && I == Bar_->HotIndex()) Cancel();
                return;
            }
        }
        if (Msg == WM_LBUTTONDOWN || Msg == WM_RBUTTONDOWN) Cancel();
    }
    void SwitchTop(int D) {
        int N = Main_->Items()->Count();
        if (N == 0) return;
        int I = Bar_->HotIndex();
        for (int K = 0; K < N; ++K) {
            I = (I + D + N) % N;
            if (Main_->Items()->Items(I)->Visible()) break;
        }
        SwitchTo(I, true);
    }
    void SwitchTo(int I, bool SelectFirst) {
        CloseFrom(0);
        Bar_->SetHotIndex(I);
        TRect R = Bar_->ItemRect(I);
        OpenLevel(Main_->Items()->Items(I), Bar_->ClientToScreen({R.Left, R.Bottom}), SelectFirst);
    }

  private:
    TMainMenu* Main_;
    TMenuBar* Bar_;
    std::vector<TMenuWindow*> Windows_;
    TMenuItem* Chosen_ = nullptr;
    bool Done_ = false;
};

void TMenuWindow::WndProc(TMessage& M) {
    switch (M.Msg) {
    case WM_KEYDOWN:
    case WM_SYSKEYDOWN:
        T_.Key(this, static_cast<WORD>(M.WParam));
        return;
    case WM_CHAR:
    case WM_SYSCHAR:
        T_.Char(this, static_cast<char>(M.WParam));
        return;
    case WM_MOUSEMOVE:
    case WM_LBUTTONDOWN:
    case WM_LBUTTONUP:
    case WM_RBUTTONDOWN: {
        TWMMouse Mm(M);
        T_.Mouse(M.Msg, ClientToScreen({Mm.XPos, Mm.YPos}));
        return;
    }
    default:
        break;
    }
    TCustomControl::WndProc(M);
}

} // namespace

// ---- TPopupMenu ----

TMenuItem* TPopupMenu::Popup(int X, int Y) {
    if (OnPopup) OnPopup(this);
    TMenuItem* Chosen = nullptr;
    {
        TMenuTracker T(nullptr, nullptr);
        Chosen = T.Run(Items_, {X, Y}, false);
    }
    if (Chosen) Chosen->Click();
    return Chosen;
}

// ---- TMainMenu ----

TMainMenu::TMainMenu(TComponent* AOwner) : TMenu(AOwner) {
    Attach();
}

TMainMenu::~TMainMenu() {
    // When the form frees its components (which marks them destroying first and detaches
    // them from their owner), its control part is already gone: there is no window procedure
    // left to give back.
    if (Form_ && !IsDestroying()) Form_->WindowProc = FormOldProc_;
}

void TMainMenu::Attach() {
    auto* F = dynamic_cast<TCustomForm*>(Owner());
    if (!F || Bar_) return;
    Bar_ = new TMenuBar(this, this);
    Bar_->SetParent(F);
    Form_ = F;
    FormOldProc_ = F->WindowProc;
    // Alt with a top item's accelerator opens it, from wherever the focus is in the form.
    F->WindowProc = [this](TMessage& M) {
        if (M.Msg == CM_DIALOGCHAR && (M.LParam & AltMask)) {
            for (int I = 0; I < Items_->Count(); ++I) {
                TMenuItem* It = Items_->Items(I);
                if (It->Visible() && It->Enabled() &&
                    IsAccel(static_cast<WORD>(std::toupper(static_cast<int>(M.WParam))),
                            It->Caption())) {
                    M.Result = 1;
                    Bar_->PostDropDown(I, true);
                    return;
                }
            }
        }
        FormOldProc_(M);
    };
}

void TMainMenu::Loaded() {
    TMenu::Loaded();
    Attach();
    if (Bar_) Bar_->Invalidate();
}

TMenuItem* TMainMenu::DropDown(int TopIndex, bool SelectFirst) {
    if (!Bar_ || TopIndex < 0 || TopIndex >= Items_->Count()) return nullptr;
    TMenuItem* Top = Items_->Items(TopIndex);
    if (Top->Count() == 0) {
        Top->Click(); // a top item without a drop-down is a command itself
        return Top;
    }
    TMenuItem* Chosen = nullptr;
    {
        TMenuTracker T(this, Bar_);
        Bar_->SetHotIndex(TopIndex);
        if (OnDropDown) OnDropDown(this);
        TRect R = Bar_->ItemRect(TopIndex);
        Chosen = T.Run(Top, Bar_->ClientToScreen({R.Left, R.Bottom}), SelectFirst);
    }
    if (Chosen) Chosen->Click();
    return Chosen;
}

// ---- TMenuBar ----

TMenuBar::TMenuBar(TComponent* AOwner, TMainMenu* Menu) : TCustomControl(AOwner), Menu_(Menu) {
    ControlStyle_ = {csOpaque};
    Color_ = clMenu;
    ParentColor_ = false;
    Height_ = ItemH;
    SetAlign(alTop);
}

TRect TMenuBar::ItemRect(int Index) const {
    HDC DC = CreateCompatibleDC(0);
    SelectObject(DC, Font()->Handle());
    int X = 0;
    TRect Out{};
    for (int I = 0; I < Menu_->Items()->Count(); ++I) {
        TMenuItem* M = Menu_->Items()->Items(I);
        if (!M->Visible()) continue;
        TRect R{0, 0, 0, 0};
        DrawTextA(DC, M->Caption().c_str(), -1, &R, DT_CALCRECT | DT_SINGLELINE);
        int W = R.Width() + 14;
        if (I == Index) {
            Out = {X, 0, X + W, ClientHeight()};
            break;
        }
        X += W;
    }
    DeleteDC(DC);
    return Out;
}

int TMenuBar::ItemAt(int X, int Y) const {
    for (int I = 0; I < Menu_->Items()->Count(); ++I) {
        TRect R = ItemRect(I);
        if (!IsRectEmpty(&R) && PtInRect(&R, {X, Y})) return I;
    }
    return -1;
}

void TMenuBar::SetHotIndex(int V) {
    Hot_ = V;
    Invalidate();
}

void TMenuBar::Paint() {
    HDC DC = Canvas()->Handle();
    TRect All = ClientRect();
    FillRect(DC, &All, GetSysColorBrush(COLOR_MENU));
    SelectObject(DC, Font()->Handle());
    SetBkMode(DC, TRANSPARENT);
    for (int I = 0; I < Menu_->Items()->Count(); ++I) {
        TMenuItem* M = Menu_->Items()->Items(I);
        TRect R = ItemRect(I);
        if (IsRectEmpty(&R)) continue;
        if (I == Hot_) DrawEdge(DC, &R, BDR_SUNKENOUTER, BF_RECT);
        ::qel::SetTextColor(DC, ColorToRGB(M->Enabled() ? clMenuText : clGrayText));
        DrawTextA(DC, M->Caption().c_str(), -1, &R, DT_SINGLELINE | DT_VCENTER | DT_CENTER);
    }
}

void TMenuBar::MouseDown(TMouseButton Button, TShiftState Shift, int X, int Y) {
    TCustomControl::MouseDown(Button, Shift, X, Y);
    if (Button != mbLeft) return;
    int I = ItemAt(X, Y);
    if (I < 0) return;
    PostDropDown(I, false);
}

namespace {
constexpr UINT QM_DROPDOWN = WM_USER + 0x51;
}

void TMenuBar::PostDropDown(int Index, bool SelectFirst) {
    PostMessageA(Handle(), QM_DROPDOWN, static_cast<WPARAM>(Index), SelectFirst ? 1 : 0);
}

void TMenuBar::WndProc(TMessage& M) {
    if (M.Msg == QM_DROPDOWN) {
        if (GetCaptureControl() == this) SetCaptureControl(nullptr);
        Menu_->DropDown(static_cast<int>(M.WParam), M.LParam != 0);
        return;
    }
    TCustomControl::WndProc(M);
}

// ---- registration ----

QEL_IMPLEMENT_CLASS(TMenuItem, TComponent, [](TClassBuilder<TMenuItem>& B) {
    using T = TMenuItem;
    B.Bool("AutoCheck", &T::AutoCheck, &T::SetAutoCheck).SetDefault(false);
    B.String("Caption", &T::Caption, &T::SetCaption);
    B.Bool("Checked", &T::Checked, &T::SetChecked).SetDefault(false);
    B.Bool("Enabled", &T::Enabled, &T::SetEnabled).SetDefault(true);
    B.Integer("GroupIndex", &T::GroupIndex, &T::SetGroupIndex).SetDefault(0);
    B.String("Hint", &T::Hint, &T::SetHint);
    B.Bool("RadioItem", &T::RadioItem, &T::SetRadioItem).SetDefault(false);
    B.Integer("ShortCut", &T::ShortCut, &T::SetShortCut).SetDefault(0);
    B.Bool("Visible", &T::Visible, &T::SetVisible).SetDefault(true);
    B.Event("OnClick", &T::OnClick);
})

QEL_IMPLEMENT_ABSTRACT(TMenu, TComponent, NoProperties<TMenu>)
QEL_IMPLEMENT_CLASS(TPopupMenu, TMenu, [](TClassBuilder<TPopupMenu>& B) {
    B.Bool("AutoPopup", &TPopupMenu::AutoPopup, &TPopupMenu::SetAutoPopup).SetDefault(true);
    B.Event("OnPopup", &TPopupMenu::OnPopup);
})
QEL_IMPLEMENT_CLASS(TMainMenu, TMenu, NoProperties<TMainMenu>)
QEL_IMPLEMENT_CLASS(TMenuBar, TCustomControl, NoProperties<TMenuBar>)

} // namespace qel
