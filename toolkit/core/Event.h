#pragma once
// Events are closures. A form file binds them by method name, so each event also remembers the
// name it was bound from; that name is what the writer puts back into the form file.
#include "toolkit/core/Export.h"

#include <functional>
#include <string>
#include <utility>

QEL_PUBLIC_BEGIN

namespace qel {

class TObject;

template <class Sig> class TEvent;

template <class R, class... A> class TEvent<R(A...)> {
  public:
    using Handler = std::function<R(A...)>;

    TEvent() = default;
    TEvent(Handler H) : Fn(std::move(H)) {}
    TEvent(Handler H, std::string Name) : Fn(std::move(H)), MethodName(std::move(Name)) {}
    TEvent& operator=(Handler H) {
        Fn = std::move(H);
        MethodName.clear();
        return *this;
    }
    TEvent& operator=(std::nullptr_t) {
        Fn = nullptr;
        MethodName.clear();
        return *this;
    }

    explicit operator bool() const { return static_cast<bool>(Fn); }
    bool Assigned() const { return static_cast<bool>(Fn); }
    R operator()(A... Args) const { return Fn(std::forward<A>(Args)...); }

    Handler Fn;
    std::string MethodName; // empty when assigned from code
};

using TNotifyEvent = TEvent<void(TObject* Sender)>;

} // namespace qel

QEL_PUBLIC_END
