// qelmapi_record: a Simple MAPI provider for tests. It delivers nothing; it writes down every
// call with all of its arguments and records, and answers as scripted.
//
// The record is kept in memory (QelMapiRecordLog) and, when the environment variable
// QEL_MAPI_RECORD names a file, appended to that file as each call is made. One call is one
// "CALL" line followed by indented lines for the records it was given:
//
//   CALL MAPISendMail session=1 ui=0 flags=0x8 reserved=0 -> 0
//     MESSAGE reserved=0 subject="Hi" note="..." type=null date=null conversation=null
//             flags=0x2 originator=null recips=2 files=1          (one line)
//     RECIP reserved=0 class=1 name="Bob" address=null eidsize=0 eid=null
//     FILE reserved=0 flags=0x0 position=0xffffffff path="/tmp/a.txt" name="a.txt" type=null
//
// Strings are quoted with C escapes; a null pointer is written null.
//
// Results: QelMapiRecordScript("MAPILogon=3,3;MAPISendMail=0,2") queues results per entry
// point, used one per call in order; an entry point with an empty queue succeeds. Logon hands
// out session handles 1, 2, ...; MAPIResolveName resolves like the real provider and, where
// that finds nothing, to the name itself.
#include "mail/provider/ProviderCore.h"
#include "toolkit/platform/Environment.h"

#include <cstdio>
#include <cstdlib>
#include <deque>
#include <fstream>
#include <map>
#include <mutex>
#include <sstream>

using namespace qel;
using namespace qel::mapi;

#define QEL_MAPI_EXPORT extern "C" __attribute__((visibility("default")))

namespace {

std::mutex Lock;
std::string Log;
std::string LogCopy;
std::map<std::string, std::deque<MAPI_ULONG>> Script;
LHANDLE NextSession = 1;

std::string Str(const char* S) {
    if (!S) return "null";
    std::string R = "\"";
    for (const char* P = S; *P; ++P) {
        unsigned char C = static_cast<unsigned char>(*P);
        switch (C) {
        case '"':
            R += "\\\"";
            break;
        case '\\':
            R += "\\\\";
            break;
        case '\r':
            R += "\\r";
            break;
        case '\n':
            R += "\\n";
            break;
        case '\t':
            R += "\\t";
            break;
        default:
            if (C < 0x20) {
                char B[8];
                std::snprintf(B, sizeof B, "\\x%02x", C);
                R += B;
            } else {
                R += static_cast<char>(C);
            }
        }
    }
    return R + "\"";
}

std::string Hex(unsigned long long V) {
    char B[24];
    std::snprintf(B, sizeof B, "0x%llx", V);
    return B;
}

std::string Ptr(const void* P) {
    return P ? "set" : "null";
}

std::string Recip(const MapiRecipDesc& R) {
    return "  RECIP reserved=" + std::to_string(R.ulReserved) +
           " class=" + std::to_string(R.ulRecipClass) + " name=" + Str(R.lpszName) +
           " address=" + Str(R.lpszAddress) + " eidsize=" + std::to_string(R.ulEIDSize) +
           " eid=" + Ptr(R.lpEntryID) + "\n";
}

std::string Message(const MapiMessage* M) {
    if (!M) return "  MESSAGE null\n";
    std::string S =
        "  MESSAGE reserved=" + std::to_string(M->ulReserved) + " subject=" + Str(M->lpszSubject) +
        " note=" + Str(M->lpszNoteText) + " type=" + Str(M->lpszMessageType) +
        " date=" + Str(M->lpszDateReceived) + " conversation=" + Str(M->lpszConversationID) +
        " flags=" + Hex(M->flFlags) + " originator=" + Ptr(M->lpOriginator) +
        " recips=" + std::to_string(M->nRecipCount) + " recipsptr=" + Ptr(M->lpRecips) +
        " files=" + std::to_string(M->nFileCount) + " filesptr=" + Ptr(M->lpFiles) + "\n";
    if (M->lpOriginator) S += "  ORIGINATOR" + Recip(*M->lpOriginator).substr(7);
    if (M->lpRecips)
        for (MAPI_ULONG I = 0; I < M->nRecipCount; ++I)
            S += Recip(M->lpRecips[I]);
    if (M->lpFiles)
        for (MAPI_ULONG I = 0; I < M->nFileCount; ++I) {
            const MapiFileDesc& F = M->lpFiles[I];
            S += "  FILE reserved=" + std::to_string(F.ulReserved) + " flags=" + Hex(F.flFlags) +
                 " position=" + Hex(F.nPosition) + " path=" + Str(F.lpszPathName) +
                 " name=" + Str(F.lpszFileName) + " type=" + Ptr(F.lpFileType) + "\n";
        }
    return S;
}

// Takes the next scripted result of Fn; caller holds Lock.
MAPI_ULONG Next(const std::string& Fn) {
    auto It = Script.find(Fn);
    if (It == Script.end() || It->second.empty()) return SUCCESS_SUCCESS;
    MAPI_ULONG R = It->second.front();
    It->second.pop_front();
    return R;
}

// Adds an entry; caller holds Lock.
void Record(const std::string& Entry) {
    Log += Entry;
    if (auto F = GetEnvironmentValue("QEL_MAPI_RECORD"); F && !F->empty()) {
        std::ofstream Out(*F, std::ios::app);
        Out << Entry;
    }
}

std::string Head(const char* Fn) {
    return std::string("CALL ") + Fn;
}

} // namespace

