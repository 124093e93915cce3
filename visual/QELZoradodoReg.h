#pragma once
// Design-time entry of the visual package: palette pages, streaming registration of the
// drawing classes and the property editors. The designer finds Register as an exported C
// symbol of the loaded package.
#include "toolkit/core/Export.h"
#include "toolkit/designer/PropEdit.h"

QEL_PUBLIC_BEGIN

namespace qel {

namespace QELZoradodoReg {
void Register();
} // namespace QELZoradodoReg

// "(Execute Test)" in the inspector; the ellipsis runs the component in the designer.
class TQELExecZoradodoProperty : public TStringProperty {
  public:
    using TStringProperty::TStringProperty;
    TPropertyAttributes GetAttributes() const override;
    std::string GetValue() const override;
    void Edit() override;
};

} // namespace qel

extern "C" void Register();

QEL_PUBLIC_END
