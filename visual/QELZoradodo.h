#pragma once
// Shared enumerations and base classes of the visual package.
#include "toolkit/core/Component.h"
#include "toolkit/core/Export.h"
#include "toolkit/core/Properties.h"
#include "toolkit/graphics/Bitmap.h"
#include "toolkit/graphics/Canvas.h"
#include "toolkit/graphics/GraphicsObject.h"
#include "toolkit/graphics/RasterTypes.h"
#include "toolkit/graphics/Windows.h"
#include "toolkit/platform/Thread.h"

#include <atomic>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

QEL_PUBLIC_BEGIN

namespace qel {

// ===== Shared enumerations and the exec component (non-graphic) =============================

// Fixed underlying type: a stored form may carry a style number this version does not know, and
// holding it must not be undefined (the drawing then shows the plain text only).
enum TQELStyle3D : int {
    fontRaised,
    fontInset,
    fontOnlyShadow,
    fontOnlyHighlight,
    fontOutLineShadow
};
QEL_ENUM_INFO(TQELStyle3D, "fontRaised", "fontInset", "fontOnlyShadow", "fontOnlyHighlight",
              "fontOutLineShadow")

enum TQELRepeat { repeatOnShadow, repeatOnHighLight, repeatNone };
QEL_ENUM_INFO(TQELRepeat, "repeatOnShadow", "repeatOnHighLight", "repeatNone")

enum TQELKind { kVertical, kHorizontal };
QEL_ENUM_INFO(TQELKind, "kVertical", "kHorizontal")

enum TQELPosition { pLeft, pRight, pTop, pBottom };
QEL_ENUM_INFO(TQELPosition, "pLeft", "pRight", "pTop", "pBottom")

enum TQELFrameStyle {
    frameSolid,
    frameRaised,
    frameLowered,
    frameNone,
    frameFramedUp,
    frameFramedDown,
    framePanelUp,
    framePanelDown,
    frameLightBordered
};
QEL_ENUM_INFO(TQELFrameStyle, "frameSolid", "frameRaised", "frameLowered", "frameNone",
              "frameFramedUp", "frameFramedDown", "framePanelUp", "framePanelDown",
              "frameLightBordered")

enum TQELFrameEdge { EdgeLeft, EdgeRight, EdgeTop, EdgeBottom };
QEL_ENUM_INFO(TQELFrameEdge, "EdgeLeft", "EdgeRight", "EdgeTop", "EdgeBottom")

// One byte in the form stream: bit 0 left, bit 1 right, bit 2 top, bit 3 bottom.
using TQELFrameEdges = TSet<TQELFrameEdge>;

// Images side by side in one glyph bitmap, 1..4.
using TQELNumGlyphs = int;
constexpr TQELNumGlyphs kMinNumGlyphs = 1;
constexpr TQELNumGlyphs kMaxNumGlyphs = 4;
// Clamps a value into the subrange (setters keep it valid instead of failing at paint time).
constexpr TQELNumGlyphs ClampNumGlyphs(int V) {
    return V < kMinNumGlyphs ? kMinNumGlyphs : V > kMaxNumGlyphs ? kMaxNumGlyphs : V;
}

// A short string of at most 31 characters.
using TQELZoradodoExecStr = std::string;
constexpr std::size_t kMaxExecStr = 31;

// Base of components that the designer can run from the object inspector ("Execute Test").
class TQELZoradodoExecComponent : public TComponent {
    QEL_CLASS(TQELZoradodoExecComponent, TComponent)
  public:
    explicit TQELZoradodoExecComponent(TComponent* AOwner);

    // A pseudo-property with no meaningful value; it is never stored in the form file and
    // exists so the designer has somewhere to offer running the component.
    const TQELZoradodoExecStr& DesignExecute() const { return DesignExecute_; }
    void SetDesignExecute(const TQELZoradodoExecStr& Value);

    virtual void Execute();

  private:
    TQELZoradodoExecStr DesignExecute_;
};

// ===== Drawing classes ======================================================================
// Engineer "visual": drawing objects (3D text, frames, glyphs) and the button helpers.

// One text pass of a 3D text: the colour and the rectangle the text is drawn into.
struct TQELTextPass {
    TColor Color;
    TRect R;
    bool operator==(const TQELTextPass&) const = default;
};

// The settings of a 3D text effect and the routine that draws text with it.
class TQELFont3D : public TGraphicsObject {
    QEL_CLASS(TQELFont3D, TGraphicsObject)
  public:
    explicit TQELFont3D(TObject* AOwner = nullptr);
    TQELFont3D(TCollection*) = delete; // not a collection item
    ~TQELFont3D() override;
    void Assign(const TPersistent* Source) override;