QEL_MAPI_EXPORT const char* QelMapiRecordLog() {
    std::lock_guard<std::mutex> G(Lock);
    LogCopy = Log;
    return LogCopy.c_str();
}

QEL_MAPI_EXPORT void QelMapiRecordReset() {
    std::lock_guard<std::mutex> G(Lock);
    Log.clear();
    Script.clear();
    NextSession = 1;
}

// "Name=r1,r2;Name2=r3": appends results to the queues. Returns 0, or -1 for a bad script.
QEL_MAPI_EXPORT int QelMapiRecordScript(const char* Text) {
    if (!Text) return -1;
    std::lock_guard<std::mutex> G(Lock);
    std::stringstream In(Text);
    std::string Item;
    while (std::getline(In, Item, ';')) {
        if (Item.empty()) continue;
        std::size_t Eq = Item.find('=');
        if (Eq == std::string::npos) return -1;
        std::string Fn = Item.substr(0, Eq);
        std::stringstream Vals(Item.substr(Eq + 1));
        std::string V;
        while (std::getline(Vals, V, ',')) {
            char* End = nullptr;
            unsigned long X = std::strtoul(V.c_str(), &End, 10);
            if (V.empty() || *End) return -1;
            Script[Fn].push_back(static_cast<MAPI_ULONG>(X));
        }
    }
    return 0;
}

QEL_MAPI_EXPORT MAPI_ULONG MAPILogon(ULONG_PTR ui, char* lpszProfileName, char* lpszPassword,
                                     FLAGS flFlags, MAPI_ULONG ulReserved, LPLHANDLE lplhSession) {
    std::lock_guard<std::mutex> G(Lock);
    MAPI_ULONG R = Next("MAPILogon");
    if (R == SUCCESS_SUCCESS && lplhSession) *lplhSession = NextSession++;
    Record(Head("MAPILogon") + " ui=" + std::to_string(ui) + " profile=" + Str(lpszProfileName) +
           " password=" + Str(lpszPassword) + " flags=" + Hex(flFlags) +
           " reserved=" + std::to_string(ulReserved) + " -> " + std::to_string(R) + " session=" +
           (lplhSession && R == SUCCESS_SUCCESS ? std::to_string(*lplhSession) : "none") + "\n");
    return R;
}

QEL_MAPI_EXPORT MAPI_ULONG MAPILogoff(LHANDLE lhSession, ULONG_PTR ui, FLAGS flFlags,
                                      MAPI_ULONG ulReserved) {
    std::lock_guard<std::mutex> G(Lock);
    MAPI_ULONG R = Next("MAPILogoff");
    Record(Head("MAPILogoff") + " session=" + std::to_string(lhSession) +
           " ui=" + std::to_string(ui) + " flags=" + Hex(flFlags) +
           " reserved=" + std::to_string(ulReserved) + " -> " + std::to_string(R) + "\n");
    return R;
}

QEL_MAPI_EXPORT MAPI_ULONG MAPISendMail(LHANDLE lhSession, ULONG_PTR ui, lpMapiMessage lpMessage,
                                        FLAGS flFlags, MAPI_ULONG ulReserved) {
    std::lock_guard<std::mutex> G(Lock);
    MAPI_ULONG R = Next("MAPISendMail");
    Record(Head("MAPISendMail") + " session=" + std::to_string(lhSession) +
           " ui=" + std::to_string(ui) + " flags=" + Hex(flFlags) + " reserved=" +
           std::to_string(ulReserved) + " -> " + std::to_string(R) + "\n" + Message(lpMessage));
    return R;
}

QEL_MAPI_EXPORT MAPI_ULONG MAPIResolveName(LHANDLE lhSession, ULONG_PTR ui, char* lpszName,
                                           FLAGS flFlags, MAPI_ULONG ulReserved,
                                           lpMapiRecipDesc* lppRecip) {
    std::lock_guard<std::mutex> G(Lock);
    MAPI_ULONG R = Next("MAPIResolveName");
    std::string Name, Address;
    if (R == SUCCESS_SUCCESS && lpszName && lppRecip) {
        try {
            Resolution Res = ResolveName(LoadAddressBook(LoadSettings("").AddressBook), lpszName);
            if (Res.Status == ResolveStatus::Resolved) {
                Name = Res.Name;
                Address = Res.Where.Text();
            } else {
                Name = lpszName;
            }
        } catch (...) {
            Name = lpszName;
        }
        *lppRecip = NewRecipient(MAPI_TO, Name, Address);
        if (!*lppRecip) R = MAPI_E_INSUFFICIENT_MEMORY;
    } else if (lppRecip) {
        *lppRecip = nullptr;
    }
    Record(Head("MAPIResolveName") + " session=" + std::to_string(lhSession) +
           " ui=" + std::to_string(ui) + " name=" + Str(lpszName) + " flags=" + Hex(flFlags) +
           " reserved=" + std::to_string(ulReserved) + " -> " + std::to_string(R) +
           (R == SUCCESS_SUCCESS ? " resolved=" + Str(Name.c_str()) : std::string()) + "\n");
    return R;
}

