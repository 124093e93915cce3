#pragma once
// Named binary resources embedded in a package at build time (bitmaps, forms, string tables).
//
// cmake/QelResources.cmake's qel_embed_resources(target folder) turns every file of a folder
// into static data plus a registration object; the registration runs when the package's
// library is loaded. A resource is found by module, upper-case name (the file name without its
// extension) and type (the upper-case extension: "BMP", "DFM" …).
#include "toolkit/core/Export.h"

#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

QEL_PUBLIC_BEGIN

namespace qel {

// Identifies the module (package) that registered resources; 0 searches every module.
using TResourceModule = std::uintptr_t;

// The id of a module name ("Brisca40"); the same name always gives the same id, and an id is
// never 0. Modules need not have registered anything yet.
TResourceModule ResourceModule(std::string_view ModuleName);

// Data must stay valid for the life of the process (static data of the embedding library).
void RegisterResource(std::string_view ModuleName, std::string_view Name, std::string_view Type,
                      const std::uint8_t* Data, std::size_t Size);

struct TResourceData {
    std::string Module, Name, Type;
    std::span<const std::uint8_t> Bytes;
};
// Type "" matches any type. Names and types are compared case-insensitively.
std::optional<TResourceData> FindResourceData(TResourceModule Module, std::string_view Name,
                                              std::string_view Type = {});
std::vector<TResourceData> ListResources(TResourceModule Module = 0);

// What the generated registration files instantiate.
struct TResourceRegistration {
    TResourceRegistration(const char* ModuleName, const char* Name, const char* Type,
                          const std::uint8_t* Data, std::size_t Size) {
        RegisterResource(ModuleName, Name, Type, Data, Size);
    }
};

} // namespace qel

QEL_PUBLIC_END
