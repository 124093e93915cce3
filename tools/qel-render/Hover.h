#pragma once
// qel-render --hover: the pointer rests on a control until its hint shows.
#include "toolkit/controls/Forms.h"
#include "toolkit/graphics/Surface.h"

#include <string>

namespace qel::render {

// Moves the headless pointer to the middle of the control named Name on Form, runs the loop
// until the hint window shows (at most the hint pause and five seconds more) and returns the
// screen's picture of the form's client area joined with the hint window. Raises
// EInvalidOperation, saying why, when there is no such control or no hint shows for it.
TSurface HoverPicture(TCustomForm& Form, const std::string& Name);

} // namespace qel::render
