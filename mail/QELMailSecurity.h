#pragma once
// What the secured sessions share: the security and login choices of the two internet mail
// components, the error codes of their failures, and the small parsers and encoders of the
// protocol extensions (EHLO capabilities, SMTP AUTH, APOP, UIDL).
#include "toolkit/core/Export.h"
#include "toolkit/core/Properties.h"

#include <cstdint>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

QEL_PUBLIC_BEGIN

namespace qel {

// msNone: plain text, as the components always spoke. msStartTLS: plain connect, then the
// upgrade (STARTTLS, STLS), which must succeed. msImplicitTLS: TLS from the first byte.
enum TQELMailSecurity { msNone, msStartTLS, msImplicitTLS };
QEL_ENUM_INFO(TQELMailSecurity, "msNone", "msStartTLS", "msImplicitTLS")

// amAutomatic picks PLAIN when the server offers it, else LOGIN.
enum TQELAuthMethod { amAutomatic, amPlain, amLogin };
QEL_ENUM_INFO(TQELAuthMethod, "amAutomatic", "amPlain", "amLogin")

// Codes handed to OnError for failures that are not a server's reply of their own.
namespace mailerror {
inline constexpr int TlsNotOffered = 3001;  // STARTTLS asked for, not in the EHLO reply
inline constexpr int TlsHandshake = 3002;   // handshake or certificate check failed
inline constexpr int AuthNotOffered = 3003; // no login method of ours among the server's
inline constexpr int TlsChannel = 3004;     // the TLS channel failed during the session
inline constexpr int TlsInjection = 3005;   // plain-text bytes sent along with the go-ahead
// POP3 "-ERR" answers, next to the codes 2000 to 2006 of the older commands.
inline constexpr int Pop3Uidl = 2007;
inline constexpr int Pop3Stls = 2008;
} // namespace mailerror

// What an EHLO reply offers.
struct TQELEhloCapabilities {
    bool StartTLS = false;
    bool AuthPlain = false;
    bool AuthLogin = false;
    bool Size = false;
    std::uint64_t SizeLimit = 0; // 0: no limit stated
};

// Adds what one line of an EHLO reply ("250-AUTH PLAIN LOGIN", "250 SIZE 1000") offers. The
// first line names the server and offers nothing; unknown keywords are ignored.
void ParseEhloLine(std::string_view Line, TQELEhloCapabilities& Caps);

// The initial response of AUTH PLAIN: authorization identity empty, then user and password.
std::string AuthPlainResponse(const std::string& User, const std::string& Password);

// The "<...>" timestamp of a POP3 greeting, empty when it carries none.
std::string ApopTimestamp(std::string_view Greeting);
// The APOP digest: lower-case hex MD5 of timestamp followed by the password.
std::string ApopDigest(const std::string& Timestamp, const std::string& Password);

// A UIDL listing (the lines after "+OK" and before "."): message number and unique ID per
// line. False for a line that is no "number id" pair or an ID outside the 1..70 characters of
// 0x21..0x7E; Entries then holds the lines before it.
using TQELUidList = std::vector<std::pair<int, std::string>>;
bool ParseUidlListing(std::string_view Text, TQELUidList& Entries);

} // namespace qel

QEL_PUBLIC_END
