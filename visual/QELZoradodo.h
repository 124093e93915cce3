#pragma once
// Shared enumerations and base classes of the visual package.
#include "toolkit/core/Component.h"
#include "toolkit/core/Properties.h"

#include <string>

namespace qel {

// ===== Shared enumerations and the exec component (non-graphic) =============================

enum TQELStyle3D { fontRaised, fontInset, fontOnlyShadow, fontOnlyHighlight, fontOutLineShadow };
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

} // namespace qel
