#pragma once
// A control's link to a shared background. The background keeps a list of the controls that
// show it and repaints them when it changes; the link keeps that list and the control's
// pointer in step, and drops the pointer when the background is freed first (it may belong to
// another form, so the control asks to be told).
#include "toolkit/core/Export.h"
#include "visual/QELTBackground.h"

QEL_PUBLIC_BEGIN

namespace qel {

class TControl;

class TQELBackgroundLink {
  public:
    explicit TQELBackgroundLink(TControl& Client) : FClient(Client) {}
    // Leaves the background's list; the free notification goes with the control itself.
    ~TQELBackgroundLink();
    TQELBackgroundLink(const TQELBackgroundLink&) = delete;
    TQELBackgroundLink& operator=(const TQELBackgroundLink&) = delete;

    TQELBackground* Get() const { return FBackground; }
    TQELBackground* operator->() const { return FBackground; }
    explicit operator bool() const { return FBackground != nullptr; }

    // Leaves the old background's list, joins the new one's and repaints the control. Setting
    // the background already linked leaves one entry in its list.
    void Set(TQELBackground* Value);
    // Call from the control's Notification after the inherited one: drops the link when the
    // linked background is being removed. True when it did.
    bool Notification(const TComponent* AComponent, TOperation Operation);

  private:
    TControl& FClient;
    TQELBackground* FBackground = nullptr;
};

} // namespace qel

QEL_PUBLIC_END