    int DrawingWidth() const { return GetDrawingwidth(); }
    int GetDrawingwidth() const { return 2 * FOffset + FRepetitionwidth; }
    bool ThreeDimensional() const { return FThreeDimensional; }
    void Set3d(bool Value);
    bool MaskFont() const { return FMaskFont; }
    void SetMask(bool Value);
    TColor Highlight() const { return FHighlight; }
    void SetHighlight(TColor Value);
    TColor Shadow() const { return FShadow; }
    void SetShadow(TColor Value);
    TColor RepetitionColor() const { return FRepetitionColor; }
    void SetrepColor(TColor Value);
    TQELRepeat Repetition() const { return FRepetition; }
    void Setrep(TQELRepeat Value);
    std::uint8_t Repetitionwidth() const { return FRepetitionwidth; }
    void Setrepwidth(std::uint8_t Value);
    std::uint8_t Offset() const { return FOffset; }
    void SetOffset(std::uint8_t Value);
    TQELStyle3D Style3D() const { return FStyle3D; }
    void SetStyle3D(TQELStyle3D Value);

    TObject* Owner() const { return FOwner; }
    // Repaints the owner when it is a control.
    void Invalidate(TObject* Sender);

    // Draws Text into Rect of DC with the effect. Font and Rect are left as they are.
    void Write(const TFont* Font, HDC DC, const TRect& Rect, const std::string& Text, int Format,
               bool Enabled) const;
    // The passes Write draws, bottom layer first.
    std::vector<TQELTextPass> Passes(TColor FontColor, const TRect& Rect, bool Enabled) const;
    // The highlight and shadow copies around the main text at M, bottom first (shared with the
    // background's masked text).
    void AddStylePasses(const TRect& M, std::vector<TQELTextPass>& Out) const;

  private:
    TObject* FOwner;
    bool FThreeDimensional = true;
    bool FMaskFont = true;
    TColor FHighlight = clBtnHighlight;
    TColor FShadow = clBtnShadow;
    TColor FRepetitionColor = clBlack;
    TQELRepeat FRepetition = repeatNone;
    std::uint8_t FRepetitionwidth = 0;
    std::uint8_t FOffset = 1;
    TQELStyle3D FStyle3D = fontOnlyHighlight;
};

// A bevelled or solid border in one of nine styles.
class TQELFrame : public TGraphicsObject {
    QEL_CLASS(TQELFrame, TGraphicsObject)
  public:
    explicit TQELFrame(TObject* AOwner = nullptr);
    // Owners whose frames start in another style (labels start without a frame) say so here,
    // so that a form file keeps every style that differs from the one the owner creates.
    TQELFrame(TObject* AOwner, TQELFrameStyle InitialStyle);
    TQELFrame(TCollection*) = delete; // not a collection item
    ~TQELFrame() override;
    void Assign(const TPersistent* Source) override;

    TQELFrameStyle FrameStyle() const { return FFrameStyle; }
    TQELFrameStyle InitialStyle() const { return FInitialStyle; }
    void SetFrameStyle(TQELFrameStyle Value);
    TQELFrameEdges Edges() const { return FEdges; }
    void SetEdges(TQELFrameEdges Value);
    TColor Highlight() const { return FHighlight; }
    void SetHighlight(TColor Value);
    TColor Shadow() const { return FShadow; }
    void SetShadow(TColor Value);
    TColor Solid() const { return FSolid; }
    void SetSolid(TColor Value);
    std::uint8_t FrameWidth() const { return FFrameWidth; }
    void Setwidth(std::uint8_t Value);

    // Width the frame takes on each drawn side.
    int Calcwidth() const;
    // Width per side, zero for the sides not in Edges.
    TRect GetEdgePoints() const;
    // Draws inside Rect and shrinks it by what the passes used (on every side).
    void Draw(HDC DC, TRect& Rect) const;
    // A two-ring button bevel with the canvas pen; shrinks Rect by 2.
    void Drawbutton(TCanvas* Canvas, TRect& Rect, bool Down) const;

    TObject* Owner() const { return FOwner; }
    void Invalidate(TObject* Sender);
    // Called after the owner was invalidated, for users that need more than a repaint.
    TNotifyEvent OnInvalidate;

