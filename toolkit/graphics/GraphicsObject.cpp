#include "toolkit/graphics/GraphicsObject.h"

namespace qel {

QEL_IMPLEMENT_CLASS(TGraphicsObject, TPersistent, NoProperties<TGraphicsObject>)

void TGraphicsObject::Changed() {
    if (OnChange) OnChange(this);
}

} // namespace qel
