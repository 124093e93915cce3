#pragma once
// The Simple MAPI interface as published by its standard: the records passed to and from a
// messaging client, the flags and result codes, and the entry points' signatures. Shared by
// the mail components, which load a provider at run time, and the providers of this project.
// Integer widths follow the standard's Win32 types: ULONG and FLAGS are 32 bits; session
// handles and UI parameters are pointer-sized.
#include "toolkit/core/Export.h"

#include <cstdint>

QEL_PUBLIC_BEGIN

namespace qel {

using MAPI_ULONG = std::uint32_t;
using FLAGS = std::uint32_t;
using LHANDLE = std::uintptr_t;
using LPLHANDLE = LHANDLE*;
using ULONG_PTR = std::uintptr_t;

struct MapiFileDesc {
    MAPI_ULONG ulReserved; // 0
    MAPI_ULONG flFlags;    // MAPI_OLE, MAPI_OLE_STATIC or 0
    MAPI_ULONG nPosition;  // character position in the note text, or 0xFFFFFFFF for none
    char* lpszPathName;    // full path of the file
    char* lpszFileName;    // name shown to the recipient; null: the path's name part
    void* lpFileType;      // reserved, null
};
using lpMapiFileDesc = MapiFileDesc*;

struct MapiRecipDesc {
    MAPI_ULONG ulReserved;   // 0
    MAPI_ULONG ulRecipClass; // MAPI_ORIG, MAPI_TO, MAPI_CC or MAPI_BCC
    char* lpszName;          // display name
    char* lpszAddress;       // "type:address", or null for a name to be resolved
    MAPI_ULONG ulEIDSize;    // size of lpEntryID
    void* lpEntryID;         // provider's identifier of the recipient, or null
};
using lpMapiRecipDesc = MapiRecipDesc*;

struct MapiMessage {
    MAPI_ULONG ulReserved; // 0
    char* lpszSubject;
    char* lpszNoteText;
    char* lpszMessageType;  // null for an interpersonal message
    char* lpszDateReceived; // "YYYY/MM/DD HH:MM"
    char* lpszConversationID;
    FLAGS flFlags; // MAPI_UNREAD, MAPI_RECEIPT_REQUESTED, MAPI_SENT
    lpMapiRecipDesc lpOriginator;
    MAPI_ULONG nRecipCount;
    lpMapiRecipDesc lpRecips;
    MAPI_ULONG nFileCount;
    lpMapiFileDesc lpFiles;
};
using lpMapiMessage = MapiMessage*;

// Recipient classes.
inline constexpr MAPI_ULONG MAPI_ORIG = 0;
inline constexpr MAPI_ULONG MAPI_TO = 1;
inline constexpr MAPI_ULONG MAPI_CC = 2;
inline constexpr MAPI_ULONG MAPI_BCC = 3;

// Message flags.
inline constexpr FLAGS MAPI_UNREAD = 0x00000001;
inline constexpr FLAGS MAPI_RECEIPT_REQUESTED = 0x00000002;
inline constexpr FLAGS MAPI_SENT = 0x00000004;

// Call flags.
inline constexpr FLAGS MAPI_LOGON_UI = 0x00000001;
inline constexpr FLAGS MAPI_NEW_SESSION = 0x00000002;
inline constexpr FLAGS MAPI_DIALOG = 0x00000008;
inline constexpr FLAGS MAPI_EXTENDED = 0x00000020;
inline constexpr FLAGS MAPI_UNREAD_ONLY = 0x00000020;
inline constexpr FLAGS MAPI_ENVELOPE_ONLY = 0x00000040;
inline constexpr FLAGS MAPI_PEEK = 0x00000080;
inline constexpr FLAGS MAPI_GUARANTEE_FIFO = 0x00000100;
inline constexpr FLAGS MAPI_BODY_AS_FILE = 0x00000200;
inline constexpr FLAGS MAPI_AB_NOMODIFY = 0x00000400;
inline constexpr FLAGS MAPI_SUPPRESS_ATTACH = 0x00000800;
inline constexpr FLAGS MAPI_FORCE_DOWNLOAD = 0x00001000;
inline constexpr FLAGS MAPI_LONG_MSGID = 0x00004000;
inline constexpr FLAGS MAPI_PASSWORD_UI = 0x00020000;

// Attachment flags.
inline constexpr MAPI_ULONG MAPI_OLE = 0x00000001;
inline constexpr MAPI_ULONG MAPI_OLE_STATIC = 0x00000002;

// Results.
inline constexpr MAPI_ULONG SUCCESS_SUCCESS = 0;
inline constexpr MAPI_ULONG MAPI_USER_ABORT = 1;
inline constexpr MAPI_ULONG MAPI_E_USER_ABORT = MAPI_USER_ABORT;
inline constexpr MAPI_ULONG MAPI_E_FAILURE = 2;
inline constexpr MAPI_ULONG MAPI_E_LOGON_FAILURE = 3;
inline constexpr MAPI_ULONG MAPI_E_LOGIN_FAILURE = MAPI_E_LOGON_FAILURE;
inline constexpr MAPI_ULONG MAPI_E_DISK_FULL = 4;
inline constexpr MAPI_ULONG MAPI_E_INSUFFICIENT_MEMORY = 5;
inline constexpr MAPI_ULONG MAPI_E_ACCESS_DENIED = 6;
inline constexpr MAPI_ULONG MAPI_E_TOO_MANY_SESSIONS = 8;
inline constexpr MAPI_ULONG MAPI_E_TOO_MANY_FILES = 9;
inline constexpr MAPI_ULONG MAPI_E_TOO_MANY_RECIPIENTS = 10;
inline constexpr MAPI_ULONG MAPI_E_ATTACHMENT_NOT_FOUND = 11;
inline constexpr MAPI_ULONG MAPI_E_ATTACHMENT_OPEN_FAILURE = 12;
inline constexpr MAPI_ULONG MAPI_E_ATTACHMENT_WRITE_FAILURE = 13;
inline constexpr MAPI_ULONG MAPI_E_UNKNOWN_RECIPIENT = 14;
inline constexpr MAPI_ULONG MAPI_E_BAD_RECIPTYPE = 15;
inline constexpr MAPI_ULONG MAPI_E_NO_MESSAGES = 16;
inline constexpr MAPI_ULONG MAPI_E_INVALID_MESSAGE = 17;
inline constexpr MAPI_ULONG MAPI_E_TEXT_TOO_LARGE = 18;
inline constexpr MAPI_ULONG MAPI_E_INVALID_SESSION = 19;
inline constexpr MAPI_ULONG MAPI_E_TYPE_NOT_SUPPORTED = 20;
inline constexpr MAPI_ULONG MAPI_E_AMBIGUOUS_RECIPIENT = 21;
inline constexpr MAPI_ULONG MAPI_E_AMBIG_RECIP = MAPI_E_AMBIGUOUS_RECIPIENT;
inline constexpr MAPI_ULONG MAPI_E_MESSAGE_IN_USE = 22;
inline constexpr MAPI_ULONG MAPI_E_NETWORK_FAILURE = 23;
inline constexpr MAPI_ULONG MAPI_E_INVALID_EDITFIELDS = 24;
inline constexpr MAPI_ULONG MAPI_E_INVALID_RECIPS = 25;
inline constexpr MAPI_ULONG MAPI_E_NOT_SUPPORTED = 26;

// No position in the note text for an attachment.
inline constexpr MAPI_ULONG MAPI_NO_POSITION = 0xFFFFFFFF;

} // namespace qel