  private:
    TObject* FOwner;
    TQELFrameStyle FFrameStyle = frameRaised;
    TQELFrameStyle FInitialStyle = frameRaised;
    TQELFrameEdges FEdges{EdgeLeft, EdgeRight, EdgeTop, EdgeBottom};
    TColor FHighlight = clBtnHighlight;
    TColor FShadow = clBtnShadow;
    TColor FSolid = clBlack;
    std::uint8_t FFrameWidth = 1;
};

// One to four equal images side by side in one bitmap, drawn with a transparent colour.
class TQELGlyph : public TGraphicsObject {
    QEL_CLASS(TQELGlyph, TGraphicsObject)
  public:
    explicit TQELGlyph(TObject* AOwner = nullptr);
    TQELGlyph(TCollection*) = delete; // not a collection item
    ~TQELGlyph() override;
    void Assign(const TPersistent* Source) override;

    bool Visible() const { return FVisible; }
    void SetVisible(bool Value);
    TBitmap* Bitmap() const { return FBitmap.get(); }
    void SetBitmap(TBitmap* Value);
    TQELNumGlyphs NumGlyphs() const { return FNumGlyphs; }
    void SetNumGlyphs(TQELNumGlyphs Value);
    bool Transparent() const { return FTransparent; }
    void SetTransparent(bool Value);
    TColor TransparentColor() const { return FTransparentColor; }
    void SetTransparentColor(TColor Value);

    // Size of one image.
    int GetWidth() const;
    int GetHeight() const;
    int Width() const { return GetWidth(); }
    int Height() const { return GetHeight(); }

    void Draw(TCanvas* Canvas, int X, int Y, bool Enabled, bool Down, bool Gray) const;
    // Recolours every pixel but the transparent ones in face, highlight, shadow and black.
    static void DrawGrayed(TBitmap& Bitmap, TColor TransparentColor, int Level);

    TObject* Owner() const { return FOwner; }

  private:
    TObject* FOwner;
    bool FVisible = true;
    std::unique_ptr<TBitmap> FBitmap;
    TQELNumGlyphs FNumGlyphs = 1;
    bool FTransparent = true;
    TColor FTransparentColor = clBlack;
};

// A one- to three-ring button bevel on (0, 0, Width, Height).
void QELDrawButtonFrame(TCanvas* Canvas, int Width, int Height, int Level, bool Down);
// Draws Bitmap at (X, Y) with every pixel of TransparentColor left out.
void QELDrawTransparentBitmap(TCanvas* Canvas, TBitmap* Bitmap, int X, int Y,
                              TColor TransparentColor);
// Embossed grey text: highlight, then grey text one pixel up and left.
void QELDrawDisabledText(const TFont* Font, TCanvas* Canvas, const TRect& Rect,
                         const std::string& Text, int Format);

// ===== End of drawing classes ===============================================================

// ===== Thread timer =========================================================================

class TQELTimer32;

// The worker of a TQELTimer32: sleeps for the interval, then runs the timer's event on the GUI
// thread and waits for it.
class TQELThread : public TThread {
  public:
    explicit TQELThread(TQELTimer32* Timer);
    ~TQELThread() override;
    void DoTimer();
    // True while DoTimer runs on the GUI thread (the worker then waits for it to return).
    bool InTick() const { return InTick_; }
    // For a timer freed by its own event: the worker cannot be joined while it waits for the
    // event that frees it, so it lets go of the timer, ends once the event has returned and
    // is then freed by the GUI thread's queue.
    void Abandon();

  protected:
    void Execute() override;

  private:
    std::atomic<TQELTimer32*> Timer_;
    bool InTick_ = false;
};

// A timer that needs no window messages: its own thread measures the interval.
class TQELTimer32 : public TComponent {
    QEL_CLASS(TQELTimer32, TComponent)
  public:
    explicit TQELTimer32(TComponent* AOwner);
    ~TQELTimer32() override;

    bool Enabled() const { return Enabled_; }
    void SetEnabled(bool Value);
    std::uint16_t Interval() const { return Interval_.load(std::memory_order_relaxed); }
    void SetInterval(std::uint16_t Value);
    TThreadPriority Priority() const { return Priority_.load(std::memory_order_relaxed); }
    void SetThreadPriority(TThreadPriority Value);
    TNotifyEvent OnTimer;

    // Runs OnTimer (on the GUI thread when called by the worker).
    virtual void Timer();

  protected:
    void UpdateTimer();

  private:
    bool Enabled_ = true;
    std::atomic<std::uint16_t> Interval_{1000};
    // Read by the worker when it starts, which may be while a form is still being read.
    std::atomic<TThreadPriority> Priority_{tpTimeCritical};
    std::unique_ptr<TQELThread> Worker_;
};

// ===== End of thread timer ==================================================================

} // namespace qel

QEL_PUBLIC_END
