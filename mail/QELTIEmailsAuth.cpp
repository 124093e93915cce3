// The sender's greeting: HELO as it always was, or, when the session is secured or logs in,
// EHLO with the upgrade to TLS (STARTTLS) and the login (AUTH PLAIN or LOGIN). Whatever was
// asked for must happen: a server that does not offer it ends the session with an error,
// never with a quiet carry-on in plain text or without the login.
#include "mail/QELMimeText.h"
#include "mail/QELTIEmails.h"

namespace qel {

bool TQELSMTPMail::Greet() {
    const std::string Me = Socket_->Socket()->LocalHost();
    if (Security() == msNone && UserName_.empty()) {
        SendSocketText("HELO " + Me + "\r\n");
        return Expect("250", nullptr, eeConnect);
    }
    if (!Ehlo()) return false;
    if (Security() == msStartTLS) {
        if (!Caps_.StartTLS) {
            ReportFailure(mailerror::TlsNotOffered, "The server does not offer STARTTLS");
            return false;
        }
        SendSocketText("STARTTLS\r\n");
        if (!Expect("220", nullptr, eeConnect)) return false;
        // Anything after the go-ahead was sent in plain text by whoever sits on the line; read
        // as if it came through TLS it would forge the server's answers.
        if (!Lines_.Empty()) {
            ReportFailure(mailerror::TlsInjection,
                          "The server sent plain text after agreeing to STARTTLS");
            return false;
        }
        std::string Why;
        if (!StartTls(ReplyTimeout_, Why)) {
            ReportFailure(mailerror::TlsHandshake, Why);
            return false;
        }
        // What the plain-text EHLO reply offered is forgotten: only the secured one counts.
        if (!Ehlo()) return false;
    }
    return UserName_.empty() || Authenticate();
}

bool TQELSMTPMail::Ehlo() {
    Caps_ = {};
    SendSocketText("EHLO " + Socket_->Socket()->LocalHost() + "\r\n");
    if (!Expect("250", nullptr, eeConnect)) return false;
    for (std::size_t I = 1; I < ReplyLines_.size(); ++I)
        ParseEhloLine(ReplyLines_[I], Caps_);
    return true;
}

bool TQELSMTPMail::Authenticate() {
    TQELAuthMethod Method = AuthMethod_;
    if (Method == amAutomatic)
        Method = Caps_.AuthPlain ? amPlain : Caps_.AuthLogin ? amLogin : amAutomatic;
    const bool Offered =
        (Method == amPlain && Caps_.AuthPlain) || (Method == amLogin && Caps_.AuthLogin);
    if (!Offered) {
        const char* Wanted = AuthMethod_ == amPlain   ? "AUTH PLAIN"
                             : AuthMethod_ == amLogin ? "AUTH LOGIN"
                                                      : "AUTH PLAIN or LOGIN";
        ReportFailure(mailerror::AuthNotOffered, std::string("The server does not offer ") +
                                                     Wanted + (TlsActive() ? "" : " without TLS"));
        return false;
    }
    if (Method == amPlain) {
        SendSocketText("AUTH PLAIN " + AuthPlainResponse(UserName_, Password_) + "\r\n");
        return Expect("235");
    }
    SendSocketText("AUTH LOGIN\r\n");
    if (!Expect("334")) return false;
    SendSocketText(mimetext::Base64Encode(UserName_) + "\r\n");
    if (!Expect("334")) return false;
    SendSocketText(mimetext::Base64Encode(Password_) + "\r\n");
    return Expect("235");
}

} // namespace qel
