#pragma once
// Text measuring without a window: controls that size parts of themselves to their text (the
// header's new sections, the file label's shortened path) measure with their own font before
// they have been painted, or before they have a parent at all.
#include "toolkit/core/Export.h"
#include "toolkit/graphics/Windows.h"

#include <string_view>

QEL_PUBLIC_BEGIN

namespace qel {

class TFont;

// Measures with one font for as long as it lives. Widths add up: the width of two strings
// joined is the sum of their widths, so long texts can be measured piece by piece.
class TQELTextMeasure {
  public:
    explicit TQELTextMeasure(const TFont* Font);
    ~TQELTextMeasure();
    TQELTextMeasure(const TQELTextMeasure&) = delete;
    TQELTextMeasure& operator=(const TQELTextMeasure&) = delete;

    int Width(std::string_view Text) const;

  private:
    HDC DC_ = 0;
    HGDIOBJ Old_ = 0;
};

// Width in pixels of Text written in Font on the screen.
int QELTextWidth(const TFont* Font, std::string_view Text);

} // namespace qel

QEL_PUBLIC_END
