#include "visual/Brisca40.h"

namespace qel {

// Classes register themselves when the library loads; linking this call is what loads it.
void RegisterBrisca40Classes() {}

} // namespace qel
