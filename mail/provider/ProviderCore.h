#pragma once
// The Simple MAPI provider's working parts, shared by the delivering provider (qelmapi) and the
// recording one (qelmapi_record).
//
// Settings live in the registry store under HKEY_CURRENT_USER\Software\QEL\SimpleMAPI:
//   SmtpHost     SMTP server to deliver to; when empty or absent, mail goes to the outbox
//   SmtpPort     its port (number or decimal string), default 25
//   Outbox       folder for messages when no SMTP server is set (default
//                ~/.local/share/qel/outbox), one RFC 5322 file "<time>-<pid>-<n>.eml" each,
//                with a Bcc header so that nothing about the recipients is lost
//   FaxSpool     folder for faxes (default ~/.local/share/qel/faxspool), one file
//                "<time>-<pid>-<n>.fax" per fax recipient: the same message text with
//                X-Fax-Number and X-Fax-Recipient headers
//   AddressBook  the address book file (default ~/.config/qel/addressbook)
//   Sender       the From address (default <login name>@<host name>)
// A profile named at logon is the subkey Profiles\<name> of that key; its values override the
// ones above, and its "Password" value, when present, must match the logon password.
//
// Address book: a text file, one entry a line, "display name = address"; blank lines and lines
// starting with "#" are ignored. An address is "name@domain", "SMTP:name@domain" or
// "FAX:number".
#include "mail/SimpleMapi.h"

#include <optional>
#include <string>
#include <vector>

namespace qel::mapi {

inline constexpr char SettingsKey[] = "Software\\QEL\\SimpleMAPI";

struct Settings {
    std::string SmtpHost;
    int SmtpPort = 25;
    std::string Outbox;
    std::string FaxSpool;
    std::string AddressBook;
    std::string Sender;
};

// The base settings, overridden by the profile's when Profile names one.
Settings LoadSettings(const std::string& Profile);
bool ProfileExists(const std::string& Profile);
// The profile's password, when it has one.
std::optional<std::string> ProfilePassword(const std::string& Profile);

struct BookEntry {
    std::string Name;
    std::string Address; // as written in the book
};
std::vector<BookEntry> LoadAddressBook(const std::string& Path);

// A delivery address taken apart.
struct Address {
    enum Kind { Mail, Fax } Type = Mail;
    std::string Value; // the mail address or the fax number
    std::string Text() const { return (Type == Fax ? "FAX:" : "SMTP:") + Value; }
};
// Understands "SMTP:a@b", "FAX:123", "Name <a@b>", "a@b", and a text holding one of them
// ("Bob SMTP:bob@example.test"). Nothing for text that holds no usable address, or one with
// characters that could break a header or an SMTP command.
std::optional<Address> ParseAddress(const std::string& Text);

enum class ResolveStatus { Resolved, Unknown, Ambiguous };
struct Resolution {
    ResolveStatus Status = ResolveStatus::Unknown;
    std::string Name;
    Address Where;
};
// Resolution order: an address in square brackets; an exact (case-blind) match of a book
// entry's name or address; the only entry whose name contains the text (several: ambiguous);
// the text itself when it is an address.
Resolution ResolveName(const std::vector<BookEntry>& Book, const std::string& Name);

struct Recipient {
    std::string Name;
    Address Where;
};
struct FileRef {
    std::string Path;
    std::string Name;
};
struct OutMessage {
    std::string Subject;
    std::string Note;
    bool Receipt = false;
    std::vector<Recipient> To, Cc, Bcc;
    std::vector<FileRef> Files;
};

// Checks and copies a message handed to MAPISendMail; SUCCESS_SUCCESS or the error to report.
MAPI_ULONG ReadMessage(const MapiMessage* In, const std::vector<BookEntry>& Book, OutMessage& Out);

// The whole RFC 5322 message with CRLF line ends. Attachments are read here; a file that
// cannot be read throws MapiError(MAPI_E_ATTACHMENT_OPEN_FAILURE).
std::string ComposeMessage(const OutMessage& M, const Settings& S, bool WithBcc,
                           const std::vector<std::string>& ExtraHeaders);

struct MapiError {
    MAPI_ULONG Code;
    std::string Why;
};

// Delivers: mail recipients to the SMTP server or the outbox, each fax recipient to the
// spool. Throws MapiError.
void Deliver(const OutMessage& M, const Settings& S);

// Sends Data to the server for the envelope; throws MapiError.
void SmtpSend(const Settings& S, const std::string& From, const std::vector<std::string>& To,
              const std::string& Data);

// Buffers handed to the caller and released with MAPIFreeBuffer.
MapiRecipDesc* NewRecipient(MAPI_ULONG Class, const std::string& Name, const std::string& Address);
MAPI_ULONG FreeBuffer(void* P);

} // namespace qel::mapi
