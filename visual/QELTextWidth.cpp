#include "visual/QELTextWidth.h"

#include "toolkit/graphics/Font.h"

#include <climits>

namespace qel {

// A memory context measures with the same faces as a window's, at no cost of a surface.
TQELTextMeasure::TQELTextMeasure(const TFont* Font) : DC_(CreateCompatibleDC(0)) {
    if (DC_ && Font) Old_ = SelectObject(DC_, Font->Handle());
}

TQELTextMeasure::~TQELTextMeasure() {
    if (!DC_) return;
    if (Old_) SelectObject(DC_, Old_);
    DeleteDC(DC_);
}

int TQELTextMeasure::Width(std::string_view Text) const {
    if (!DC_ || Text.empty()) return 0;
    if (Text.size() > static_cast<std::size_t>(INT_MAX)) Text = Text.substr(0, INT_MAX);
    TSize Size{};
    if (!GetTextExtentPoint32A(DC_, Text.data(), static_cast<int>(Text.size()), &Size)) return 0;
    return Size.cx;
}

int QELTextWidth(const TFont* Font, std::string_view Text) {
    if (!Font || Text.empty()) return 0;
    return TQELTextMeasure(Font).Width(Text);
}

} // namespace qel
