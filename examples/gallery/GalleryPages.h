#pragma once
// The gallery's pages: the main gallery form and one form per component family, each embedded
// in the program as a DFM resource of module qel-gallery.
#include "toolkit/graphics/Surface.h"

#include <string>
#include <vector>

namespace qel {
class TCustomForm;
}

namespace gallery {

// "GALLERY" first, then the other pages in name order.
std::vector<std::string> PageNames();

// Reads page Name (case-insensitive) into Form; throws EReadError for an unknown page.
void LoadPage(qel::TCustomForm& Form, const std::string& Name);

// Reads a form file into Form.
void LoadFormFile(qel::TCustomForm& Form, const std::string& FileName);

// Shows Form headless until its paints are done and returns a copy of its pixels.
qel::TSurface RenderForm(qel::TCustomForm& Form);

// The pictures one under another, Gap pixels apart, on Background (0x00RRGGBB), as wide as the
// widest; narrower pictures are left-aligned.
qel::TSurface StackVertically(const std::vector<qel::TSurface>& Pictures, int Gap,
                              std::uint32_t Background);

} // namespace gallery
