#pragma once
// The options that send and fetch share for secured sessions:
//   --security none|starttls|tls   --ca-file FILE   --no-verify   --password-file FILE
// The password is read from a file, never taken from the command line, where every user of
// the machine could read it.
#include "mail/QELMailSecurity.h"

#include <string>

namespace qel {

class TQELMailHost;

struct TSecureOptions {
    TQELMailSecurity Security = msNone;
    std::string CAFile;
    bool Verify = true;
    std::string PasswordFile;

    // True when Arg is one of the shared options, which then takes Value (null at the end of
    // the arguments) when it needs one and says so in UsedValue; Why is set for a bad value.
    bool Take(const std::string& Arg, const std::string* Value, bool& UsedValue, std::string& Why);
    void ApplyTo(TQELMailHost& Host) const;
};

inline constexpr const char* SecureUsage =
    "[--security none|starttls|tls] [--ca-file F] [--no-verify]";

// The first line of Path without its line end; throws EFOpenError when it cannot be read.
std::string ReadPasswordFile(const std::string& Path);

} // namespace qel
