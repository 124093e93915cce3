#pragma once
// Component packages loaded by the designer: shared libraries that export a C function
// `Register`, called once inside a registration group of its own. A package is never unloaded
// again: its classes stay in the class registry for the life of the process.
#include "toolkit/core/Exceptions.h"
#include "toolkit/core/Export.h"

#include <string>
#include <vector>

QEL_PUBLIC_BEGIN

namespace qel {

class EPackageError : public Exception {
    using Exception::Exception;
};

struct TDesignPackage {
    std::string FileName;
    int Group = 0; // the registration group that holds its palette and editor entries
};

// Loads FileName (a path) and calls its Register. Throws EPackageError naming the file and the
// loader's reason when the library cannot be loaded, has no Register, or Register fails; the
// entries of a failed Register are taken back. A package already loaded (also through another
// path or a link) is not registered twice; its earlier record is returned.
TDesignPackage LoadDesignPackage(const std::string& FileName);

// Every shared library of Folder ("*.so" or "*.so.N…"), in name order. A package that fails
// adds its message to Errors and the others still load.
std::vector<TDesignPackage> LoadDesignPackages(const std::string& Folder,
                                               std::vector<std::string>& Errors);

std::vector<TDesignPackage> LoadedDesignPackages();

} // namespace qel

QEL_PUBLIC_END
