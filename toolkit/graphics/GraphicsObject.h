#pragma once
// Base of the drawing objects (pens, brushes, fonts and the packages' own drawing settings):
// a persistent object that tells its user through OnChange whenever one of its properties
// changes.
#include "toolkit/core/Event.h"
#include "toolkit/core/Export.h"
#include "toolkit/core/Persistent.h"

QEL_PUBLIC_BEGIN

namespace qel {

class TGraphicsObject : public TPersistent {
    QEL_CLASS(TGraphicsObject, TPersistent)
  public:
    TGraphicsObject() = default;

    TNotifyEvent OnChange;

    // Fires OnChange(this). Setters call it after storing a new value.
    virtual void Changed();
};

} // namespace qel

QEL_PUBLIC_END
