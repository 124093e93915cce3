#include "tools/qel-mail/SecureOptions.h"

#include "mail/QELTIEmails.h"
#include "toolkit/core/Exceptions.h"

#include <fstream>

namespace qel {

bool TSecureOptions::Take(const std::string& Arg, const std::string* Value, bool& UsedValue,
                          std::string& Why) {
    UsedValue = false;
    if (Arg == "--no-verify") {
        Verify = false;
        return true;
    }
    if (Arg != "--security" && Arg != "--ca-file" && Arg != "--password-file") return false;
    if (!Value) {
        Why = "missing value for " + Arg;
        return true;
    }
    UsedValue = true;
    if (Arg == "--ca-file") {
        CAFile = *Value;
    } else if (Arg == "--password-file") {
        PasswordFile = *Value;
    } else if (*Value == "none") {
        Security = msNone;
    } else if (*Value == "starttls") {
        Security = msStartTLS;
    } else if (*Value == "tls") {
        Security = msImplicitTLS;
    } else {
        Why = "--security needs none, starttls or tls";
    }
    return true;
}

void TSecureOptions::ApplyTo(TQELMailHost& Host) const {
    Host.SetSecurity(Security);
    Host.SetCAFile(CAFile);
    Host.SetVerifyCertificate(Verify);
}

std::string ReadPasswordFile(const std::string& Path) {
    std::ifstream In(Path, std::ios::binary);
    if (!In) throw EFOpenError("Cannot open file \"" + Path + "\"");
    std::string Line;
    std::getline(In, Line);
    while (!Line.empty() && (Line.back() == '\r' || Line.back() == '\n'))
        Line.pop_back();
    return Line;
}

} // namespace qel
