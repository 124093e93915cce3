#include "toolkit/core/Persistent.h"

#include "toolkit/core/Exceptions.h"

namespace qel {

QEL_IMPLEMENT_CLASS(TPersistent, TObject, NoProperties<TPersistent>)

static void AssignError(const TPersistent* Source, const TPersistent* Dest) {
    std::string From = Source ? Source->ClassName() : std::string("nil");
    throw EConvertError("Cannot assign a " + From + " to a " + Dest->ClassName());
}

void TPersistent::Assign(const TPersistent* Source) {
    if (Source)
        Source->AssignTo(this);
    else
        AssignError(nullptr, this);
}

void TPersistent::AssignTo(TPersistent* Dest) const {
    AssignError(this, Dest);
}

std::string TPersistent::GetNamePath() const {
    std::string Result = ClassName();
    if (TPersistent* O = GetOwner()) {
        std::string S = O->GetNamePath();
        if (!S.empty()) Result = S + "." + Result;
    }
    return Result;
}

void TPersistent::DefineProperties(TFiler&) {}

} // namespace qel
