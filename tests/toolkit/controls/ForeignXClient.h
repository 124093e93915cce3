#pragma once
// Another program on the same X display, written with plain Xlib and nothing of ours: it asks
// for the CLIPBOARD selection and owns it, the way other clients do (INCR included).
#include <X11/Xatom.h>
#include <X11/Xlib.h>
#include <atomic>
#include <chrono>
#include <cstring>
#include <functional>
#include <optional>
#include <poll.h>
#include <string>
#include <vector>

namespace qel::test {

class TForeignClient {
  public:
    using TClock = std::chrono::steady_clock;

    explicit TForeignClient(const std::string& DisplayName) {
        D_ = XOpenDisplay(DisplayName.c_str());
        if (!D_) return;
        Win_ = XCreateSimpleWindow(D_, DefaultRootWindow(D_), 0, 0, 1, 1, 0, 0, 0);
        XSelectInput(D_, Win_, PropertyChangeMask);
        Clipboard_ = Intern("CLIPBOARD");
        Prop_ = Intern("FOREIGN_DATA");
        XSync(D_, False);
    }
    ~TForeignClient() {
        if (!D_) return;
        XDestroyWindow(D_, Win_);
        XCloseDisplay(D_);
    }
    TForeignClient(const TForeignClient&) = delete;
    TForeignClient& operator=(const TForeignClient&) = delete;

    bool Ok() const { return D_ != nullptr; }
    ::Window Window() const { return Win_; }
    Display* Dpy() const { return D_; }
    ::Atom Intern(const char* Name) { return XInternAtom(D_, Name, False); }
    std::string AtomName(::Atom A) {
        char* N = XGetAtomName(D_, A);
        std::string S = N ? N : "";
        if (N) XFree(N);
        return S;
    }

    struct TAnswer {
        bool Ok = false;
        std::string Type;
        std::string Data;
        std::vector<std::string> Atoms; // a list of atoms (TARGETS) by name
        bool Incremental = false;
    };

    // Asks the clipboard's owner for Target, as a paste in another program would.
    TAnswer Request(const char* TargetName, int TimeoutMs = 5000) {
        TAnswer A;
        ::Atom Target = Intern(TargetName);
        XConvertSelection(D_, Clipboard_, Target, Prop_, Win_, ServerTime());
        auto Deadline = TClock::now() + std::chrono::milliseconds(TimeoutMs);
        XEvent Ev;
        if (!Next(Ev, Deadline, [&](const XEvent& E) {
                return E.type == SelectionNotify && E.xselection.target == Target;
            }))
            return A;
        if (Ev.xselection.property == None) return A;
        ::Atom Type;
        int Format;
        std::string Data = Take(Type, Format);
        if (Type == Intern("INCR")) {
            A.Incremental = true;
            Data.clear();
            for (;;) {
                if (!Next(Ev, Deadline, [&](const XEvent& E) {
                        return E.type == PropertyNotify && E.xproperty.atom == Prop_ &&
                               E.xproperty.state == PropertyNewValue;
                    }))
                    return A;
                std::string Chunk = Take(Type, Format);
                if (Type == None) continue; // the notice of the INCR property we took
                if (Chunk.empty()) break;
                Data += Chunk;
            }
        }
        A.Ok = true;
        A.Type = AtomName(Type);
        if (Format == 32) {
            for (std::size_t I = 0; I + sizeof(long) <= Data.size(); I += sizeof(long)) {
                unsigned long V;
                std::memcpy(&V, Data.data() + I, sizeof V);
                A.Atoms.push_back(AtomName(V));
            }
        }
        A.Data = std::move(Data);
        return A;
    }

