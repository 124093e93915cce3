#include "toolkit/platform/X11Selection.h"

#include <X11/Xatom.h>
#include <X11/Xlib.h>
#include <algorithm>
#include <cstdint>
#include <cstring>
#include <poll.h>

namespace qel {

namespace {

// Our controls keep "\n" line breaks and accept any convention on paste, so text read from other
// clients is passed through as it comes. Text handed to us by SetAsText may still carry "\r\n"
// (programs written for a CR LF clipboard); other X clients expect "\n", so we serve that.
std::string ToLf(const std::string& S) {
    if (S.find("\r\n") == std::string::npos) return S;
    std::string R;
    R.reserve(S.size());
    for (std::size_t I = 0; I < S.size(); ++I)
        if (!(S[I] == '\r' && I + 1 < S.size() && S[I + 1] == '\n')) R += S[I];
    return R;
}

// STRING is Latin-1: characters beyond it, and bytes that are no UTF-8 at all, become '?'.
std::string Utf8ToLatin1(const std::string& S) {
    std::string R;
    R.reserve(S.size());
    std::size_t I = 0, N = S.size();
    auto Cont = [&](std::size_t K) {
        return K < N && (static_cast<unsigned char>(S[K]) & 0xC0) == 0x80;
    };
    while (I < N) {
        unsigned char C = static_cast<unsigned char>(S[I]);
        if (C < 0x80) {
            R += static_cast<char>(C);
            ++I;
            continue;
        }
        int Len = C >= 0xF0 && C < 0xF5   ? 4
                  : C >= 0xE0 && C < 0xF0 ? 3
                  : C >= 0xC2 && C < 0xE0 ? 2
                                          : 0;
        bool Ok = Len > 0;
        for (int K = 1; Ok && K < Len; ++K)
            Ok = Cont(I + static_cast<std::size_t>(K));
        if (!Ok) {
            R += '?';
            ++I;
            continue;
        }
        unsigned Cp = Len == 2 ? ((C & 0x1Fu) << 6) | (static_cast<unsigned char>(S[I + 1]) & 0x3Fu)
                               : 0x800u; // three and four bytes are always beyond Latin-1
        R += Cp <= 0xFF ? static_cast<char>(Cp) : '?';
        I += static_cast<std::size_t>(Len);
    }
    return R;
}

std::string Latin1ToUtf8(const std::string& S) {
    std::string R;
    R.reserve(S.size());
    for (unsigned char C : S) {
        if (C < 0x80) {
            R += static_cast<char>(C);
        } else {
            R += static_cast<char>(0xC0 | (C >> 6));
            R += static_cast<char>(0x80 | (C & 0x3F));
        }
    }
    return R;
}

// Server times wrap after 49 days: "not before" is a signed 32-bit difference.
bool NotBefore(unsigned long A, unsigned long B) {
    return static_cast<std::int32_t>(static_cast<std::uint32_t>(A) -
                                     static_cast<std::uint32_t>(B)) >= 0;
}

struct TPredicate {
    const std::function<bool(const XEvent&)>* Match;
    std::function<bool(const XEvent&)> Traffic;
};

Bool Pick(Display*, XEvent* Ev, XPointer Arg) {
    auto* P = reinterpret_cast<TPredicate*>(Arg);
    return (*P->Match)(*Ev) || P->Traffic(*Ev) ? True : False;
}

} // namespace

TX11Selection::TX11Selection(Display* Dpy, unsigned long Root) : Dpy_(Dpy) {
    XSetWindowAttributes A{};
    A.override_redirect = True;
    A.event_mask = PropertyChangeMask;
    // Never mapped: it only owns the selection and receives converted data.
    Win_ = XCreateWindow(Dpy, Root, -10, -10, 1, 1, 0, CopyFromParent, InputOnly, CopyFromParent,
                         CWOverrideRedirect | CWEventMask, &A);
    Clipboard_ = XInternAtom(Dpy, "CLIPBOARD", False);
    Targets_ = XInternAtom(Dpy, "TARGETS", False);
    Timestamp_ = XInternAtom(Dpy, "TIMESTAMP", False);
    Utf8_ = XInternAtom(Dpy, "UTF8_STRING", False);
    Text_ = XInternAtom(Dpy, "TEXT", False);
    TextPlain_ = XInternAtom(Dpy, "text/plain;charset=utf-8", False);
    Multiple_ = XInternAtom(Dpy, "MULTIPLE", False);
    Incr_ = XInternAtom(Dpy, "INCR", False);
    Transfer_ = XInternAtom(Dpy, "_QEL_SELECTION", False);
    TimeProp_ = XInternAtom(Dpy, "_QEL_TIMESTAMP", False);
    // A quarter of the largest request leaves room for the request's own header; the same
    // size decides when a transfer goes incrementally.
    long MaxUnits = XExtendedMaxRequestSize(Dpy);
    if (MaxUnits <= 0) MaxUnits = XMaxRequestSize(Dpy);
    Chunk_ = static_cast<std::size_t>(MaxUnits); // units of 4 bytes: a quarter is MaxUnits bytes
}

TX11Selection::~TX11Selection() {
    // Destroying the window gives up the selection; transfers in progress end with it.
    for (const TOutgoing& O : Outgoing_)
        XSelectInput(Dpy_, O.Requestor, NoEventMask);
    XDestroyWindow(Dpy_, Win_);
}

bool TX11Selection::IsTraffic(const XEvent& Ev) const {
    switch (Ev.type) {
    case SelectionRequest:
        return Ev.xselectionrequest.owner == Win_;
    case SelectionClear:
    case SelectionNotify:
        return Ev.xany.window == Win_;
    case PropertyNotify:
        if (Ev.xproperty.window == Win_) return true;
        for (const TOutgoing& O : Outgoing_)
            if (O.Requestor == Ev.xproperty.window) return true;
        return false;
    default:
        return false;
    }
}

bool TX11Selection::HandleEvent(XEvent& Ev) {
    if (!IsTraffic(Ev)) return false;
    switch (Ev.type) {
    case SelectionRequest:
        OnRequest(Ev);
        break;
    case SelectionClear:
        // A loss older than our latest ownership was overtaken by a new copy of ours.
        if (Ev.xselectionclear.selection == Clipboard_ &&
            (OwnTime_ == CurrentTime || NotBefore(Ev.xselectionclear.time, OwnTime_))) {
            // Another client's copy is the clipboard now; ours is history.
            Owned_ = false;
            HasText_ = false;
            std::string().swap(Copy_);
        }
        break;
    case PropertyNotify:
        if (Ev.xproperty.window != Win_) OnRequestorProperty(Ev);
        break;
    default:
        // Replies to conversions we gave up waiting for.
        break;
    }
    return true;
}

bool TX11Selection::WaitFor(XEvent& Out, const std::function<bool(const XEvent&)>& Match,
                            TClock::time_point Deadline) {
    TPredicate P{&Match, [this](const XEvent& E) { return IsTraffic(E); }};
    for (;;) {
        XFlush(Dpy_);
        XEvent Ev;
        // Only our events are taken off the queue; input stays there for the next Poll.
        while (XCheckIfEvent(Dpy_, &Ev, Pick, reinterpret_cast<XPointer>(&P))) {
            if (Match(Ev)) {
                Out = Ev;
                return true;
            }
            HandleEvent(Ev); // other clients' requests are served while we wait
        }
        auto Left = std::chrono::ceil<std::chrono::milliseconds>(Deadline - TClock::now()).count();
        if (Left <= 0) return false;
        pollfd Fd{ConnectionNumber(Dpy_), POLLIN, 0};
        poll(&Fd, 1, static_cast<int>(std::min<long long>(Left, 100)));
    }
}

// A real server time for ownership and conversions: the time stamp of a property change.
unsigned long TX11Selection::ServerTime() {
    XChangeProperty(Dpy_, Win_, TimeProp_, XA_INTEGER, 8, PropModeAppend, nullptr, 0);
    XEvent Ev;
    auto Match = [this](const XEvent& E) {
        return E.type == PropertyNotify && E.xproperty.window == Win_ &&
               E.xproperty.atom == TimeProp_;
    };
    if (WaitFor(Ev, Match, TClock::now() + std::chrono::milliseconds(ReplyMs_)))
        return Ev.xproperty.time;
    return CurrentTime;
}

void TX11Selection::TakeOwnership() {
    Time T = ServerTime();
    XSetSelectionOwner(Dpy_, Clipboard_, Win_, T);
    Owned_ = XGetSelectionOwner(Dpy_, Clipboard_) == Win_;
    OwnTime_ = T;
}

void TX11Selection::SetText(const std::string& Utf8) {
    Copy_ = Utf8;
    HasText_ = true;
    TakeOwnership();
    if (!Owned_) {
        // The server gave the selection to someone else: what we copied is not the clipboard.
        HasText_ = false;
        std::string().swap(Copy_);
    }
}

void TX11Selection::Clear() {
    HasText_ = false;
    std::string().swap(Copy_);
    TakeOwnership();
}

// A loss of ownership the loop has not seen yet must not leave us answering from our copy.
void TX11Selection::CatchUp() {
    XEvent Ev;
    while (Owned_ && XCheckTypedWindowEvent(Dpy_, Win_, SelectionClear, &Ev))
        HandleEvent(Ev);
}

// Our copy would die with our window: a clipboard manager, where one runs, is asked to take the
// text targets over (it converts them from us while we wait and serve).
void TX11Selection::HandOver() {
    CatchUp();
    if (!Owned_ || !HasText_) return;
    Atom Manager = XInternAtom(Dpy_, "CLIPBOARD_MANAGER", False);
    if (XGetSelectionOwner(Dpy_, Manager) == None) return;
    Atom Save = XInternAtom(Dpy_, "SAVE_TARGETS", False);
    Atom List[] = {Utf8_, XA_STRING, Text_, TextPlain_};
    XChangeProperty(Dpy_, Win_, Transfer_, XA_ATOM, 32, PropModeReplace,
                    reinterpret_cast<unsigned char*>(List), 4);
    Time T = ServerTime();
    XConvertSelection(Dpy_, Manager, Save, Transfer_, Win_, T);
    XEvent Ev;
    WaitFor(
        Ev,
        [&](const XEvent& E) {
            return E.type == SelectionNotify && E.xselection.requestor == Win_ &&
                   E.xselection.selection == Manager;
        },
        TClock::now() + std::chrono::milliseconds(std::max(ReplyMs_, 2000)));
    XDeleteProperty(Dpy_, Win_, Transfer_);
}

std::optional<std::string> TX11Selection::Text() {
    CatchUp();
    if (Owned_) return HasText_ ? std::optional<std::string>(Copy_) : std::nullopt;
    if (XGetSelectionOwner(Dpy_, Clipboard_) == None) return std::nullopt;
    for (Atom Target : {Utf8_, static_cast<Atom>(XA_STRING)}) {
        TReply R = Convert(Target, ReplyMs_);
        if (R.Result == TStatus::Ok && R.Format == 8) {
            if (R.Type == XA_STRING) return Latin1ToUtf8(R.Data);
            if (R.Type == Utf8_ || R.Type == TextPlain_ || R.Type == Text_)
                return std::move(R.Data);
        }
        // A silent owner is not asked twice; a refusal lets us try the older target.
        if (R.Result == TStatus::Timeout || R.Result == TStatus::TooLarge) break;
    }
    return std::nullopt;
}

bool TX11Selection::HasText() {
    CatchUp();
    if (Owned_) return HasText_;
    if (XGetSelectionOwner(Dpy_, Clipboard_) == None) return false;
    TReply R = Convert(Targets_, TargetsMs_);
    // An owner that answers but knows no TARGETS (older clients) may still give text.
    if (R.Result == TStatus::Refused) return true;
    if (R.Result != TStatus::Ok || R.Format != 32) return false;
    std::size_t N = R.Data.size() / sizeof(unsigned long);
    for (std::size_t I = 0; I < N; ++I) {
        unsigned long A;
        std::memcpy(&A, R.Data.data() + I * sizeof A, sizeof A);
        if (A == Utf8_ || A == XA_STRING || A == Text_ || A == TextPlain_) return true;
    }
    return false;
}

TX11Selection::TReply TX11Selection::Convert(unsigned long Target, int TimeoutMs) {
    TReply R;
    XDeleteProperty(Dpy_, Win_, Transfer_);
    Time T = ServerTime();
    XConvertSelection(Dpy_, Clipboard_, Target, Transfer_, Win_, T);
    // The time and target tell our answer from a late one to a request we gave up on (owners
    // that do not copy the time send CurrentTime).
    auto Match = [&](const XEvent& E) {
        return E.type == SelectionNotify && E.xselection.requestor == Win_ &&
               E.xselection.selection == Clipboard_ && E.xselection.target == Target &&
               (T == CurrentTime || E.xselection.time == T || E.xselection.time == CurrentTime);
    };
    XEvent Ev;
    if (!WaitFor(Ev, Match, TClock::now() + std::chrono::milliseconds(TimeoutMs))) {
        R.Result = TStatus::Timeout;
        return R;
    }
    if (Ev.xselection.property == None) {
        R.Result = TStatus::Refused;
        return R;
    }
    Atom Prop = Ev.xselection.property;
    R.Result = ReadProperty(Win_, Prop, R);
    XDeleteProperty(Dpy_, Win_, Prop);
    if (R.Result == TStatus::Ok && R.Type == Incr_) R.Result = ReadIncremental(Prop, R, TimeoutMs);
    return R;
}

// Reads a whole property (in pieces, so a large one needs no single huge reply).
TX11Selection::TStatus TX11Selection::ReadProperty(unsigned long W, unsigned long Prop,
                                                   TReply& Out) {
    Out.Data.clear();
    Out.Type = None;
    Out.Format = 0;
    long Offset = 0;
    for (;;) {
        Atom Type = None;
        int Format = 0;
        unsigned long Items = 0, After = 0;
        unsigned char* Data = nullptr;
        if (XGetWindowProperty(Dpy_, W, Prop, Offset, 1 << 20, False, AnyPropertyType, &Type,
                               &Format, &Items, &After, &Data) != Success)
            return TStatus::Refused;
        std::size_t Unit = Format == 32 ? sizeof(long) : Format == 16 ? sizeof(short) : 1;
        std::size_t Bytes = Items * Unit;
        if (Out.Data.size() + Bytes + After > MaxIncoming_) {
            if (Data) XFree(Data);
            return TStatus::TooLarge;
        }
        if (Data) {
            Out.Data.append(reinterpret_cast<const char*>(Data), Bytes);
            XFree(Data);
        }
        Out.Type = Type;
        Out.Format = Format;
        if (Type == None || After == 0) break;
        Offset += static_cast<long>(Items * static_cast<std::size_t>(Format) / 32);
    }
    return Out.Type == None ? TStatus::Refused : TStatus::Ok;
}

// The owner sends the data in chunks: each time we delete the property it writes the next one,
// and an empty chunk ends the transfer.
TX11Selection::TStatus TX11Selection::ReadIncremental(unsigned long Prop, TReply& Out,
                                                      int TimeoutMs) {
    std::string All;
    Atom Type = None;
    int Format = 8;
    auto Match = [&](const XEvent& E) {
        return E.type == PropertyNotify && E.xproperty.window == Win_ && E.xproperty.atom == Prop &&
               E.xproperty.state == PropertyNewValue;
    };
    for (;;) {
        XEvent Ev;
        if (!WaitFor(Ev, Match, TClock::now() + std::chrono::milliseconds(TimeoutMs)))
            return TStatus::Timeout;
        TReply Chunk;
        TStatus S = ReadProperty(Win_, Prop, Chunk);
        // Notices can be older than the property's content (the INCR write itself, a chunk we
        // read on an earlier notice): a deleted property is skipped, content is read as it is.
        if (S == TStatus::Refused) continue;
        XDeleteProperty(Dpy_, Win_, Prop);
        if (S != TStatus::Ok) return S;
        if (Chunk.Data.empty()) break;
        if (All.size() + Chunk.Data.size() > MaxIncoming_) return TStatus::TooLarge;
        if (Type == None) Type = Chunk.Type, Format = Chunk.Format;
        All += Chunk.Data;
    }
    Out.Data = std::move(All);
    Out.Type = Type;
    Out.Format = Format;
    return TStatus::Ok;
}

void TX11Selection::OnRequest(const XEvent& Ev) {
    const XSelectionRequestEvent& Q = Ev.xselectionrequest;
    XSelectionEvent N{};
    N.type = SelectionNotify;
    N.display = Dpy_;
    N.requestor = Q.requestor;
    N.selection = Q.selection;
    N.target = Q.target;
    N.time = Q.time;
    N.property = None;
    // Clients from before the property argument name the target as the property.
    Atom Prop = Q.property == None ? Q.target : Q.property;
    bool Ours = Q.selection == Clipboard_ && Owned_ &&
                (Q.time == CurrentTime || OwnTime_ == CurrentTime || NotBefore(Q.time, OwnTime_));
    if (Ours && Answer(Q.requestor, Prop, Q.target)) N.property = Prop;
    XSendEvent(Dpy_, Q.requestor, False, NoEventMask, reinterpret_cast<XEvent*>(&N));
    XFlush(Dpy_);
}

bool TX11Selection::Answer(unsigned long Requestor, unsigned long Prop, unsigned long Target) {
    if (Target == Targets_) {
        std::vector<Atom> List{Targets_, Timestamp_, Multiple_};
        if (HasText_) List.insert(List.end(), {Utf8_, XA_STRING, Text_, TextPlain_});
        XChangeProperty(Dpy_, Requestor, Prop, XA_ATOM, 32, PropModeReplace,
                        reinterpret_cast<unsigned char*>(List.data()),
                        static_cast<int>(List.size()));
        return true;
    }
    if (Target == Multiple_) {
        // The requestor's property lists (target, property) pairs; each is converted on its
        // own and a refused one gets None for its property.
        TReply Pairs;
        if (ReadProperty(Requestor, Prop, Pairs) != TStatus::Ok || Pairs.Format != 32) return false;
        std::vector<Atom> List(Pairs.Data.size() / sizeof(Atom));
        std::memcpy(List.data(), Pairs.Data.data(), List.size() * sizeof(Atom));
        for (std::size_t I = 0; I + 1 < List.size(); I += 2)
            if (List[I] == Multiple_ || List[I + 1] == None ||
                !Answer(Requestor, List[I + 1], List[I]))
                List[I + 1] = None;
        XChangeProperty(Dpy_, Requestor, Prop, Pairs.Type, 32, PropModeReplace,
                        reinterpret_cast<unsigned char*>(List.data()),
                        static_cast<int>(List.size()));
        return true;
    }
    if (Target == Timestamp_) {
        long T = static_cast<long>(OwnTime_);
        XChangeProperty(Dpy_, Requestor, Prop, XA_INTEGER, 32, PropModeReplace,
                        reinterpret_cast<unsigned char*>(&T), 1);
        return true;
    }
    bool Latin1 = Target == XA_STRING;
    if (!HasText_ || !(Latin1 || Target == Utf8_ || Target == Text_ || Target == TextPlain_))
        return false;
    // TEXT leaves the encoding to us; the property's type tells the requestor which it is.
    Atom Type = Latin1 ? XA_STRING : Target == TextPlain_ ? TextPlain_ : Utf8_;
    auto Data =
        std::make_shared<const std::string>(Latin1 ? Utf8ToLatin1(ToLf(Copy_)) : ToLf(Copy_));
    if (Data->size() <= Chunk_) {
        XChangeProperty(Dpy_, Requestor, Prop, Type, 8, PropModeReplace,
                        reinterpret_cast<const unsigned char*>(Data->data()),
                        static_cast<int>(Data->size()));
        return true;
    }
    // Too large for one request: announce the size with INCR and send chunks as the requestor
    // deletes the property. Its property changes come to us from now on.
    XSelectInput(Dpy_, Requestor, PropertyChangeMask);
    long Size = static_cast<long>(Data->size());
    XChangeProperty(Dpy_, Requestor, Prop, Incr_, 32, PropModeReplace,
                    reinterpret_cast<unsigned char*>(&Size), 1);
    for (std::size_t I = 0; I < Outgoing_.size(); ++I)
        if (Outgoing_[I].Requestor == Requestor && Outgoing_[I].Property == Prop) {
            // A new request on the same property replaces the abandoned transfer.
            Outgoing_.erase(Outgoing_.begin() + static_cast<long>(I));
            break;
        }
    Outgoing_.push_back({Requestor, Prop, Type, std::move(Data), 0, TClock::now()});
    return true;
}

void TX11Selection::OnRequestorProperty(const XEvent& Ev) {
    if (Ev.xproperty.state != PropertyDelete) return;
    for (std::size_t I = 0; I < Outgoing_.size(); ++I) {
        TOutgoing& O = Outgoing_[I];
        if (O.Requestor != Ev.xproperty.window || O.Property != Ev.xproperty.atom) continue;
        std::size_t N = std::min(Chunk_, O.Data->size() - O.Sent);
        XChangeProperty(Dpy_, O.Requestor, O.Property, O.Type, 8, PropModeReplace,
                        reinterpret_cast<const unsigned char*>(O.Data->data() + O.Sent),
                        static_cast<int>(N));
        O.Sent += N;
        O.Last = TClock::now();
        // The empty chunk that ends the transfer has just gone out.
        if (N == 0) EndTransfer(I);
        XFlush(Dpy_);
        return;
    }
}

void TX11Selection::EndTransfer(std::size_t Index) {
    unsigned long W = Outgoing_[Index].Requestor;
    Outgoing_.erase(Outgoing_.begin() + static_cast<long>(Index));
    bool More = std::any_of(Outgoing_.begin(), Outgoing_.end(),
                            [W](const TOutgoing& O) { return O.Requestor == W; });
    if (!More) XSelectInput(Dpy_, W, NoEventMask);
}

void TX11Selection::Tick() {
    auto Now = TClock::now();
    for (std::size_t I = Outgoing_.size(); I-- > 0;)
        if (Now - Outgoing_[I].Last > std::chrono::seconds(10)) EndTransfer(I);
}

} // namespace qel
