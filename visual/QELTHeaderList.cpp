#include "visual/QELTHeaderList.h"

#include "toolkit/controls/PublishedGroups.h"
#include "toolkit/core/Filer.h"
#include "toolkit/graphics/Canvas.h"
#include "toolkit/graphics/Font.h"
#include "visual/QELZoradodo.h"

#include <algorithm>
#include <climits>
#include <cstdint>

namespace qel {

namespace {

constexpr TColor kWhite = 0xFFFFFF;
// What a list box accepts as the height of its items.
constexpr int kMaxItemHeight = 255;

using T = TQELHeaderList;

template <int I> bool Bool(const T& O) {
    return O.GetBool(I);
}
template <int I> void SetBool(T& O, bool V) {
    O.SetBool(I, V);
}
template <int I> TColor Color(const T& O) {
    return O.GetColor(I);
}
template <int I> void SetColor(T& O, TColor V) {
    O.SetColor(I, V);
}
template <int I> TCursor Cursor(const T& O) {
    return O.GetCursor(I);
}
template <int I> void SetCursor(T& O, TCursor V) {
    O.SetCursor(I, V);
}
template <int I> TFont* Font(const T& O) {
    return O.GetFont(I);
}
template <int I> void SetFont(T& O, TFont* V) {
    O.SetFont(I, V);
}
template <int I> TStrings* Strings(const T& O) {
    return O.GetStrings(I);
}
template <int I> void SetStrings(T& O, TStrings* V) {
    O.SetStrings(I, V);
}
template <int I> int Integer(const T& O) {
    return O.GetInteger(I);
}
template <int I> void SetInteger(T& O, int V) {
    O.SetInteger(I, V);
}

// Calls a copy: the handler may free the header list, and with it the event it was called
// through.
template <class E, class... A> void Fire(const E& Event, A&&... Args) {
    if (!Event) return;
    E Copy = Event;
    Copy(std::forward<A>(Args)...);
}

// Only so much of a long field can show in a cell: at most a character a pixel, and a
// character takes at most four bytes.
std::string_view VisiblePart(std::string_view Field, int CellWidth) {
    const std::size_t Room = (static_cast<std::size_t>(std::max(CellWidth, 0)) + 2) * 4;
    if (Field.size() <= Room) return Field;
    std::size_t End = Room;
    while (End > 0 && (static_cast<unsigned char>(Field[End]) & 0xC0) == 0x80)
        --End;
    return Field.substr(0, End);
}

bool IsBlank(std::string_view S) {
    return std::all_of(S.begin(), S.end(),
                       [](char C) { return static_cast<unsigned char>(C) <= ' '; });
}

} // namespace

static void DescribeHeaderList(TClassBuilder<TQELHeaderList>& B) {
    B.Publish({"Anchors", "BiDiMode", "Constraints", "DragKind", "ParentBiDiMode", "Align"});
    B.Bool("AllowResize", Bool<5>, SetBool<5>).SetDefault(true);
    B.Enum("BevelInner", &T::BevelInner, &T::SetBevelInner).SetDefault(bvNone);
    B.Enum("BevelOuter", &T::BevelOuter, &T::SetBevelOuter).SetDefault(bvRaised);
    B.Component("HeaderBackground", &T::HeaderBackground, &T::SetHeaderBackground);
    B.Object("HeaderFont3D", &T::HeaderFont3D, &T::SetHeaderFont3D);
    B.Enum("HeaderBorderStyle", &T::HeaderBorderStyle, &T::SetHeaderBorderStyle);
    B.Color("Color", Color<0>, SetColor<0>).SetDefault(kWhite);
    B.Integer("Cursor", Cursor<0>, SetCursor<0>).SetDefault(crDefault).WithIdents(CursorIdentMap());
    B.Char("Delimiter", &T::Delimiter, &T::SetDelimiter).SetDefault(';');
    B.Integer("DragCursor", Cursor<1>, SetCursor<1>)
        .SetDefault(crDrag)
        .WithIdents(CursorIdentMap());
    B.Enum(
         "DragMode", [](const T& O) { return O.ListBox()->DragMode(); },
         [](T& O, TDragMode V) { O.ListBox()->SetDragMode(V); })
        .SetDefault(dmManual);
    B.Bool("Enabled", Bool<0>, SetBool<0>).SetDefault(true);
    B.Bool("ExtendedSelect", Bool<1>, SetBool<1>).SetDefault(true);
    B.Object("Font", Font<1>, SetFont<1>);
    B.Object("HeaderFont", Font<0>, SetFont<0>);
    B.Integer("HeaderHeight", Integer<0>, SetInteger<0>).SetDefault(25);
    B.Bool("HeaderVisible", Bool<2>, SetBool<2>).SetDefault(true);
    B.String("Hint", &T::Hint, &T::SetHint);
    // Kept by the defined property "ItemHeight", and only where the lines are owner-drawn.
    B.Integer("ItemHeight", Integer<4>, SetInteger<4>).Stored(false);
    B.Strings("Items", Strings<1>, SetStrings<1>);
    B.Bool("MultiSelect", Bool<3>, SetBool<3>).SetDefault(false);
    B.Bool("ParentShowHint", Bool<7>, SetBool<7>).SetDefault(true);
    B.Publish("PopupMenu");
    B.Strings("HeaderSections", Strings<0>, SetStrings<0>);
    B.Color("SelectedColor", Color<1>, SetColor<1>).SetDefault(clHighlight);
    B.Bool("ShowHint", Bool<6>, SetBool<6>).SetDefault(false);
    B.Bool("Sorted", Bool<4>, SetBool<4>).SetDefault(false);
    B.Enum("ListBoxStyle", &T::ListBoxStyle, &T::SetListBoxStyle).SetDefault(lbStandard);
    B.Publish("TabOrder").SetDefault(-1);
    B.Bool("TabStop", Bool<8>, SetBool<8>).SetDefault(true);
    B.Publish({"Visible", "OnClick", "OnDblClick", "OnEnter", "OnExit", "OnDragDrop", "OnDragOver",
               "OnEndDrag", "OnStartDrag"});
    B.Event("OnMeasureItem", &T::OnMeasureItem);
    B.Publish({"OnMouseDown", "OnMouseMove", "OnMouseUp", "OnKeyDown", "OnKeyUp", "OnKeyPress"});
    B.Event("OnHeaderSizing", &T::OnHeaderSizing);
    B.Event("OnDrawItem", &T::OnDrawItem);
    B.Event("OnHeaderSized", &T::OnHeaderSized);
    B.Publish("OnResize");
}
QEL_IMPLEMENT_CLASS(TQELHeaderList, TCustomPanel, DescribeHeaderList)

TQELHeaderList::TQELHeaderList(TComponent* AOwner) : TCustomPanel(AOwner) {
    SetCtl3D(false);
    SetControlStyle(ControlStyle() - TControlStyle{csAcceptsControls, csSetCaption});
    FHeader = new TQELHeader(this);
    FHeader->SetParent(this);
    FHeader->SetTabStop(false);
    FHeader->OnSized = [this](TObject* Sender, int ASection, int AWidth) {
        HeaderSized(Sender, ASection, AWidth);
    };
    FHeader->OnSizing = [this](TObject* Sender, int ASection, int AWidth) {
        Fire(OnHeaderSizing, Sender, ASection, AWidth);
    };
    FListBox = new TListBox(this);
    FListBox->SetParent(this);
    FListBox->SetCtl3D(false);
    FListBox->SetBorderStyle(bsNone);
    FListBox->SetColor(kWhite);
    FListBox->SetStyle(lbOwnerDrawFixed);
    FListBox->OnDrawItem = [this](TWinControl* Control, int Index, TRect Rect,
                                  TOwnerDrawState State) { DrawItem(Control, Index, Rect, State); };
    BindListEvents();
    AlignClients();
}

TQELHeaderList::~TQELHeaderList() {
    delete FHeader;
    FHeader = nullptr;
    delete FListBox;
    FListBox = nullptr;
}

// The list box's events are the header list's: its handlers see the list box as the sender,
// as if they had been given to it directly.
void TQELHeaderList::BindListEvents() {
    TListBox* L = FListBox;
    L->OnClick = [this](TObject* S) { Fire(OnClick, S); };
    L->OnDblClick = [this](TObject* S) { Fire(OnDblClick, S); };
    L->OnEnter = [this](TObject* S) { Fire(OnEnter, S); };
    L->OnExit = [this](TObject* S) { Fire(OnExit, S); };
    L->OnDragDrop = [this](TObject* S, TObject* Src, int X, int Y) {
        Fire(OnDragDrop, S, Src, X, Y);
    };
    L->OnDragOver = [this](TObject* S, TObject* Src, int X, int Y, TDragState St, bool& Accept) {
        Accept = false;
        Fire(OnDragOver, S, Src, X, Y, St, Accept);
    };
    L->OnEndDrag = [this](TObject* S, TObject* Target, int X, int Y) {
        Fire(OnEndDrag, S, Target, X, Y);
    };
    L->OnStartDrag = [this](TObject* S, TDragObject*& Obj) { Fire(OnStartDrag, S, Obj); };
    L->OnMeasureItem = [this](TWinControl* C, int Index, int& H) {
        Fire(OnMeasureItem, C, Index, H);
    };
    L->OnMouseDown = [this](TObject* S, TMouseButton B, TShiftState Sh, int X, int Y) {
        Fire(OnMouseDown, S, B, Sh, X, Y);
    };
    L->OnMouseMove = [this](TObject* S, TShiftState Sh, int X, int Y) {
        Fire(OnMouseMove, S, Sh, X, Y);
    };
    L->OnMouseUp = [this](TObject* S, TMouseButton B, TShiftState Sh, int X, int Y) {
        Fire(OnMouseUp, S, B, Sh, X, Y);
    };
    L->OnKeyDown = [this](TObject* S, WORD& Key, TShiftState Sh) { Fire(OnKeyDown, S, Key, Sh); };
    L->OnKeyUp = [this](TObject* S, WORD& Key, TShiftState Sh) { Fire(OnKeyUp, S, Key, Sh); };
    L->OnKeyPress = [this](TObject* S, char& Key) { Fire(OnKeyPress, S, Key); };
}

// ---- forwarders ----

bool TQELHeaderList::GetBool(int Index) const {
    switch (Index) {
    case 0:
        return FListBox->Enabled();
    case 1:
        return FListBox->ExtendedSelect();
    case 2:
        return FHeader->Visible();
    case 3:
        return FListBox->MultiSelect();
    case 4:
        return FListBox->Sorted();
    case 5:
        return FHeader->AllowResize();
    case 6:
        return FListBox->ShowHint();
    case 7:
        return FListBox->ParentShowHint();
    case 8:
        return FListBox->TabStop();
    case 9:
        return FHorizontalExtent;
    default:
        return false;
    }
}

void TQELHeaderList::SetBool(int Index, bool Value) {
    switch (Index) {
    case 0:
        if (Value == FListBox->Enabled()) return;
        FListBox->SetEnabled(Value);
        FHeader->SetEnabled(Value);
        return;
    case 1:
        FListBox->SetExtendedSelect(Value);
        return;
    case 2:
        if (Value == FHeader->Visible()) return;
        FHeader->SetVisible(Value);
        AlignClients();
        Invalidate();
        return;
    case 3:
        FListBox->SetMultiSelect(Value);
        return;
    case 4:
        FListBox->SetSorted(Value);
        return;
    case 5:
        FHeader->SetAllowResize(Value);
        return;
    case 6:
        if (Value == FListBox->ShowHint()) return;
        FListBox->SetShowHint(Value);
        FHeader->SetShowHint(Value);
        return;
    case 7:
        if (Value == FListBox->ParentShowHint()) return;
        FListBox->SetParentShowHint(Value);
        FHeader->SetParentShowHint(Value);
        return;
    case 8:
        FListBox->SetTabStop(Value);
        return;
    case 9:
        if (Value == FHorizontalExtent) return;
        FHorizontalExtent = Value;
        FListBox->SetHorizontalExtent(Value ? FListBox->Width() : 0);
        return;
    default:
        return;
    }
}

TColor TQELHeaderList::GetColor(int Index) const {
    switch (Index) {
    case 0:
        return FListBox->Color();
    case 1:
        return FSelectedColor;
    default:
        return kWhite;
    }
}

void TQELHeaderList::SetColor(int Index, TColor Value) {
    if (Index == 0) {
        FListBox->SetColor(Value);
    } else if (Index == 1 && Value != FSelectedColor) {
        FSelectedColor = Value;
        Invalidate();
        FListBox->Invalidate();
    }
}

TCursor TQELHeaderList::GetCursor(int Index) const {
    if (Index == 0) return FListBox->Cursor();
    if (Index == 1) return FListBox->DragCursor();
    return TCursor{crDefault};
}

void TQELHeaderList::SetCursor(int Index, TCursor Value) {
    if (Index == 0) FListBox->SetCursor(Value);
    if (Index == 1) FListBox->SetDragCursor(Value);
}

TFont* TQELHeaderList::GetFont(int Index) const {
    return Index == 0 ? FHeader->Font() : Index == 1 ? FListBox->Font() : nullptr;
}

void TQELHeaderList::SetFont(int Index, TFont* Value) {
    if (TFont* F = GetFont(Index); F && Value != F) F->Assign(Value);
}

TStrings* TQELHeaderList::GetStrings(int Index) const {
    return Index == 0 ? FHeader->Sections() : Index == 1 ? FListBox->Items() : nullptr;
}

void TQELHeaderList::SetStrings(int Index, TStrings* Value) {
    if (Index == 0) {
        FHeader->SetSections(Value);
        FListBox->Refresh();
    } else if (Index == 1) {
        FListBox->SetItems(Value);
    }
}

int TQELHeaderList::GetInteger(int Index) const {
    switch (Index) {
    case 0:
        return FHeader->Height();
    case 1:
        return FListBox->ItemIndex();
    case 2:
        return FListBox->TopIndex();
    case 3:
        return FListBox->SelCount();
    case 4:
        return FListBox->ItemHeight();
    case 5:
        return FHeader->Sections()->Count();
    default:
        return 0;
    }
}

void TQELHeaderList::SetInteger(int Index, int Value) {
    switch (Index) {
    case 0:
        if (Value == FHeader->Height()) return;
        FHeader->SetHeight(Value);
        AlignClients();
        Invalidate();
        return;
    case 1:
        FListBox->SetItemIndex(Value);
        return;
    case 2:
        FListBox->SetTopIndex(Value);
        return;
    case 4:
        if (FListBoxStyle == lbStandard) return;
        FStoredItemHeight = Value;
        ApplyItemHeight(Value);
        return;
    default:
        return;
    }
}

// A list box takes item heights of 1 to 255 pixels and keeps its height for anything else.
void TQELHeaderList::ApplyItemHeight(int Value) {
    if (Value >= 1 && Value <= kMaxItemHeight) FListBox->SetItemHeight(Value);
}

bool TQELHeaderList::Selected(int Index) const {
    return FListBox->Selected(Index);
}

void TQELHeaderList::SetSelected(int Index, bool Value) {
    FListBox->SetSelected(Index, Value);
}

std::string TQELHeaderList::Hint() const {
    return FListBox->Hint();
}

void TQELHeaderList::SetHint(const std::string& Value) {
    if (Value == FListBox->Hint()) return;
    FListBox->SetHint(Value);
    FHeader->SetHint(Value);
}

void TQELHeaderList::SetDelimiter(char Value) {
    if (Value == FDelimiter) return;
    FDelimiter = Value;
    FListBox->Refresh();
}

void TQELHeaderList::SetListBoxStyle(TListBoxStyle Value) {
    if (Value == FListBoxStyle) return;
    if (Value == lbStandard) {
        // The standard height is the one the font gives; it follows the font from now on.
        FListBox->SetStyle(lbStandard);
        FListBox->SetItemHeight(0);
        FStoredItemHeight = FListBox->ItemHeight();
        FListBox->SetStyle(lbOwnerDrawFixed);
    } else {
        FListBox->SetStyle(Value);
    }
    FListBoxStyle = Value;
}

TQELBackground* TQELHeaderList::HeaderBackground() const {
    return FHeader->Background();
}

void TQELHeaderList::SetHeaderBackground(TQELBackground* Value) {
    FHeader->SetBack(Value);
}

TQELFont3D* TQELHeaderList::HeaderFont3D() const {
    return FHeader->Font3D();
}

void TQELHeaderList::SetHeaderFont3D(TQELFont3D* Value) {
    FHeader->Set3D(Value);
}

TBorderStyle TQELHeaderList::HeaderBorderStyle() const {
    return FHeader->BorderStyle();
}

void TQELHeaderList::SetHeaderBorderStyle(TBorderStyle Value) {
    FHeader->SetBorderStyle(Value);
}

TCanvas* TQELHeaderList::Canvas() const {
    return FListBox->Canvas();
}

// ---- operations ----

int TQELHeaderList::AddLine(std::initializer_list<std::string_view> Values) {
    std::string Line;
    bool First = true;
    for (std::string_view V : Values) {
        if (!First) Line += FDelimiter;
        Line += V;
        First = false;
    }
    return FListBox->Items()->Add(Line);
}

int TQELHeaderList::AddLine(const std::vector<std::string>& Values) {
    std::string Line;
    for (std::size_t I = 0; I < Values.size(); ++I) {
        if (I) Line += FDelimiter;
        Line += Values[I];
    }
    return FListBox->Items()->Add(Line);
}

std::vector<std::string_view> TQELHeaderList::SplitLine(std::string_view S, char Delimiter) {
    std::vector<std::string_view> Fields;
    std::size_t Start = 0;
    for (std::size_t I = 0; I < S.size(); ++I) {
        if (S[I] == Delimiter) {
            Fields.push_back(S.substr(Start, I - Start));
            Start = I + 1;
        } else if (I + 1 == S.size()) {
            Fields.push_back(S.substr(Start));
        }
    }
    return Fields;
}

std::string TQELHeaderList::ItemPart(int Index, int Part) const {
    const std::string S = FListBox->Items()->Get(Index);
    std::size_t P = S.find(FDelimiter);
    if (Part <= 0) return Part == 0 ? S.substr(0, P) : std::string();
    if (P == std::string::npos) return {};
    for (int K = 1;; ++K) {
        const std::size_t Q = S.find(FDelimiter, P + 1);
        if (K == Part) return S.substr(P + 1, (Q == std::string::npos ? S.size() : Q) - P - 1);
        if (Q == std::string::npos) return {};
        P = Q;
    }
}

int TQELHeaderList::ItemAtPos(TPoint Pos, bool Existing) const {
    return FListBox->ItemAtPos(Pos, Existing);
}

void TQELHeaderList::Clear() {
    FListBox->Clear();
}

void TQELHeaderList::AlignClients() {
    if (!FHeader || !FListBox) return;
    const int H = FHeader->Height(), W = Width(), Ht = Height();
    const int Top = H + 3;
    const bool HeaderShown = FHeader->Visible();
    const int Inset = HeaderShown ? 4 : 3;
    FListBox->SetBounds(Inset, Top, std::max(0, W - 2 * Inset), std::max(0, Ht - Top - Inset));
    if (!FListBox->Visible()) FListBox->SetVisible(true);
    if (HeaderShown) FHeader->SetBounds(3, 3, FListBox->Width() + 2, H);
}

void TQELHeaderList::PrepareDrawItem(const TRect& Rect, TOwnerDrawState State) {
    TCanvas* C = FListBox->Canvas();
    if (State.Contains(odSelected)) {
        C->Brush()->SetColor(FSelectedColor);
        C->Font()->SetColor(clHighlightText);
    } else {
        C->Brush()->SetColor(FListBox->Color());
        C->Font()->SetColor(State.Contains(odDisabled) ? clInactiveCaption
                                                       : FListBox->Font()->Color());
    }
    C->Brush()->SetStyle(bsSolid);
    C->FillRect(Rect);
    // The focus rectangle: the list box draws it over every focused line once drawing is done,
    // and a second one here would invert it away again.
    C->Brush()->SetStyle(bsClear);
}

void TQELHeaderList::DrawItem(TWinControl* Control, int Index, TRect Rect, TOwnerDrawState State) {
    if (FListBoxStyle != lbStandard && OnDrawItem) {
        Fire(OnDrawItem, Control, Index, Rect, State);
        return;
    }
    PrepareDrawItem(Rect, State);
    TCanvas* C = FListBox->Canvas();
    const std::string S = FListBox->Items()->Get(Index);
    if (IsBlank(S)) return;
    const int N = FHeader->Sections()->Count();
    if (N == 0) {
        C->TextRect(Rect, Rect.Left + 2, Rect.Top, VisiblePart(S, Rect.Width()));
        return;
    }
    const std::vector<std::string_view> Fields = SplitLine(S, FDelimiter);
    // Cells are placed from running sums, so even the last section's width (what the others
    // leave of the header) costs nothing per line.
    std::int64_t Left = Rect.Left;
    const std::int64_t HeaderRight = std::int64_t{Rect.Left} + FHeader->ClientWidth();
    const auto Clamp = [](std::int64_t V) {
        return static_cast<int>(std::clamp<std::int64_t>(V, INT_MIN / 2, INT_MAX / 2));
    };
    const int Count = std::min(static_cast<int>(Fields.size()), N);
    for (int I = 0; I < Count; ++I) {
        const std::int64_t Right = I == N - 1 ? HeaderRight : Left + FHeader->GetWidth(I);
        TRect Cell{Clamp(Left), Rect.Top, Clamp(Right), Rect.Bottom};
        const std::string_view Field = Fields[static_cast<std::size_t>(I)];
        if (Cell.Right > Cell.Left && !Field.empty())
            C->TextRect(Cell, Cell.Left + 2, Cell.Top + 1, VisiblePart(Field, Cell.Width()));
        Left = Right;
    }
}

void TQELHeaderList::HeaderSized(TObject* Sender, int ASection, int AWidth) {
    auto Alive = LifeToken();
    FListBox->Refresh();
    if (Alive.expired()) return;
    Fire(OnHeaderSized, Sender, ASection, AWidth);
}

void TQELHeaderList::SetFocus() {
    FListBox->SetFocus();
}

void TQELHeaderList::DefineProperties(TFiler& Filer) {
    TCustomPanel::DefineProperties(Filer);
    Filer.DefineProperty(
        "ItemHeight",
        [this](TReader& R) {
            const int V = R.ReadInteger();
            FStoredItemHeight = V;
            ApplyItemHeight(V);
        },
        [this](TWriter& W) { W.WriteInteger(FListBox->ItemHeight()); },
        FListBoxStyle != lbStandard);
}

void TQELHeaderList::Loaded() {
    TCustomPanel::Loaded();
    AlignClients();
}

void TQELHeaderList::BoundsChanged() {
    TCustomPanel::BoundsChanged();
    AlignClients();
}

void TQELHeaderList::WndProc(TMessage& Message) {
    TCustomPanel::WndProc(Message);
}

void TQELHeaderList::Paint() {
    TCustomPanel::Paint();
    AlignClients();
}

} // namespace qel