// Entry point types, as resolved by name from a provider library. The providers export these
// names with C linkage.
extern "C" {
using LPMAPILOGON = qel::MAPI_ULONG (*)(qel::ULONG_PTR ulUIParam, char* lpszProfileName,
                                        char* lpszPassword, qel::FLAGS flFlags,
                                        qel::MAPI_ULONG ulReserved, qel::LPLHANDLE lplhSession);
using LPMAPILOGOFF = qel::MAPI_ULONG (*)(qel::LHANDLE lhSession, qel::ULONG_PTR ulUIParam,
                                         qel::FLAGS flFlags, qel::MAPI_ULONG ulReserved);
using LPMAPISENDMAIL = qel::MAPI_ULONG (*)(qel::LHANDLE lhSession, qel::ULONG_PTR ulUIParam,
                                           qel::lpMapiMessage lpMessage, qel::FLAGS flFlags,
                                           qel::MAPI_ULONG ulReserved);
using LPMAPIFINDNEXT = qel::MAPI_ULONG (*)(qel::LHANDLE lhSession, qel::ULONG_PTR ulUIParam,
                                           char* lpszMessageType, char* lpszSeedMessageID,
                                           qel::FLAGS flFlags, qel::MAPI_ULONG ulReserved,
                                           char* lpszMessageID);
using LPMAPIREADMAIL = qel::MAPI_ULONG (*)(qel::LHANDLE lhSession, qel::ULONG_PTR ulUIParam,
                                           char* lpszMessageID, qel::FLAGS flFlags,
                                           qel::MAPI_ULONG ulReserved,
                                           qel::lpMapiMessage* lppMessage);
using LPMAPISAVEMAIL = qel::MAPI_ULONG (*)(qel::LHANDLE lhSession, qel::ULONG_PTR ulUIParam,
                                           qel::lpMapiMessage lpMessage, qel::FLAGS flFlags,
                                           qel::MAPI_ULONG ulReserved, char* lpszMessageID);
using LPMAPIDELETEMAIL = qel::MAPI_ULONG (*)(qel::LHANDLE lhSession, qel::ULONG_PTR ulUIParam,
                                             char* lpszMessageID, qel::FLAGS flFlags,
                                             qel::MAPI_ULONG ulReserved);
using LPMAPIFREEBUFFER = qel::MAPI_ULONG (*)(void* pv);
using LPMAPIADDRESS = qel::MAPI_ULONG (*)(qel::LHANDLE lhSession, qel::ULONG_PTR ulUIParam,
                                          char* lpszCaption, qel::MAPI_ULONG nEditFields,
                                          char* lpszLabels, qel::MAPI_ULONG nRecips,
                                          qel::lpMapiRecipDesc lpRecips, qel::FLAGS flFlags,
                                          qel::MAPI_ULONG ulReserved, qel::MAPI_ULONG* lpnNewRecips,
                                          qel::lpMapiRecipDesc* lppNewRecips);
using LPMAPIRESOLVENAME = qel::MAPI_ULONG (*)(qel::LHANDLE lhSession, qel::ULONG_PTR ulUIParam,
                                              char* lpszName, qel::FLAGS flFlags,
                                              qel::MAPI_ULONG ulReserved,
                                              qel::lpMapiRecipDesc* lppRecip);
}

QEL_PUBLIC_END