    // Asks for several targets in one MULTIPLE request: each target's data, or nullopt where
    // the owner refused it.
    std::vector<std::optional<std::string>> RequestMultiple(const std::vector<const char*>& Ts) {
        std::vector<std::optional<std::string>> R(Ts.size());
        std::vector<::Atom> Pairs;
        for (std::size_t I = 0; I < Ts.size(); ++I) {
            Pairs.push_back(Intern(Ts[I]));
            Pairs.push_back(Intern(("FOREIGN_PART" + std::to_string(I)).c_str()));
        }
        ::Atom List = Intern("FOREIGN_PAIRS"), Multiple = Intern("MULTIPLE");
        XChangeProperty(D_, Win_, List, Intern("ATOM_PAIR"), 32, PropModeReplace,
                        reinterpret_cast<unsigned char*>(Pairs.data()),
                        static_cast<int>(Pairs.size()));
        XConvertSelection(D_, Clipboard_, Multiple, List, Win_, ServerTime());
        XEvent Ev;
        if (!Next(Ev, TClock::now() + std::chrono::seconds(5), [&](const XEvent& E) {
                return E.type == SelectionNotify && E.xselection.target == Multiple;
            }))
            return R;
        if (Ev.xselection.property != List) return R;
        ::Atom Type;
        int Format;
        std::string Back = Take(Type, Format, List);
        if (Format != 32 || Back.size() != Pairs.size() * sizeof(long)) return R;
        std::memcpy(Pairs.data(), Back.data(), Back.size());
        for (std::size_t I = 0; I < Ts.size(); ++I)
            if (Pairs[2 * I + 1] != None) R[I] = Take(Type, Format, Pairs[2 * I + 1]);
        return R;
    }

    // Takes a selection (with a real server time, as the rules ask).
    void Own(const char* Selection = "CLIPBOARD") {
        XSetSelectionOwner(D_, Intern(Selection), Win_, ServerTime());
        XSync(D_, False);
    }

    // Answers requests for the clipboard until Stop: TARGETS and UTF8_STRING with Text, sent
    // incrementally in Chunk bytes when it is longer. A silent owner answers nothing.
    // OnRequest runs for every request that comes in.
    void Serve(const std::string& Text, bool Silent, std::size_t Chunk,
               const std::atomic<bool>& Stop, const std::function<void()>& OnRequest = {}) {
        ::Atom Targets = Intern("TARGETS"), Utf8 = Intern("UTF8_STRING"), Incr = Intern("INCR");
        while (!Stop) {
            XEvent Ev;
            if (!Next(Ev, TClock::now() + std::chrono::milliseconds(20),
                      [](const XEvent& E) { return E.type == SelectionRequest; }))
                continue;
            if (OnRequest) OnRequest();
            if (Silent) continue;
            const XSelectionRequestEvent& Q = Ev.xselectionrequest;
            XSelectionEvent N{};
            N.type = SelectionNotify;
            N.requestor = Q.requestor, N.selection = Q.selection, N.target = Q.target;
            N.time = Q.time, N.property = Q.property;
            bool Incremental = false;
            if (Q.target == Targets) {
                ::Atom List[] = {Targets, Utf8};
                XChangeProperty(D_, Q.requestor, Q.property, XA_ATOM, 32, PropModeReplace,
                                reinterpret_cast<unsigned char*>(List), 2);
            } else if (Q.target == Utf8 && Text.size() <= Chunk) {
                XChangeProperty(D_, Q.requestor, Q.property, Utf8, 8, PropModeReplace,
                                reinterpret_cast<const unsigned char*>(Text.data()),
                                static_cast<int>(Text.size()));
            } else if (Q.target == Utf8) {
                Incremental = true;
                XSelectInput(D_, Q.requestor, PropertyChangeMask);
                long Size = static_cast<long>(Text.size());
                XChangeProperty(D_, Q.requestor, Q.property, Incr, 32, PropModeReplace,
                                reinterpret_cast<unsigned char*>(&Size), 1);
            } else {
                N.property = None;
            }
            XSendEvent(D_, Q.requestor, False, NoEventMask, reinterpret_cast<XEvent*>(&N));
            XFlush(D_);
            if (Incremental) SendChunks(Q.requestor, Q.property, Utf8, Text, Chunk, Stop);
        }
    }

