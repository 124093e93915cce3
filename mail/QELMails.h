#pragma once
// Root of the mail package: every mail component can be started from the designer through its
// DesignExecute property, whose editor simply calls Execute.
#include "toolkit/core/Component.h"
#include "toolkit/core/Export.h"

#include <string>

QEL_PUBLIC_BEGIN

namespace qel {

// A display-only short string of at most 33 characters.
using TQELExecMailStr = std::string;
inline constexpr std::size_t QELExecMailStrMax = 33;

class TQELMailsComponent : public TComponent {
    QEL_CLASS(TQELMailsComponent, TComponent)
  public:
    explicit TQELMailsComponent(TComponent* AOwner);

    const TQELExecMailStr& DesignExecute() const { return DesignExecute_; }
    // Longer values are cut to the short-string length rather than refused, as the designer
    // only ever shows this text.
    void SetDesignExecute(const TQELExecMailStr& Value);

    // Runs the component once. The base has nothing to run.
    virtual bool Execute();

  private:
    TQELExecMailStr DesignExecute_;
};

// The application's message pump and exception handler, as every long mail operation uses
// them: keeps the host application responsive during sessions and encodes, and shows a failure
// that ends an operation. QELHandleException must be called from inside a catch block.
void QELProcessMessages();
void QELHandleException(TObject* Sender);

} // namespace qel

QEL_PUBLIC_END
