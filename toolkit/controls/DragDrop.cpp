// Drag and drop between controls of the application. One drag at a time: its source holds the
// mouse capture, so every mouse message of the drag reaches the source, which hands it here.
#include "toolkit/controls/Controls.h"
#include "toolkit/controls/Forms.h"

#include <cstdlib>
#include <optional>

namespace qel {

// The drag's way into the protected drag hooks of the controls it meets.
struct TDragAccess {
    static void DragOver(TControl* C, TObject* Source, int X, int Y, TDragState State,
                         bool& Accept) {
        C->DragOver(Source, X, Y, State, Accept);
    }
    static void StartDrag(TControl* C, TDragObject*& Object) { C->DoStartDrag(Object); }
    static void EndDrag(TControl* C, TObject* Target, int X, int Y) { C->DoEndDrag(Target, X, Y); }
};

namespace {

constexpr int DefaultThreshold = 5;

struct TDragSession {
    TControl* Source = nullptr;
    TDragObject* Object = nullptr;
    TPoint Start;
    int Threshold = DefaultThreshold;
    bool Active = false; // past the threshold, OnStartDrag called
    TControl* Target = nullptr;
    bool Accepted = false;
    TPoint Last; // screen position of the last move
    TCursor SavedCursor = crDefault;

    TObject* SourceObject() const {
        if (Object) return Object;
        return Source;
    }
};

std::optional<TDragSession>& Session() {
    static std::optional<TDragSession> S;
    return S;
}

TPoint CursorPoint() {
    TPoint P;
    GetCursorPos(&P);
    return P;
}

void ShowDragCursor() {
    if (!Session()) return;
    TDragSession& S = *Session();
    if (Screen) Screen->SetCursor(S.Accepted ? S.Source->DragCursor() : TCursor{crNoDrop});
}

// Asks Target whether it takes the drag, in its own coordinates.
bool AskTarget(TControl* Target, TPoint ScreenPos, TDragState State) {
    TPoint P = Target->ScreenToClient(ScreenPos);
    bool Accept = false;
    TDragAccess::DragOver(Target, Session()->SourceObject(), P.X, P.Y, State, Accept);
    return Accept;
}

void Begin(TDragSession& S) {
    S.Active = true;
    if (Screen) S.SavedCursor = Screen->Cursor();
    TDragObject* Object = nullptr;
    TDragAccess::StartDrag(S.Source, Object);
    if (Session()) Session()->Object = Object;
}

void DragTo(TPoint P) {
    if (!Session()) return;
    if (!Session()->Active) {
        TDragSession& S = *Session();
        if (std::abs(P.X - S.Start.X) <= S.Threshold && std::abs(P.Y - S.Start.Y) <= S.Threshold)
            return;
        Begin(S);
        if (!Session()) return; // OnStartDrag cancelled it
    }
    Session()->Last = P;
    TControl* Now = FindDragTarget(P, false);
    if (Now != Session()->Target) {
        if (TControl* Old = Session()->Target) {
            Session()->Target = nullptr;
            AskTarget(Old, P, dsDragLeave);
            if (!Session()) return;
        }
        Session()->Target = Now;
        bool Accept = Now && AskTarget(Now, P, dsDragEnter);
        if (!Session()) return;
        Session()->Accepted = Accept && Session()->Target == Now;
    } else if (Now) {
        bool Accept = AskTarget(Now, P, dsDragMove);
        if (!Session()) return;
        Session()->Accepted = Accept && Session()->Target == Now;
    }
    ShowDragCursor();
}

// Ends the drag: a drop when Drop and the target took it. Handlers run after the session is
// gone, so they may start another drag or free the controls involved.
void DragDone(bool Drop) {
    if (!Session()) return;
    TDragSession S = *Session();
    Session().reset();
    if (GetCaptureControl() == S.Source) SetCaptureControl(nullptr);
    if (!S.Active) return;
    if (Screen) Screen->SetCursor(S.SavedCursor);
    TControl* Target = S.Target;
    bool Dropped = Drop && Target && S.Accepted;
    TPoint P = Target ? Target->ScreenToClient(S.Last) : TPoint{};
    auto SourceAlive = S.Source->LifeToken();
    if (Target) {
        // The target always hears the drag leave, then the drop if it took it.
        auto TargetAlive = Target->LifeToken();
        bool Ignored = false;
        TDragAccess::DragOver(Target, S.SourceObject(), P.X, P.Y, dsDragLeave, Ignored);
        if (Dropped && !TargetAlive.expired() && !SourceAlive.expired())
            Target->DragDrop(S.SourceObject(), P.X, P.Y);
        if (TargetAlive.expired()) Target = nullptr;
    }
    if (SourceAlive.expired()) return;
    TDragAccess::EndDrag(S.Source, Dropped ? Target : nullptr, P.X, P.Y);
}

} // namespace

void TControl::BeginDrag(bool Immediate, int Threshold) {
    if (IsDesigning() || Session()) return;
    TDragSession S;
    S.Source = this;
    S.Start = CursorPoint();
    S.Last = S.Start;
    S.Threshold = Threshold < 0 ? DefaultThreshold : Threshold;
    Session() = S;
    SetCaptureControl(this);
    if (Immediate) {
        Begin(*Session());
        DragTo(Session() ? Session()->Start : TPoint{});
    }
}

void TControl::EndDrag(bool Drop) {
    if (Session() && Session()->Source == this) DragDone(Drop);
}

bool TControl::Dragging() const {
    return Session() && Session()->Source == this && Session()->Active;
}

void TControl::DragOver(TObject* Source, int X, int Y, TDragState State, bool& Accept) {
    Accept = static_cast<bool>(OnDragOver);
    if (OnDragOver) OnDragOver(this, Source, X, Y, State, Accept);
}

void TControl::DragDrop(TObject* Source, int X, int Y) {
    if (OnDragDrop) OnDragDrop(this, Source, X, Y);
}

void TControl::DoStartDrag(TDragObject*& DragObject) {
    if (OnStartDrag) OnStartDrag(this, DragObject);
}

void TControl::DoEndDrag(TObject* Target, int X, int Y) {
    if (OnEndDrag) OnEndDrag(this, Target, X, Y);
}

QEL_IMPLEMENT_CLASS(TDragObject, TObject, NoProperties<TDragObject>)

void CancelDrag() {
    DragDone(false);
}

bool DragActive() {
    return Session() && Session()->Active;
}

bool DragMouseMessage(TControl* Control, const TMessage& M) {
    if (!Session() || Session()->Source != Control) return false;
    TWMMouse Mm(M);
    TPoint P = Control->ClientToScreen({Mm.XPos, Mm.YPos});
    bool Active = Session()->Active;
    switch (M.Msg) {
    case WM_MOUSEMOVE:
        DragTo(P);
        // Before the threshold the control still sees its moves.
        return Active;
    case WM_LBUTTONUP:
        if (!Active) {
            DragDone(false);
            return false; // an ordinary click
        }
        Session()->Last = P;
        DragDone(true);
        return true;
    case WM_RBUTTONDOWN:
        DragDone(false);
        return true;
    default:
        return Active;
    }
}

void DragControlDestroying(TControl* Control) {
    if (!Session()) return;
    TDragSession& S = *Session();
    if (S.Source == Control) {
        bool Active = S.Active;
        TCursor Saved = S.SavedCursor;
        Session().reset();
        if (Active && Screen) Screen->SetCursor(Saved);
        return;
    }
    if (S.Target == Control) {
        S.Target = nullptr;
        S.Accepted = false;
    }
}

} // namespace qel
