#pragma once
// Pictures and frame capture for the transition tests: a source whose every pixel has its own
// colour, a destination filled with a colour the source never has, and a pump hook that records
// what each step drew.
#include "toolkit/graphics/Bitmap.h"
#include "toolkit/graphics/Canvas.h"
#include "toolkit/platform/MessageQueue.h"
#include "visual/QELTSlideEffects.h"

#include <chrono>
#include <functional>
#include <memory>
#include <string>
#include <vector>

namespace qel::test {

// A handler that comes from the message loop, as a click or a timer would, at the next pump
// of a running effect. Arming waits until the queue reports the work, so on a loaded machine a
// short effect cannot end before the handler runs; the timer goes with the object, so a
// handler that never ran cannot fire later in another test.
class TLoopHandler {
  public:
    TLoopHandler() = default;
    TLoopHandler(const TLoopHandler&) = delete;
    TLoopHandler& operator=(const TLoopHandler&) = delete;
    ~TLoopHandler() { Disarm(); }

    void Arm(std::function<void()> Fn) {
        Disarm();
        auto& Q = TMessageQueue::Main();
        Fn_ = std::move(Fn);
        Id_ = Q.AddTimer(0, [this] {
            Disarm();
            Ran_ = true;
            Fn_();
        });
        const auto Until = std::chrono::steady_clock::now() + std::chrono::seconds(10);
        while (!Q.HasWork() && std::chrono::steady_clock::now() < Until)
            Q.WaitForWork(50);
    }
    bool Ran() const { return Ran_; }

  private:
    void Disarm() {
        if (Id_) TMessageQueue::Main().RemoveTimer(Id_);
        Id_ = 0;
    }
    std::function<void()> Fn_;
    int Id_ = 0;
    bool Ran_ = false;
};

constexpr std::uint32_t kSentinel = 0xFF00FF; // never produced by SourcePixel

inline std::uint32_t SourcePixel(int X, int Y) {
    // Distinct for every pixel of areas up to 4096 wide, never the sentinel.
    return static_cast<std::uint32_t>((Y * 4096 + X) % 0xFF00FF);
}

inline std::unique_ptr<TBitmap> MakeBitmap(int W, int H) {
    auto B = std::make_unique<TBitmap>();
    B->SetSize(W, H);
    return B;
}

inline std::unique_ptr<TBitmap> MakeSource(int W, int H) {
    auto B = MakeBitmap(W, H);
    if (TSurface* S = B->Surface())
        for (int Y = 0; Y < H; ++Y)
            for (int X = 0; X < W; ++X)
                S->Set(X, Y, SourcePixel(X, Y));
    return B;
}

inline void Fill(TBitmap& B, std::uint32_t Pixel) {
    if (TSurface* S = B.Surface()) std::fill(S->Pixels.begin(), S->Pixels.end(), Pixel);
}

inline std::unique_ptr<TBitmap> MakeDest(int W, int H) {
    auto B = MakeBitmap(W, H);
    Fill(*B, kSentinel);
    return B;
}

// First pixel where the two differ, as "x,y", or "" when they are equal.
inline std::string FirstDifference(const TBitmap& A, const TBitmap& B) {
    const TSurface* Sa = A.Surface();
    const TSurface* Sb = B.Surface();
    if (!Sa || !Sb) return (Sa == Sb) ? "" : "one side empty";
    for (int Y = 0; Y < Sa->Height; ++Y)
        for (int X = 0; X < Sa->Width; ++X)
            if (Sa->Get(X, Y) != Sb->Get(X, Y)) return std::to_string(X) + "," + std::to_string(Y);
    return "";
}

// Records, after every pump, which cells the step drew ("x,y" each, "-" for none), and puts
// the sentinel back so that a cell copied twice is seen twice.
class TCellRecorder {
  public:
    explicit TCellRecorder(TBitmap& Dest) : Dest_(Dest) {
        Old_ = SetSlideEffectPumpHook([this] { Capture(); });
    }
    ~TCellRecorder() { SetSlideEffectPumpHook(Old_); }
    TCellRecorder(const TCellRecorder&) = delete;
    TCellRecorder& operator=(const TCellRecorder&) = delete;

    std::string Frames() const {
        std::string Out;
        for (const auto& F : Frames_)
            Out += (Out.empty() ? "" : " ") + F;
        return Out;
    }

  private:
    void Capture() {
        std::string F;
        if (TSurface* S = Dest_.Surface())
            for (int Y = 0; Y < S->Height; ++Y)
                for (int X = 0; X < S->Width; ++X)
                    if (S->Get(X, Y) != kSentinel) {
                        F += (F.empty() ? "" : "+") + std::to_string(X) + "," + std::to_string(Y);
                        S->Set(X, Y, kSentinel);
                    }
        Frames_.push_back(F.empty() ? "-" : F);
    }

    TBitmap& Dest_;
    TQELSlidePumpHook Old_;
    std::vector<std::string> Frames_;
};

} // namespace qel::test
