#include "visual/QELZoradodo.h"

namespace qel {

// ===== Shared enumerations and the exec component (non-graphic) =============================

static void DescribeExecComponent(TClassBuilder<TQELZoradodoExecComponent>& B) {
    B.String("DesignExecute", &TQELZoradodoExecComponent::DesignExecute,
             &TQELZoradodoExecComponent::SetDesignExecute)
        .Stored(false);
}
QEL_IMPLEMENT_CLASS(TQELZoradodoExecComponent, TComponent, DescribeExecComponent)

TQELZoradodoExecComponent::TQELZoradodoExecComponent(TComponent* AOwner) : TComponent(AOwner) {}

void TQELZoradodoExecComponent::SetDesignExecute(const TQELZoradodoExecStr& Value) {
    DesignExecute_ = Value.substr(0, kMaxExecStr);
}

void TQELZoradodoExecComponent::Execute() {}

// ===== Drawing classes ======================================================================

} // namespace qel
