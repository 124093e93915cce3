#pragma once
// Objects that can be assigned to one another and streamed.
#include "toolkit/core/Export.h"
#include "toolkit/core/Object.h"
#include "toolkit/core/Properties.h"

QEL_PUBLIC_BEGIN

namespace qel {

class TFiler;

class TPersistent : public TObject {
    QEL_CLASS(TPersistent, TObject)
  public:
    // Copies Source into this object. The default asks Source to AssignTo this object and
    // throws EConvertError ("Cannot assign a TX to a TY") when neither side knows the other.
    virtual void Assign(const TPersistent* Source);
    // Name shown by the designer and in error messages.
    virtual std::string GetNamePath() const;
    // Declares unpublished data that form files carry (TBitmap.Data, item heights …).
    virtual void DefineProperties(TFiler& Filer);

  protected:
    virtual void AssignTo(TPersistent* Dest) const;
    // The object a nested sub-object belongs to, for name paths.
    virtual TPersistent* GetOwner() const { return nullptr; }
};

} // namespace qel

QEL_PUBLIC_END
