// qelmapi: the project's Simple MAPI provider. It delivers mail through the SMTP server named
// in the registry (or into the outbox folder) and faxes into the fax spool; see ProviderCore.h
// for its settings. It has no message store and no user interface: the reading calls report
// an empty store, and dialog flags are accepted but show nothing.
#include "mail/provider/ProviderCore.h"

#include <map>
#include <mutex>

using namespace qel;
using namespace qel::mapi;

#define QEL_MAPI_EXPORT extern "C" __attribute__((visibility("default")))

namespace {

struct Session {
    std::string Profile;
};

std::mutex SessionLock;
std::map<LHANDLE, Session> Sessions;
LHANDLE NextSession = 1;

bool FindSession(LHANDLE H, Session& Out) {
    std::lock_guard<std::mutex> G(SessionLock);
    auto It = Sessions.find(H);
    if (It == Sessions.end()) return false;
    Out = It->second;
    return true;
}

// Runs Fn, turning every failure into a Simple MAPI result: nothing may unwind into a caller
// that expects a plain C function.
template <class F> MAPI_ULONG Guarded(F&& Fn) {
    try {
        return Fn();
    } catch (const MapiError& E) {
        return E.Code;
    } catch (const std::bad_alloc&) {
        return MAPI_E_INSUFFICIENT_MEMORY;
    } catch (...) {
        return MAPI_E_FAILURE;
    }
}

} // namespace

QEL_MAPI_EXPORT MAPI_ULONG MAPILogon(ULONG_PTR, char* lpszProfileName, char* lpszPassword, FLAGS,
                                     MAPI_ULONG, LPLHANDLE lplhSession) {
    if (!lplhSession) return MAPI_E_FAILURE;
    return Guarded([&]() -> MAPI_ULONG {
        std::string Profile = lpszProfileName ? lpszProfileName : "";
        if (!Profile.empty()) {
            if (!ProfileExists(Profile)) return MAPI_E_LOGON_FAILURE;
            auto Pw = ProfilePassword(Profile);
            if (Pw && *Pw != (lpszPassword ? lpszPassword : "")) return MAPI_E_LOGON_FAILURE;
        }
        std::lock_guard<std::mutex> G(SessionLock);
        if (Sessions.size() >= 64) return MAPI_E_TOO_MANY_SESSIONS;
        LHANDLE H = NextSession++;
        Sessions[H] = Session{Profile};
        *lplhSession = H;
        return SUCCESS_SUCCESS;
    });
}

QEL_MAPI_EXPORT MAPI_ULONG MAPILogoff(LHANDLE lhSession, ULONG_PTR, FLAGS, MAPI_ULONG) {
    std::lock_guard<std::mutex> G(SessionLock);
    return Sessions.erase(lhSession) ? SUCCESS_SUCCESS : MAPI_E_INVALID_SESSION;
}

QEL_MAPI_EXPORT MAPI_ULONG MAPISendMail(LHANDLE lhSession, ULONG_PTR, lpMapiMessage lpMessage,
                                        FLAGS, MAPI_ULONG) {
    return Guarded([&]() -> MAPI_ULONG {
        Session S;
        if (lhSession != 0 && !FindSession(lhSession, S)) return MAPI_E_INVALID_SESSION;
        Settings Conf = LoadSettings(S.Profile);
        OutMessage M;
        // Without a dialog to ask for them, a message without recipients cannot be sent.
        if (MAPI_ULONG R = ReadMessage(lpMessage, LoadAddressBook(Conf.AddressBook), M)) return R;
        Deliver(M, Conf);
        return SUCCESS_SUCCESS;
    });
}

QEL_MAPI_EXPORT MAPI_ULONG MAPIResolveName(LHANDLE lhSession, ULONG_PTR, char* lpszName, FLAGS,
                                           MAPI_ULONG, lpMapiRecipDesc* lppRecip) {
    if (!lppRecip || !lpszName) return MAPI_E_FAILURE;
    *lppRecip = nullptr;
    return Guarded([&]() -> MAPI_ULONG {
        Session S;
        if (lhSession != 0 && !FindSession(lhSession, S)) return MAPI_E_INVALID_SESSION;
        Settings Conf = LoadSettings(S.Profile);
        Resolution R = ResolveName(LoadAddressBook(Conf.AddressBook), lpszName);
        if (R.Status == ResolveStatus::Ambiguous) return MAPI_E_AMBIGUOUS_RECIPIENT;
        if (R.Status == ResolveStatus::Unknown) return MAPI_E_UNKNOWN_RECIPIENT;
        *lppRecip = NewRecipient(MAPI_TO, R.Name, R.Where.Text());
        return *lppRecip ? SUCCESS_SUCCESS : MAPI_E_INSUFFICIENT_MEMORY;
    });
}

QEL_MAPI_EXPORT MAPI_ULONG MAPIFreeBuffer(void* pv) {
    return FreeBuffer(pv);
}

// The provider keeps no messages: the store is always empty.
QEL_MAPI_EXPORT MAPI_ULONG MAPIFindNext(LHANDLE lhSession, ULONG_PTR, char*, char*, FLAGS,
                                        MAPI_ULONG, char*) {
    Session S;
    if (!FindSession(lhSession, S)) return MAPI_E_INVALID_SESSION;
    return MAPI_E_NO_MESSAGES;
}

QEL_MAPI_EXPORT MAPI_ULONG MAPIReadMail(LHANDLE lhSession, ULONG_PTR, char*, FLAGS, MAPI_ULONG,
                                        lpMapiMessage* lppMessage) {
    if (lppMessage) *lppMessage = nullptr;
    Session S;
    if (!FindSession(lhSession, S)) return MAPI_E_INVALID_SESSION;
    return MAPI_E_INVALID_MESSAGE;
}

QEL_MAPI_EXPORT MAPI_ULONG MAPIDeleteMail(LHANDLE lhSession, ULONG_PTR, char*, FLAGS, MAPI_ULONG) {
    Session S;
    if (!FindSession(lhSession, S)) return MAPI_E_INVALID_SESSION;
    return MAPI_E_INVALID_MESSAGE;
}

QEL_MAPI_EXPORT MAPI_ULONG MAPISaveMail(LHANDLE lhSession, ULONG_PTR, lpMapiMessage, FLAGS,
                                        MAPI_ULONG, char*) {
    Session S;
    if (!FindSession(lhSession, S)) return MAPI_E_INVALID_SESSION;
    return MAPI_E_NOT_SUPPORTED;
}

// Choosing recipients needs the address dialog, which this provider does not have.
QEL_MAPI_EXPORT MAPI_ULONG MAPIAddress(LHANDLE, ULONG_PTR, char*, MAPI_ULONG, char*, MAPI_ULONG,
                                       lpMapiRecipDesc, FLAGS, MAPI_ULONG, MAPI_ULONG* lpnNewRecips,
                                       lpMapiRecipDesc* lppNewRecips) {
    if (lpnNewRecips) *lpnNewRecips = 0;
    if (lppNewRecips) *lppNewRecips = nullptr;
    return MAPI_E_NOT_SUPPORTED;
}
