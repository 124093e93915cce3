#pragma once
// Writing whole forms as text or binary form files.
#include "toolkit/core/Component.h"
#include "toolkit/core/Export.h"
#include "toolkit/core/FormFormat.h"

#include <string>

QEL_PUBLIC_BEGIN

namespace qel {

class TStream;

void WriteComponent(TStream& Stream, TComponent* Root, TFormFormat Format = TFormFormat::Text);
void SaveComponentToFile(const std::string& FileName, TComponent* Root,
                         TFormFormat Format = TFormFormat::Text);
// The form as text, for tests and tools.
std::string ComponentToText(TComponent* Root);

} // namespace qel

QEL_PUBLIC_END
