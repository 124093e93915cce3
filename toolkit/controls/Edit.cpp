#include "toolkit/controls/Edit.h"

#include "toolkit/controls/Clipbrd.h"
#include "toolkit/controls/EditProperties.h"
#include "toolkit/controls/Forms.h"
#include "toolkit/graphics/Canvas.h"
#include "toolkit/graphics/Font.h"

#include <algorithm>
#include <cctype>

namespace qel {

namespace {
bool IsCont(unsigned char C) {
    return (C & 0xC0) == 0x80;
}
std::size_t CharLen(std::string_view S, std::size_t P) {
    std::size_t N = 1;
    while (P + N < S.size() && IsCont(static_cast<unsigned char>(S[P + N])))
        ++N;
    return N;
}
int CountChars(std::string_view S) {
    int N = 0;
    for (unsigned char C : S)
        if (!IsCont(C)) ++N;
    return N;
}
bool IsWordChar(unsigned char C) {
    return C >= 0x80 || std::isalnum(C) || C == '_';
}
// Cuts S after at most N characters.
void TruncateChars(std::string& S, int N) {
    std::size_t P = 0;
    for (int I = 0; I < N && P < S.size(); ++I)
        P += CharLen(S, P);
    S.resize(P);
}
constexpr int Margin = 2;
} // namespace

TCustomEdit::TCustomEdit(TComponent* AOwner) : TCustomControl(AOwner) {
    Width_ = 121;
    Height_ = 21;
    ControlStyle_ = {csCaptureMouse, csClickEvents, csSetCaption, csDoubleClicks, csOpaque};
    Color_ = clWindow;
    ParentColor_ = false;
    Cursor_ = crIBeam;
    SetTabStop(true);
    Relayout();
}

void TCustomEdit::CreateParams(TCreateParams& P) {
    TCustomControl::CreateParams(P);
    if (BorderStyle_ == bsSingle) P.ExStyle |= WS_EX_CLIENTEDGE;
}

void TCustomEdit::SetBorderStyle(TBorderStyle V) {
    if (BorderStyle_ == V) return;
    BorderStyle_ = V;
    if (HandleAllocated()) RecreateWnd();
}

// ---- measuring ----

int TCustomEdit::CharWidth(std::string_view Ch) const {
    unsigned char C = static_cast<unsigned char>(Ch[0]);
    if (PasswordChar_)
        C = static_cast<unsigned char>(PasswordChar_), Ch = std::string_view(&PasswordChar_, 1);
    if (C == '\t') return CharWidth(" ") * 8;
    if (C < 128 && CharW_[C]) return CharW_[C];
    HDC DC = CreateCompatibleDC(0);
    SelectObject(DC, Font()->Handle());
    TSize S{};
    GetTextExtentPoint32A(DC, Ch.data(), static_cast<int>(Ch.size()), &S);
    if (!LineH_) {
        TSize H{};
        GetTextExtentPoint32A(DC, "Wg", 2, &H);
        LineH_ = std::max(1, H.cy);
    }
    DeleteDC(DC);
    if (C < 128) CharW_[C] = std::max(1, S.cx);
    return std::max(1, S.cx);
}

int TCustomEdit::LineHeight() const {
    if (!LineH_) CharWidth("W");
    return LineH_;
}

int TCustomEdit::TextWidthOf(std::string_view S) const {
    int W = 0;
    for (std::size_t P = 0; P < S.size();) {
        std::size_t N = CharLen(S, P);
        W += CharWidth(S.substr(P, N));
        P += N;
    }
    return W;
}

std::string TCustomEdit::DisplayText(std::string_view S) const {
    if (!PasswordChar_) return std::string(S);
    return std::string(static_cast<std::size_t>(CountChars(S)), PasswordChar_);
}

TClientScrollBars& TCustomEdit::Bars() const {
    Bars_.Place(ClientRect(), HasVBar(), HasHBar());
    return Bars_;
}

void TCustomEdit::BarMoved(const TScrollBarPart* Bar) {
    if (Bar == &Bars_.V)
        SetTopRow(Bars_.V.Position);
    else
        LeftPx_ = Bars_.H.Position;
    Invalidate();
}

TRect TCustomEdit::TextRect() const {
    TRect R = Bars().Inner();
    InflateRect(&R, -Margin, MultiLine_ ? -1 : 0);
    if (R.Right < R.Left) R.Right = R.Left;
    if (R.Bottom < R.Top) R.Bottom = R.Top;
    return R;
}

int TCustomEdit::VisibleRows() const {
    return std::max(1, TextRect().Height() / LineHeight());
}

// ---- layout ----

void TCustomEdit::Relayout() {
    Rows_.clear();
    LongestRowPx_ = 0;
    const std::string& T = Text_;
    if (!MultiLine_) {
        Rows_.push_back({0, T.size()});
        LongestRowPx_ = TextWidthOf(T);
    } else {
        int WrapW = WordWrap_ ? std::max(CharWidth("W"), TextRect().Width()) : 0;
        std::size_t P = 0;
        for (;;) {
            std::size_t E = T.find('\n', P);
            std::size_t End = E == std::string::npos ? T.size() : E;
            if (!WordWrap_) {
                Rows_.push_back({P, End - P});
                // Measuring every row keeps the horizontal bar honest; it is the one pass over
                // the text a change costs.
                LongestRowPx_ =
                    std::max(LongestRowPx_, TextWidthOf(std::string_view(T).substr(P, End - P)));
            } else {
                std::size_t S = P;
                do {
                    int W = 0;
                    std::size_t Q = S, LastSpace = std::string::npos;
                    while (Q < End) {
                        std::size_t N = CharLen(T, Q);
                        int Cw = CharWidth(std::string_view(T).substr(Q, N));
                        if (W + Cw > WrapW && Q > S) break;
                        W += Cw;
                        if (T[Q] == ' ') LastSpace = Q;
                        Q += N;
                    }
                    if (Q < End && LastSpace != std::string::npos && LastSpace + 1 > S)
                        Q = LastSpace + 1; // break after the last space that fits
                    Rows_.push_back({S, Q - S});
                    S = Q;
                } while (S < End);
            }
            if (E == std::string::npos) break;
            P = E + 1;
        }
    }
    TopRow_ = std::clamp(TopRow_, 0, std::max(0, RowCount() - 1));
    UpdateBars();
}

void TCustomEdit::UpdateBars() {
    Bars_.V.Min = 0;
    Bars_.V.Max = std::max(0, RowCount() - 1);
    Bars_.V.PageSize = std::min(VisibleRows(), Bars_.V.Max + 1);
    Bars_.V.LargeChange = Bars_.V.PageSize;
    Bars_.V.Position = TopRow_;
    Bars_.H.Min = 0;
    Bars_.H.Max = std::max(0, LongestRowPx_ + CharWidth(" "));
    Bars_.H.PageSize = std::min(std::max(1, TextRect().Width()), Bars_.H.Max + 1);
    Bars_.H.SmallChange = CharWidth("W");
    Bars_.H.Position = LeftPx_;
}

int TCustomEdit::RowOf(std::size_t Off) const {
    // The last row that starts at or before Off; a wrapped row's end belongs to the next row.
    auto It = std::upper_bound(Rows_.begin(), Rows_.end(), Off,
                               [](std::size_t O, const TRow& R) { return O < R.Start; });
    int Row = static_cast<int>(It - Rows_.begin()) - 1;
    return std::max(0, Row);
}

int TCustomEdit::XOf(std::size_t Off) const {
    const TRow& R = Rows_[static_cast<std::size_t>(RowOf(Off))];
    return TextWidthOf(std::string_view(Text_).substr(R.Start, Off - R.Start));
}

std::size_t TCustomEdit::OffsetAt(int X, int Y) const {
    TRect TR = TextRect();
    int Row = MultiLine_ ? TopRow_ + (Y - TR.Top) / LineHeight() - (Y < TR.Top ? 1 : 0) : 0;
    Row = std::clamp(Row, 0, RowCount() - 1);
    const TRow& R = Rows_[static_cast<std::size_t>(Row)];
    int Want = X - TR.Left + LeftPx_;
    std::size_t P = R.Start, End = R.Start + R.Len;
    // A wrapped row that ends in a space puts the caret before that space.
    if (WordWrap_ && End > R.Start && Row + 1 < RowCount() &&
        Rows_[static_cast<std::size_t>(Row) + 1].Start == End)
        End = PrevChar(End);
    int W = 0;
    while (P < End) {
        std::size_t N = CharLen(Text_, P);
        int Cw = CharWidth(std::string_view(Text_).substr(P, N));
        if (W + Cw / 2 >= Want) break;
        W += Cw;
        P += N;
    }
    return P;
}

// ---- positions ----

std::size_t TCustomEdit::PrevChar(std::size_t P) const {
    if (P == 0) return 0;
    --P;
    while (P > 0 && IsCont(static_cast<unsigned char>(Text_[P])))
        --P;
    return P;
}

std::size_t TCustomEdit::NextChar(std::size_t P) const {
    if (P >= Text_.size()) return Text_.size();
    return P + CharLen(Text_, P);
}

std::size_t TCustomEdit::WordLeft(std::size_t P) const {
    P = PrevChar(P);
    while (P > 0 && !IsWordChar(static_cast<unsigned char>(Text_[P])))
        P = PrevChar(P);
    while (P > 0 && IsWordChar(static_cast<unsigned char>(Text_[PrevChar(P)])))
        P = PrevChar(P);
    return P;
}

std::size_t TCustomEdit::WordRight(std::size_t P) const {
    while (P < Text_.size() && IsWordChar(static_cast<unsigned char>(Text_[P])))
        P = NextChar(P);
    while (P < Text_.size() && !IsWordChar(static_cast<unsigned char>(Text_[P])))
        P = NextChar(P);
    return P;
}

int TCustomEdit::CharIndex(std::size_t Off) const {
    return CountChars(std::string_view(Text_).substr(0, std::min(Off, Text_.size())));
}

std::size_t TCustomEdit::OffsetOf(int Index) const {
    std::size_t P = 0;
    for (int I = 0; I < Index && P < Text_.size(); ++I)
        P = NextChar(P);
    return P;
}

// ---- selection ----

int TCustomEdit::SelStart() const {
    return CharIndex(std::min(Anchor_, Caret_));
}

int TCustomEdit::SelLength() const {
    std::size_t A = std::min(Anchor_, Caret_), B = std::max(Anchor_, Caret_);
    return CountChars(std::string_view(Text_).substr(A, B - A));
}

void TCustomEdit::SetSelStart(int V) {
    Anchor_ = Caret_ = OffsetOf(std::max(0, V));
    ScrollCaretIntoView();
    Invalidate();
}

void TCustomEdit::SetSelLength(int V) {
    std::size_t A = std::min(Anchor_, Caret_);
    Anchor_ = A;
    Caret_ = A;
    for (int I = 0; I < V && Caret_ < Text_.size(); ++I)
        Caret_ = NextChar(Caret_);
    ScrollCaretIntoView();
    Invalidate();
}

std::string TCustomEdit::SelText() const {
    std::size_t A = std::min(Anchor_, Caret_), B = std::max(Anchor_, Caret_);
    return Text_.substr(A, B - A);
}

void TCustomEdit::SetSelText(const std::string& V) {
    ReplaceSelection(V);
}

void TCustomEdit::SelectAll() {
    Anchor_ = 0;
    Caret_ = Text_.size();
    Invalidate();
}

void TCustomEdit::ClearSelection() {
    ReplaceSelection(std::string());
}

void TCustomEdit::CopyToClipboard() {
    if (PasswordChar_ || Anchor_ == Caret_) return;
    Clipboard().SetAsText(SelText());
}

void TCustomEdit::CutToClipboard() {
    if (PasswordChar_ || ReadOnly_ || Anchor_ == Caret_) return;
    CopyToClipboard();
    ClearSelection();
}

void TCustomEdit::PasteFromClipboard() {
    if (ReadOnly_) return;
    // One request: on X11 asking first whether there is text would cost another round trip
    // to the owner, and a slow owner would make the paste wait twice.
    std::string T = Clipboard().AsText();
    if (!T.empty()) ReplaceSelection(T);
}

void TCustomEdit::SetMaxLength(int V) {
    MaxLength_ = std::max(0, V);
}

void TCustomEdit::SetHideSelection(bool V) {
    HideSelection_ = V;
    Invalidate();
}

void TCustomEdit::SetPasswordChar(char V) {
    PasswordChar_ = V;
    Relayout();
    Invalidate();
}

void TCustomEdit::SetCharCase(TEditCharCase V) {
    CharCase_ = V;
    if (V == ecNormal) return;
    std::string T = Text_;
    for (char& C : T)
        C = static_cast<char>(V == ecUpperCase ? std::toupper(static_cast<unsigned char>(C))
                                               : std::tolower(static_cast<unsigned char>(C)));
    SetText(T);
}

bool TCustomEdit::ReplaceSelection(std::string S) {
    // Line breaks come in every convention; the text keeps "\n" only, and a single-line edit
    // keeps the first line of what it is given.
    if (S.find('\r') != std::string::npos) {
        std::string N;
        N.reserve(S.size());
        for (std::size_t I = 0; I < S.size(); ++I) {
            if (S[I] == '\r') {
                N += '\n';
                if (I + 1 < S.size() && S[I + 1] == '\n') ++I;
            } else {
                N += S[I];
            }
        }
        S.swap(N);
    }
    if (!MultiLine_) {
        std::size_t E = S.find('\n');
        if (E != std::string::npos) S.resize(E);
    }
    if (CharCase_ != ecNormal)
        for (char& C : S)
            C = static_cast<char>(CharCase_ == ecUpperCase
                                      ? std::toupper(static_cast<unsigned char>(C))
                                      : std::tolower(static_cast<unsigned char>(C)));
    std::size_t A = std::min(Anchor_, Caret_), B = std::max(Anchor_, Caret_);
    if (MaxLength_ > 0) {
        int Room =
            MaxLength_ - (CountChars(Text_) - CountChars(std::string_view(Text_).substr(A, B - A)));
        TruncateChars(S, std::max(0, Room));
    }
    if (S.empty() && A == B) return false;
    Text_.replace(A, B - A, S);
    Anchor_ = Caret_ = A + S.size();
    Modified_ = true;
    Relayout();
    ScrollCaretIntoView();
    Invalidate();
    Change();
    return true;
}

void TCustomEdit::MoveCaret(std::size_t To, bool Extend) {
    Caret_ = std::min(To, Text_.size());
    if (!Extend) Anchor_ = Caret_;
    ScrollCaretIntoView();
    Invalidate();
}

void TCustomEdit::SetTopRow(int Row) {
    Row = std::clamp(Row, 0, std::max(0, RowCount() - VisibleRows()));
    if (!MultiLine_) Row = 0;
    if (Row == TopRow_) return;
    TopRow_ = Row;
    Bars_.V.Position = Row;
    Invalidate();
}

void TCustomEdit::ScrollCaretIntoView() {
    int Row = RowOf(Caret_);
    if (Row < TopRow_)
        SetTopRow(Row);
    else if (Row >= TopRow_ + VisibleRows())
        SetTopRow(Row - VisibleRows() + 1);
    if (WordWrap_) {
        LeftPx_ = 0;
    } else {
        int X = XOf(Caret_), W = TextRect().Width();
        if (X < LeftPx_)
            LeftPx_ = std::max(0, X - W / 3);
        else if (X >= LeftPx_ + W)
            LeftPx_ = X - W + W / 3;
    }
    UpdateBars();
}

void TCustomEdit::Change() {
    if (OnChange) OnChange(this);
}

void TCustomEdit::TextReplaced() {
    Anchor_ = std::min(Anchor_, Text_.size());
    Caret_ = std::min(Caret_, Text_.size());
    // Offsets may have fallen inside a character of the new text.
    while (Caret_ > 0 && Caret_ < Text_.size() && IsCont(static_cast<unsigned char>(Text_[Caret_])))
        --Caret_;
    Anchor_ = Caret_;
    if (!MultiLine_ && Text_.find_first_of("\r\n") != std::string::npos)
        Text_.resize(Text_.find_first_of("\r\n"));
    Relayout();
    Invalidate();
    Change();
}

// ---- painting ----

void TCustomEdit::Paint() {
    TCanvas* C = Canvas();
    HDC DC = C->Handle();
    TRect Client = ClientRect();
    TColor Back = Enabled() ? Color() : clBtnFace;
    C->Brush()->SetColor(Back);
    C->Brush()->SetStyle(bsSolid);
    C->FillRect(Client);
    SelectObject(DC, Font()->Handle());
    SetBkMode(DC, TRANSPARENT);
    TRect TR = TextRect();
    int LH = LineHeight();
    std::size_t SA = std::min(Anchor_, Caret_), SB = std::max(Anchor_, Caret_);
    bool ShowSel = SA != SB && (Focused() || !HideSelection_);
    COLORREF TextC = ColorToRGB(Enabled() ? Font()->Color() : clGrayText);
    COLORREF SelText = ColorToRGB(clHighlightText);
    HBRUSH SelBrush = GetSysColorBrush(COLOR_HIGHLIGHT);
    int Y = MultiLine_ ? TR.Top : TR.Top + (TR.Height() - LH) / 2;
    int Last = MultiLine_ ? std::min(RowCount(), TopRow_ + TR.Height() / LH + 1) : 1;
    HRGN Clip = CreateRectRgn(TR.Left, TR.Top, TR.Right, TR.Bottom);
    SelectClipRgn(DC, Clip);
    for (int Row = MultiLine_ ? TopRow_ : 0; Row < Last; ++Row, Y += LH) {
        const TRow& R = Rows_[static_cast<std::size_t>(Row)];
        int X = TR.Left - LeftPx_;
        std::size_t P = R.Start, End = R.Start + R.Len;
        // Characters left of the view are only measured; drawing stops at the right edge.
        while (P < End && X < TR.Right) {
            std::size_t N = CharLen(Text_, P);
            std::string_view Ch = std::string_view(Text_).substr(P, N);
            int W = CharWidth(Ch);
            if (X + W > TR.Left) {
                bool Sel = ShowSel && P >= SA && P < SB;
                if (Sel) {
                    TRect S{X, Y, X + W, Y + LH};
                    FillRect(DC, &S, SelBrush);
                }
                if (Ch[0] != '\t' && Ch[0] != '\n') {
                    ::qel::SetTextColor(DC, Sel ? SelText : TextC);
                    std::string D = PasswordChar_ ? std::string(1, PasswordChar_) : std::string(Ch);
                    TextOutA(DC, X, Y, D.data(), static_cast<int>(D.size()));
                }
            }
            X += W;
            P += N;
        }
        // A selected line break shows as a small block, as in the classic memo.
        if (ShowSel && End < Text_.size() && End >= SA && End < SB && Text_[End] == '\n') {
            TRect S{X, Y, X + CharWidth(" "), Y + LH};
            FillRect(DC, &S, SelBrush);
        }
    }
    if (Focused() && !ReadOnly_) {
        int Row = RowOf(Caret_);
        if (!MultiLine_ || (Row >= TopRow_ && Row < Last)) {
            int CX = TR.Left - LeftPx_ + XOf(Caret_);
            int CY = MultiLine_ ? TR.Top + (Row - TopRow_) * LH : TR.Top + (TR.Height() - LH) / 2;
            TRect Cr{CX, CY, CX + 1, CY + LH};
            FillRect(DC, &Cr, GetSysColorBrush(COLOR_WINDOWTEXT));
        }
    }
    SelectClipRgn(DC, 0);
    DeleteObject(Clip);
    Bars().Paint(DC, Enabled());
}

// ---- mouse ----

void TCustomEdit::MouseDown(TMouseButton Button, TShiftState Shift, int X, int Y) {
    if (CanFocus() && !Focused()) SetFocus();
    TCustomControl::MouseDown(Button, Shift, X, Y);
    if (Button != mbLeft) return;
    if (TScrollBarPart* Bar = Bars().MouseDown({X, Y})) {
        BarMoved(Bar);
        return;
    }
    std::size_t P = OffsetAt(X, Y);
    if (Shift.Contains(ssDouble)) {
        // A double click selects the word under the pointer.
        std::size_t A = P, B = P;
        while (A > 0 && IsWordChar(static_cast<unsigned char>(Text_[PrevChar(A)])))
            A = PrevChar(A);
        while (B < Text_.size() && IsWordChar(static_cast<unsigned char>(Text_[B])))
            B = NextChar(B);
        Anchor_ = A;
        MoveCaret(B, true);
        return;
    }
    Selecting_ = true;
    MoveCaret(P, Shift.Contains(ssShift));
}

void TCustomEdit::MouseMove(TShiftState Shift, int X, int Y) {
    TCustomControl::MouseMove(Shift, X, Y);
    if (Bars_.Dragging()) {
        if (TScrollBarPart* Bar = Bars().MouseMove({X, Y})) BarMoved(Bar);
        return;
    }
    if (Selecting_) MoveCaret(OffsetAt(X, Y), true);
}

void TCustomEdit::MouseUp(TMouseButton Button, TShiftState Shift, int X, int Y) {
    Selecting_ = false;
    Bars_.MouseUp();
    TCustomControl::MouseUp(Button, Shift, X, Y);
}

bool TCustomEdit::DoMouseWheel(TShiftState Shift, int WheelDelta, TPoint MousePos) {
    if (TCustomControl::DoMouseWheel(Shift, WheelDelta, MousePos)) return true;
    if (!MultiLine_) return false;
    if (int N = WheelNotches(WheelDelta)) SetTopRow(TopRow_ - N * 3);
    return true;
}

// ---- keyboard ----

void TCustomEdit::KeyDown(WORD& Key, TShiftState Shift) {
    TCustomControl::KeyDown(Key, Shift);
    if (Key == 0) return;
    bool Ext = Shift.Contains(ssShift);
    bool Ctrl = Shift.Contains(ssCtrl);
    auto RowMove = [&](int Delta) {
        int Row = RowOf(Caret_);
        int X = XOf(Caret_);
        int NewRow = std::clamp(Row + Delta, 0, RowCount() - 1);
        if (NewRow == Row) {
            MoveCaret(Delta < 0 ? Rows_[static_cast<std::size_t>(Row)].Start
                                : Rows_[static_cast<std::size_t>(Row)].Start +
                                      Rows_[static_cast<std::size_t>(Row)].Len,
                      Ext);
            return;
        }
        TRect TR = TextRect();
        if (NewRow < TopRow_) SetTopRow(NewRow);
        if (NewRow >= TopRow_ + VisibleRows()) SetTopRow(NewRow - VisibleRows() + 1);
        MoveCaret(OffsetAt(TR.Left + X - LeftPx_, TR.Top + (NewRow - TopRow_) * LineHeight()), Ext);
    };
    const TRow& Cur = Rows_[static_cast<std::size_t>(RowOf(Caret_))];
    switch (Key) {
    case VK_LEFT:
        if (!Ext && Anchor_ != Caret_ && !Ctrl)
            MoveCaret(std::min(Anchor_, Caret_), false);
        else
            MoveCaret(Ctrl ? WordLeft(Caret_) : PrevChar(Caret_), Ext);
        break;
    case VK_RIGHT:
        if (!Ext && Anchor_ != Caret_ && !Ctrl)
            MoveCaret(std::max(Anchor_, Caret_), false);
        else
            MoveCaret(Ctrl ? WordRight(Caret_) : NextChar(Caret_), Ext);
        break;
    case VK_UP:
        if (!MultiLine_) return;
        RowMove(-1);
        break;
    case VK_DOWN:
        if (!MultiLine_) return;
        RowMove(1);
        break;
    case VK_PRIOR:
        if (!MultiLine_) return;
        RowMove(-VisibleRows());
        break;
    case VK_NEXT:
        if (!MultiLine_) return;
        RowMove(VisibleRows());
        break;
    case VK_HOME:
        MoveCaret(Ctrl || !MultiLine_ ? 0 : Cur.Start, Ext);
        break;
    case VK_END:
        MoveCaret(Ctrl || !MultiLine_ ? Text_.size() : Cur.Start + Cur.Len, Ext);
        break;
    case VK_BACK:
        if (ReadOnly_) break;
        if (Anchor_ == Caret_) Anchor_ = Ctrl ? WordLeft(Caret_) : PrevChar(Caret_);
        ReplaceSelection(std::string());
        break;
    case VK_DELETE:
        if (Ext) {
            CutToClipboard();
            break;
        }
        if (ReadOnly_) break;
        if (Anchor_ == Caret_) Anchor_ = Ctrl ? WordRight(Caret_) : NextChar(Caret_);
        ReplaceSelection(std::string());
        break;
    case VK_INSERT:
        if (Ctrl)
            CopyToClipboard();
        else if (Ext)
            PasteFromClipboard();
        else
            return;
        break;
    case VK_RETURN:
        if (!MultiLine_ || !WantReturns_ || ReadOnly_) return;
        ReplaceSelection("\n");
        break;
    default:
        if (!Ctrl || Shift.Contains(ssAlt)) return;
        switch (Key) {
        case 'A':
            SelectAll();
            break;
        case 'C':
            CopyToClipboard();
            break;
        case 'X':
            CutToClipboard();
            break;
        case 'V':
            PasteFromClipboard();
            break;
        default:
            return;
        }
        break;
    }
    Key = 0;
}

void TCustomEdit::KeyPress(char& Key) {
    TCustomControl::KeyPress(Key);
    unsigned char K = static_cast<unsigned char>(Key);
    // Control characters were handled as keys (Enter, Backspace, Ctrl+letters); only Tab is
    // typed, in a memo that wants it.
    if (K == '\t' && MultiLine_ && WantTabs_ && !ReadOnly_) {
        ReplaceSelection("\t");
        Key = 0;
        return;
    }
    if (K < 32 || K == 127 || ReadOnly_) return;
    ReplaceSelection(std::string(1, Key));
    Key = 0;
}

void TCustomEdit::BoundsChanged() {
    TCustomControl::BoundsChanged();
    Relayout();
}

void TCustomEdit::FontChanged() {
    TCustomControl::FontChanged();
}

void TCustomEdit::WndProc(TMessage& M) {
    switch (M.Msg) {
    case WM_GETDLGCODE: {
        LRESULT R = DLGC_WANTARROWS | DLGC_WANTCHARS | DLGC_HASSETSEL;
        if (MultiLine_ && WantReturns_) R |= DLGC_WANTALLKEYS;
        if (MultiLine_ && WantTabs_) R |= DLGC_WANTTAB;
        M.Result = R;
        return;
    }
    case CM_TEXTCHANGED:
        TextReplaced();
        return;
    case CM_FONTCHANGED:
    case CM_PARENTFONTCHANGED:
        TCustomControl::WndProc(M);
        std::fill(std::begin(CharW_), std::end(CharW_), 0);
        LineH_ = 0;
        Relayout();
        return;
    case CM_ENTER:
        if (AutoSelect_ && !MultiLine_ && !(GetKeyState(VK_LBUTTON) < 0)) SelectAll();
        Invalidate();
        break;
    case CM_EXIT:
    case WM_SETFOCUS:
    case WM_KILLFOCUS:
        Invalidate();
        break;
    default:
        break;
    }
    TCustomControl::WndProc(M);
}

QEL_IMPLEMENT_ABSTRACT(TCustomEdit, TCustomControl, NoProperties<TCustomEdit>)

QEL_IMPLEMENT_CLASS(TEdit, TCustomEdit, [](TClassBuilder<TEdit>& B) {
    EditProperties(B);
    B.String("Text", &TEdit::Text, &TEdit::SetText);
})

} // namespace qel
