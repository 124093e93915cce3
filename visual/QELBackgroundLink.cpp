#include "visual/QELBackgroundLink.h"

#include "toolkit/controls/Controls.h"

namespace qel {

namespace {

// A control with two links to one background is in its list twice.
bool Lists(const TQELBackground& Background, const TObject* Client) {
    for (int I = 0; I < Background.ClientCount(); ++I)
        if (Background.Clients(I) == Client) return true;
    return false;
}

} // namespace

TQELBackgroundLink::~TQELBackgroundLink() {
    QELLeaveBackground(FBackground, &FClient);
    FBackground = nullptr;
}

void TQELBackgroundLink::Set(TQELBackground* Value) {
    TQELBackground* Old = FBackground;
    QELLeaveBackground(Old, &FClient);
    if (Value) {
        Value->AddItem(&FClient);
        Value->FreeNotification(&FClient);
    }
    FBackground = Value;
    // A background being freed forgets its partners itself, and its list is already gone.
    if (Old && Old != Value && !Old->IsDestroying() && !Lists(*Old, &FClient))
        Old->RemoveFreeNotification(&FClient);
    FClient.Invalidate();
}

bool TQELBackgroundLink::Notification(const TComponent* AComponent, TOperation Operation) {
    if (Operation != opRemove || !FBackground || AComponent != FBackground) return false;
    Set(nullptr);
    return true;
}

} // namespace qel