    // Plays a clipboard manager (owner of CLIPBOARD_MANAGER): asked to SAVE_TARGETS, it fetches
    // the clipboard's UTF8_STRING into Saved before it answers.
    void ServeAsManager(std::string& Saved, const std::atomic<bool>& Stop) {
        ::Atom Save = Intern("SAVE_TARGETS");
        while (!Stop) {
            XEvent Ev;
            if (!Next(Ev, TClock::now() + std::chrono::milliseconds(20), [&](const XEvent& E) {
                    return E.type == SelectionRequest && E.xselectionrequest.target == Save;
                }))
                continue;
            XSelectionRequestEvent Q = Ev.xselectionrequest;
            TAnswer A = Request("UTF8_STRING");
            if (A.Ok) Saved = A.Data;
            XSelectionEvent N{};
            N.type = SelectionNotify;
            N.requestor = Q.requestor, N.selection = Q.selection, N.target = Q.target;
            N.time = Q.time, N.property = A.Ok ? Q.property : None;
            XSendEvent(D_, Q.requestor, False, NoEventMask, reinterpret_cast<XEvent*>(&N));
            XFlush(D_);
        }
    }

  private:
    // Sends the next chunk each time the requestor deletes the property; a requestor that
    // stops reading is given up after a while (or when the test ends).
    void SendChunks(::Window W, ::Atom P, ::Atom Type, const std::string& Text, std::size_t Chunk,
                    const std::atomic<bool>& Stop) {
        std::size_t Sent = 0;
        auto GiveUp = TClock::now() + std::chrono::seconds(5);
        for (;;) {
            XEvent Ev;
            if (!Next(Ev, TClock::now() + std::chrono::milliseconds(20), [&](const XEvent& E) {
                    return E.type == PropertyNotify && E.xproperty.window == W &&
                           E.xproperty.atom == P && E.xproperty.state == PropertyDelete;
                })) {
                if (Stop || TClock::now() > GiveUp) break;
                continue;
            }
            GiveUp = TClock::now() + std::chrono::seconds(5);
            std::size_t N = std::min(Chunk, Text.size() - Sent);
            XChangeProperty(D_, W, P, Type, 8, PropModeReplace,
                            reinterpret_cast<const unsigned char*>(Text.data() + Sent),
                            static_cast<int>(N));
            XFlush(D_);
            Sent += N;
            if (N == 0) break;
        }
        XSelectInput(D_, W, NoEventMask);
    }

    Time ServerTime() {
        ::Atom P = Intern("FOREIGN_TIME");
        XChangeProperty(D_, Win_, P, XA_INTEGER, 8, PropModeAppend, nullptr, 0);
        XEvent Ev;
        Next(Ev, TClock::now() + std::chrono::seconds(2),
             [&](const XEvent& E) { return E.type == PropertyNotify && E.xproperty.atom == P; });
        return Ev.xproperty.time;
    }

    std::string Take(::Atom& Type, int& Format, ::Atom Prop = None) {
        unsigned long Items = 0, After = 0;
        unsigned char* Data = nullptr;
        Type = None;
        Format = 0;
        XGetWindowProperty(D_, Win_, Prop == None ? Prop_ : Prop, 0, 1L << 26, True,
                           AnyPropertyType, &Type, &Format, &Items, &After, &Data);
        std::size_t Unit = Format == 32 ? sizeof(long) : Format == 16 ? 2 : 1;
        std::string S;
        if (Data) {
            S.assign(reinterpret_cast<char*>(Data), Items * Unit);
            XFree(Data);
        }
        return S;
    }

    // The next event Match accepts (others are dropped: nothing else matters to this client).
    bool Next(XEvent& Ev, TClock::time_point Deadline,
              const std::function<bool(const XEvent&)>& Match) {
        for (;;) {
            while (XPending(D_)) {
                XNextEvent(D_, &Ev);
                if (Match(Ev)) return true;
            }
            auto Left =
                std::chrono::ceil<std::chrono::milliseconds>(Deadline - TClock::now()).count();
            if (Left <= 0) return false;
            pollfd Fd{ConnectionNumber(D_), POLLIN, 0};
            poll(&Fd, 1, static_cast<int>(Left));
        }
    }

    Display* D_ = nullptr;
    ::Window Win_ = 0;
    ::Atom Clipboard_ = 0, Prop_ = 0;
};

} // namespace qel::test
