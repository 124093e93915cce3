#include "visual/QELTSlideEffects.h"

#include "toolkit/controls/ControlCanvas.h"
#include "toolkit/controls/Controls.h"
#include "toolkit/controls/Forms.h"
#include "toolkit/graphics/Bitmap.h"
#include "toolkit/graphics/Canvas.h"
#include "toolkit/platform/MessageQueue.h"
#include "visual/QELTSlideEffectRun.h"

#include <algorithm>
#include <memory>
#include <random>

namespace qel {

namespace {

TQELSlidePumpHook& PumpHook() {
    static TQELSlidePumpHook Hook;
    return Hook;
}

bool ProcessMessagesInPumps = true;

// What the eye needs: a frame every ~16 ms.
constexpr auto kFrameTime = std::chrono::milliseconds(16);

} // namespace

TQELSlidePumpHook SetSlideEffectPumpHook(TQELSlidePumpHook Hook) {
    std::swap(PumpHook(), Hook);
    return Hook;
}

void SetSlideEffectMessages(bool Process) {
    ProcessMessagesInPumps = Process;
}

namespace slide {

// ----- the destination's device context ------------------------------------------------------

TDestLease::TDestLease(TCanvas& Dest) {
    auto* C = dynamic_cast<TControlCanvas*>(&Dest);
    if (!C || !C->Control()) return;
    Canvas_ = C;
    // A context the canvas took itself would be given back under our feet by the loop.
    Canvas_->FreeHandle();
    Acquire();
}

TDestLease::~TDestLease() {
    Release();
}

bool TDestLease::Acquire() {
    Control_ = Canvas_->Control();
    Parent_ = Control_->Parent();
    HWND W = 0;
    HDC DC = Control_->GetDeviceContextFor(W);
    Wnd_ = W;
    DC_ = DC;
    Canvas_->SetHandle(DC_);
    Since_ = std::chrono::steady_clock::now();
    return DC_ != 0;
}

void TDestLease::Release() {
    if (!DC_) return;
    if (Canvas_ && Canvas_->HandleAllocated() && Canvas_->Handle() == DC_) Canvas_->SetHandle(0);
    // Giving the context back is what makes the loop show the drawing.
    ReleaseDC(Wnd_, DC_);
    DC_ = 0;
    Wnd_ = 0;
}

bool TDestLease::FrameDue() const {
    return Canvas_ && DC_ && std::chrono::steady_clock::now() - Since_ >= kFrameTime;
}

void TDestLease::NextFrame() {
    Release();
    Acquire();
}

bool TDestLease::Revalidate() {
    if (!Canvas_) return true;
    if (DC_ && IsWindow(Wnd_) && Canvas_->Control() == Control_ && Control_->Parent() == Parent_)
        return true;
    Release();
    if (!Canvas_->Control() || !Canvas_->Control()->Parent()) {
        Canvas_ = nullptr;
        return false;
    }
    try {
        return Acquire();
    } catch (...) {
        // A control whose window went away mid-effect has nothing left to draw on.
        Canvas_ = nullptr;
        return false;
    }
}

// ----- one running effect ----------------------------------------------------------------------

TEffectRun::TEffectRun(TCanvas& Source, TCanvas& Dest, int AW, int AH,
                       const std::function<bool()>* Alive)
    : W(AW), H(AH), Src_(Source), Dst_(Dest), Alive_(Alive), Lease_(Dest) {}

void TEffectRun::Pump() {
    if (ProcessMessagesInPumps && TMessageQueue::Main().HasWork()) {
        Flush();
        Application->ProcessMessages();
        if (Alive_ && !(*Alive_)()) {
            Lease_.Abandon();
            throw TStopEffect{};
        }
        if (!Lease_.Revalidate()) throw TStopEffect{};
    }
    if ((++Cells_ & 255u) == 0 && Lease_.FrameDue()) {
        Flush();
        Lease_.NextFrame();
    }
    if (const TQELSlidePumpHook& Hook = PumpHook()) {
        Flush();
        Hook();
        if (Alive_ && !(*Alive_)()) {
            Lease_.Abandon();
            throw TStopEffect{};
        }
    }
}

void TEffectRun::CopyCell(int X, int Y) {
    X = std::min(X, W);
    Y = std::min(Y, H);
    // Cells on the far edges and at negative positions fall outside the area: nothing to copy.
    if (X >= 0 && Y >= 0 && X < W && Y < H) {
        const TRect R{X, Y, X + 1, Y + 1};
        Dst_.CopyRect(R, Src_, R);
    }
    Pump();
}

void TEffectRun::StretchPart(int X1, int Y1, int X2, int Y2) {
    X1 = std::clamp(X1, 0, W);
    X2 = std::clamp(X2, 0, W);
    Y1 = std::clamp(Y1, 0, H);
    Y2 = std::clamp(Y2, 0, H);
    if (W > 0 && H > 0) {
        // The source as it is now; a handler may have drawn on it since the last frame.
        auto Snapshot = std::make_unique<TBitmap>();
        Snapshot->SetSize(W, H);
        const TRect All{0, 0, W, H};
        Snapshot->Canvas()->CopyRect(All, Src_, All);
        Dst_.StretchDraw(TRect{X1, Y1, X2, Y2}, Snapshot.get());
    }
    Pump();
}

void TEffectRun::CopyWhole() {
    const TRect R = Src_.ClipRect();
    Dst_.CopyRect(R, Src_, R);
}

void TEffectRun::CopyRows(int From, int First, int Last) {
    First = std::max(First, 0);
    Last = std::min(Last, H - 1);
    if (From < 0 || From >= H || First > Last) return;
    Spread(TRect{0, First, W, Last + 1}, TRect{0, From, W, From + 1});
}

// One source line shown on several lines: each gets exactly that line's pixels, so the
// simplest stretch mode gives the same picture as any other, only faster.
void TEffectRun::Spread(const TRect& To, const TRect& From) {
    HDC DC = Dst_.Handle();
    const int Old = SetStretchBltMode(DC, COLORONCOLOR);
    Dst_.CopyRect(To, Src_, From);
    SetStretchBltMode(DC, Old);
}

void TEffectRun::CopyColumn(int From, int To) {
    if (From < 0 || From >= W || To < 0 || To >= W) return;
    auto& C = Columns_;
    if (C.From == From && To == C.Last + 1) {
        C.Last = To;
        return;
    }
    Flush();
    C.From = From;
    C.First = C.Last = To;
}

void TEffectRun::Flush() {
    auto& C = Columns_;
    if (C.From < 0) return;
    const int From = C.From;
    C.From = -1;
    Spread(TRect{C.First, 0, C.Last + 1, H}, TRect{From, 0, From + 1, H});
}

int TEffectRun::RandomEffect() {
    // Seeded from the clock at every call, as each transition picks its own.
    std::minstd_rand Gen(static_cast<std::minstd_rand::result_type>(
        std::chrono::steady_clock::now().time_since_epoch().count()));
    return std::uniform_int_distribution<int>(1, kSlideEffectCount)(Gen);
}

} // namespace slide

bool DrawSlideEffect(int Effect, TCanvas* Source, TCanvas* Dest, int W, int H,
                     const std::function<bool()>& Alive) {
    if (Effect == efRandom) Effect = slide::TEffectRun::RandomEffect();
    if (Effect < 1 || Effect > kSlideEffectCount || !Source || !Dest) return true;
    // An area with a negative side has no pixels to bring over.
    if (W < 0 || H < 0) return true;
    try {
        slide::TEffectRun Run(*Source, *Dest, W, H, Alive ? &Alive : nullptr);
        slide::RunPattern(Run, Effect);
        Run.Flush();
    } catch (const slide::TStopEffect&) {
        return false;
    }
    return true;
}

void DrawSlideEffect(int Effect, TCanvas* Source, TCanvas* Dest, int W, int H) {
    DrawSlideEffect(Effect, Source, Dest, W, H, std::function<bool()>());
}

} // namespace qel
