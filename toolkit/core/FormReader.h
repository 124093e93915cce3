#pragma once
// Reading whole forms from text or binary form files.
#include "toolkit/core/Component.h"
#include "toolkit/core/Export.h"
#include "toolkit/core/Filer.h"
#include "toolkit/core/FormFormat.h"

#include <memory>
#include <string>
#include <vector>

QEL_PUBLIC_BEGIN

namespace qel {

class TStream;

struct TFormLoadOptions : TReadOptions {
    // Receives the reader's warnings (skipped properties, unbound events).
    std::vector<std::string>* Warnings = nullptr;
};

// Reads a form (either format) into ExistingRoot, or creates the root by its class name when
// ExistingRoot is nullptr; the caller owns a created root. Throws EReadError, EParserError or
// EClassNotFound with the line (text) or offset (binary); whatever was created is freed again.
TComponent* ReadComponent(TStream& Stream, TComponent* ExistingRoot,
                          const TFormLoadOptions& Options = {});
std::unique_ptr<TComponent> LoadComponentFromStream(TStream& Stream,
                                                    const TFormLoadOptions& Options = {});
std::unique_ptr<TComponent> LoadComponentFromFile(const std::string& FileName,
                                                  const TFormLoadOptions& Options = {});
// Reads into an existing root (a form created from code).
void LoadComponentFromFile(const std::string& FileName, TComponent& Root,
                           const TFormLoadOptions& Options = {});

} // namespace qel

QEL_PUBLIC_END