QEL_MAPI_EXPORT MAPI_ULONG MAPIFreeBuffer(void* pv) {
    std::lock_guard<std::mutex> G(Lock);
    MAPI_ULONG R = FreeBuffer(pv);
    Record(Head("MAPIFreeBuffer") + " buffer=" + Ptr(pv) + " -> " + std::to_string(R) + "\n");
    return R;
}

QEL_MAPI_EXPORT MAPI_ULONG MAPIFindNext(LHANDLE lhSession, ULONG_PTR, char* type, char* seed,
                                        FLAGS flFlags, MAPI_ULONG, char* id) {
    std::lock_guard<std::mutex> G(Lock);
    MAPI_ULONG R = Next("MAPIFindNext");
    if (R == SUCCESS_SUCCESS) R = MAPI_E_NO_MESSAGES; // the recorder stores nothing
    if (id) *id = '\0';
    Record(Head("MAPIFindNext") + " session=" + std::to_string(lhSession) + " type=" + Str(type) +
           " seed=" + Str(seed) + " flags=" + Hex(flFlags) + " -> " + std::to_string(R) + "\n");
    return R;
}

QEL_MAPI_EXPORT MAPI_ULONG MAPIReadMail(LHANDLE lhSession, ULONG_PTR, char* id, FLAGS flFlags,
                                        MAPI_ULONG, lpMapiMessage* lppMessage) {
    std::lock_guard<std::mutex> G(Lock);
    if (lppMessage) *lppMessage = nullptr;
    MAPI_ULONG R = Next("MAPIReadMail");
    if (R == SUCCESS_SUCCESS) R = MAPI_E_INVALID_MESSAGE;
    Record(Head("MAPIReadMail") + " session=" + std::to_string(lhSession) + " id=" + Str(id) +
           " flags=" + Hex(flFlags) + " -> " + std::to_string(R) + "\n");
    return R;
}

QEL_MAPI_EXPORT MAPI_ULONG MAPIDeleteMail(LHANDLE lhSession, ULONG_PTR, char* id, FLAGS flFlags,
                                          MAPI_ULONG) {
    std::lock_guard<std::mutex> G(Lock);
    MAPI_ULONG R = Next("MAPIDeleteMail");
    if (R == SUCCESS_SUCCESS) R = MAPI_E_INVALID_MESSAGE;
    Record(Head("MAPIDeleteMail") + " session=" + std::to_string(lhSession) + " id=" + Str(id) +
           " flags=" + Hex(flFlags) + " -> " + std::to_string(R) + "\n");
    return R;
}

QEL_MAPI_EXPORT MAPI_ULONG MAPISaveMail(LHANDLE lhSession, ULONG_PTR, lpMapiMessage lpMessage,
                                        FLAGS flFlags, MAPI_ULONG, char*) {
    std::lock_guard<std::mutex> G(Lock);
    MAPI_ULONG R = Next("MAPISaveMail");
    if (R == SUCCESS_SUCCESS) R = MAPI_E_NOT_SUPPORTED;
    Record(Head("MAPISaveMail") + " session=" + std::to_string(lhSession) +
           " flags=" + Hex(flFlags) + " -> " + std::to_string(R) + "\n" + Message(lpMessage));
    return R;
}

QEL_MAPI_EXPORT MAPI_ULONG MAPIAddress(LHANDLE lhSession, ULONG_PTR, char* caption, MAPI_ULONG,
                                       char*, MAPI_ULONG nRecips, lpMapiRecipDesc, FLAGS flFlags,
                                       MAPI_ULONG, MAPI_ULONG* lpnNewRecips,
                                       lpMapiRecipDesc* lppNewRecips) {
    std::lock_guard<std::mutex> G(Lock);
    if (lpnNewRecips) *lpnNewRecips = 0;
    if (lppNewRecips) *lppNewRecips = nullptr;
    MAPI_ULONG R = Next("MAPIAddress");
    if (R == SUCCESS_SUCCESS) R = MAPI_E_NOT_SUPPORTED;
    Record(Head("MAPIAddress") + " session=" + std::to_string(lhSession) +
           " caption=" + Str(caption) + " recips=" + std::to_string(nRecips) +
           " flags=" + Hex(flFlags) + " -> " + std::to_string(R) + "\n");
    return R;
}
