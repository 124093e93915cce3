#pragma once
// The CLIPBOARD selection of an X display: we own it while our copy is the clipboard and serve
// other clients' conversion requests from memory (INCR for large data); we read a foreign
// owner's text with a conversion into a property of a hidden window of our own, waiting with a
// deadline so that a dead owner never hangs the program.
#include <chrono>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

// Xlib's own names, so that users of this header do not get Xlib's macros.
struct _XDisplay;
union _XEvent;

namespace qel {

class TX11Selection {
  public:
    using TClock = std::chrono::steady_clock;

    TX11Selection(_XDisplay* Dpy, unsigned long Root);
    ~TX11Selection();
    TX11Selection(const TX11Selection&) = delete;
    TX11Selection& operator=(const TX11Selection&) = delete;

    // Takes the events that belong to the selection traffic (requests, ownership loss, INCR
    // progress); false for everything else, which the caller handles.
    bool HandleEvent(_XEvent& Ev);
    // Forgets outgoing INCR transfers whose requestor stopped reading.
    void Tick();

    // Makes Utf8 the clipboard: ownership of CLIPBOARD on our hidden window.
    void SetText(const std::string& Utf8);
    // Empties the clipboard: we take ownership and offer no text.
    void Clear();
    // Our copy while we own the selection, else the owner's text (nullopt: none, refused, too
    // large or no answer in time).
    std::optional<std::string> Text();
    bool HasText();
    // Before we go: lets a running clipboard manager keep our text.
    void HandOver();
    bool Owned() const { return Owned_; }
    unsigned long Window() const { return Win_; }

    // Waiting limits: for the text (and each INCR chunk) and for the TARGETS question.
    void SetTimeouts(int ReplyMs, int TargetsMs) { ReplyMs_ = ReplyMs, TargetsMs_ = TargetsMs; }
    // Incoming data beyond this many bytes is refused.
    void SetMaxIncoming(std::size_t Bytes) { MaxIncoming_ = Bytes; }

  private:
    enum class TStatus { Ok, Refused, Timeout, TooLarge };
    struct TReply {
        TStatus Result = TStatus::Refused;
        unsigned long Type = 0;
        int Format = 0;
        std::string Data; // format 32 items are unsigned longs in memory, as Xlib gives them
    };
    struct TOutgoing {
        unsigned long Requestor = 0, Property = 0, Type = 0;
        std::shared_ptr<const std::string> Data;
        std::size_t Sent = 0;
        TClock::time_point Last;
    };

    bool IsTraffic(const _XEvent& Ev) const;
    void CatchUp();
    bool WaitFor(_XEvent& Out, const std::function<bool(const _XEvent&)>& Match,
                 TClock::time_point Deadline);
    unsigned long ServerTime();
    void TakeOwnership();
    TReply Convert(unsigned long Target, int TimeoutMs);
    TStatus ReadProperty(unsigned long W, unsigned long Prop, TReply& Out);
    TStatus ReadIncremental(unsigned long Prop, TReply& Out, int TimeoutMs);
    void OnRequest(const _XEvent& Ev);
    bool Answer(unsigned long Requestor, unsigned long Prop, unsigned long Target);
    void OnRequestorProperty(const _XEvent& Ev);
    void EndTransfer(std::size_t Index);

    _XDisplay* Dpy_;
    unsigned long Win_ = 0;
    unsigned long Clipboard_ = 0, Targets_ = 0, Timestamp_ = 0, Utf8_ = 0, Text_ = 0,
                  TextPlain_ = 0, Multiple_ = 0, Incr_ = 0, Transfer_ = 0, TimeProp_ = 0;
    bool Owned_ = false;
    unsigned long OwnTime_ = 0;
    bool HasText_ = false;
    std::string Copy_;
    std::size_t Chunk_ = 0;
    std::vector<TOutgoing> Outgoing_;
    int ReplyMs_ = 1500, TargetsMs_ = 500;
    std::size_t MaxIncoming_ = std::size_t(256) << 20;
};

} // namespace qel
