#include "mail/Corvex40.h"

namespace qel {

// Classes register themselves when the library loads; linking this call is what loads it.
void RegisterCorvex40Classes() {}

} // namespace qel
