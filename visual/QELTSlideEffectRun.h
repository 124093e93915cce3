#pragma once
// Inside the transition engine: one running effect with its primitives (a cell, a stretched
// frame, a row or column band) and its message pumping. The patterns themselves live in
// QELTSlideEffectPatterns.cpp and only call these.
#include "toolkit/core/Export.h"
#include "toolkit/graphics/RasterTypes.h"
#include "toolkit/graphics/Windows.h"

#include <chrono>
#include <functional>

QEL_PUBLIC_BEGIN

namespace qel {

class TCanvas;
class TControl;
class TControlCanvas;
class TWinControl;

namespace slide {

// Thrown by a pump when the destination went away; DrawSlideEffect catches it.
struct TStopEffect {};

// A control's canvas as the destination. Left to itself such a canvas gives its device context
// back at every turn of the loop, and each give-back asks for another turn: pumping after every
// cell would then run the whole loop after every cell. So the effect lends the canvas a context
// of its own and gives it back only at display rate, which is when the loop shows what was drawn.
class TDestLease {
  public:
    explicit TDestLease(TCanvas& Dest);
    ~TDestLease();
    TDestLease(const TDestLease&) = delete;
    TDestLease& operator=(const TDestLease&) = delete;

    // Called every few hundred cells: true when a frame's time has passed and the context
    // should be given back (after the caller has drawn what it held back).
    bool FrameDue() const;
    void NextFrame();
    // After a pump that ran handlers: a window replaced or a control moved to another parent
    // gets a fresh context. False when the control has no window to draw in any more.
    bool Revalidate();
    // The destination is gone: forget the canvas, give back only the context.
    void Abandon() { Canvas_ = nullptr; }

  private:
    bool Acquire();
    void Release();

    TControlCanvas* Canvas_ = nullptr;
    TControl* Control_ = nullptr;
    TWinControl* Parent_ = nullptr;
    HWND Wnd_ = 0;
    HDC DC_ = 0;
    std::chrono::steady_clock::time_point Since_;
};

class TEffectRun {
  public:
    TEffectRun(TCanvas& Source, TCanvas& Dest, int W, int H, const std::function<bool()>* Alive);

    const int W, H;

    // The one-pixel cell (min(X, W), min(Y, H)), then a pump. Cells outside the area show
    // nothing.
    void CopyCell(int X, int Y);
    // The whole source stretched into the rectangle (clamped into the area), then a pump.
    void StretchPart(int X1, int Y1, int X2, int Y2);
    // The source's clip rectangle onto the same rectangle of the destination.
    void CopyWhole();
    // Source row From copied onto rows First … Last; no pump of its own.
    void CopyRows(int From, int First, int Last);
    // Source column From copied onto column To; no pump of its own. Copies of one column onto
    // neighbouring columns are drawn together at the next point where anyone could look (a
    // pump that has work, the pump hook, a frame for the screen, the end).
    void CopyColumn(int From, int To);
    void Pump();
    // Draws what is held back; the patterns call it when they end.
    void Flush();
    // The engine's random choice for effect 0.
    static int RandomEffect();

  private:
    void Spread(const TRect& To, const TRect& From);

    TCanvas& Src_;
    TCanvas& Dst_;
    const std::function<bool()>* Alive_;
    TDestLease Lease_;
    unsigned Cells_ = 0;
    struct {
        int From = -1, First = 0, Last = -1;
    } Columns_;
};

// Runs pattern Effect (1 … 54) on R.
void RunPattern(TEffectRun& R, int Effect);

} // namespace slide
} // namespace qel

QEL_PUBLIC_END
