#pragma once
// The toolkit's exception hierarchy. Every failure the toolkit or the packages raise derives
// from Exception, so an application's handler can catch them all in one place.
#include "toolkit/core/Export.h"

#include <stdexcept>
#include <string>

QEL_PUBLIC_BEGIN

namespace qel {

class Exception : public std::runtime_error {
  public:
    explicit Exception(const std::string& Msg) : std::runtime_error(Msg) {}
    std::string Message() const { return what(); }
};

// Silent exception: unwinds without being shown by the application's handler.
class EAbort : public Exception {
    using Exception::Exception;
};
class EConvertError : public Exception {
    using Exception::Exception;
};
class EInvalidCast : public Exception {
    using Exception::Exception;
};
class EListError : public Exception {
    using Exception::Exception;
};
class EStringListError : public EListError {
    using EListError::EListError;
};
class EStreamError : public Exception {
    using Exception::Exception;
};
class EFCreateError : public EStreamError {
    using EStreamError::EStreamError;
};
class EFOpenError : public EStreamError {
    using EStreamError::EStreamError;
};
class EFilerError : public EStreamError {
    using EStreamError::EStreamError;
};
class EReadError : public EFilerError {
    using EFilerError::EFilerError;
};
class EWriteError : public EFilerError {
    using EFilerError::EFilerError;
};
class EClassNotFound : public EFilerError {
    using EFilerError::EFilerError;
};
class EParserError : public Exception {
    using Exception::Exception;
};
class EComponentError : public Exception {
    using Exception::Exception;
};
class EInvalidOperation : public Exception {
    using Exception::Exception;
};
class EOutOfResources : public Exception {
    using Exception::Exception;
};
class EInvalidGraphic : public Exception {
    using Exception::Exception;
};
class EInvalidGraphicOperation : public Exception {
    using Exception::Exception;
};
class ESocketError : public Exception {
    using Exception::Exception;
};
class ERegistryException : public Exception {
    using Exception::Exception;
};
class EThread : public Exception {
    using Exception::Exception;
};
class EDatabaseError : public Exception {
    using Exception::Exception;
};

} // namespace qel

QEL_PUBLIC_END
