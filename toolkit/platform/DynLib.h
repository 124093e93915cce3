#pragma once
// LoadLibraryA, GetProcAddress and FreeLibrary over the system's dynamic loader.
//
// Windows library names are mapped to shared objects:
//   1. A name containing "/" is a path and is loaded as it is.
//   2. A shared object's own name ("libfoo.so", "libm.so.6") is used unchanged.
//   3. Otherwise the name is lower-cased and a trailing ".dll" removed ("MAPI32.DLL",
//      "mapi32.dll" and "mapi32" are the same library). The result is looked up in this
//      table, whose candidates are tried in order:
//
//        Windows name   candidates
//        mapi32         $QEL_MAPI_LIBRARY (when set and not empty), libqelmapi.so
//        any other X    libX.so
//
//   4. A candidate containing "/" is loaded as a path. A bare file name is looked for in each
//      folder of $QEL_LIBRARY_PATH (colon-separated), then in "<executable's folder>/../lib",
//      the executable's own folder, the toolkit library's folder and the plug-in folder below
//      it ("qel", where the installation puts the providers), and finally by the system
//      loader's own search (LD_LIBRARY_PATH, the cache, the default folders).
//
// The first candidate that loads wins. On failure the result is null, GetLastError() is
// ERROR_MOD_NOT_FOUND (ERROR_PROC_NOT_FOUND for GetProcAddress) and DynLibErrorText() holds
// the loader's messages for every attempt.
#include "toolkit/core/Export.h"
#include "toolkit/platform/KernelTypes.h"

#include <string>
#include <vector>

QEL_PUBLIC_BEGIN

namespace qel {

struct HINSTANCE__;
using HMODULE = HINSTANCE__*;

HMODULE LoadLibraryA(LPCSTR FileName);
FARPROC GetProcAddress(HMODULE Module, LPCSTR ProcName);
BOOL FreeLibrary(HMODULE Module);

// The shared objects tried for a Windows library name, in order (steps 1 to 3 above).
std::vector<std::string> SharedObjectCandidates(const std::string& WindowsName);
// The full list of files or names handed to the loader for a candidate (step 4 above).
std::vector<std::string> LibrarySearchPaths(const std::string& Candidate);
// Why the last failing LoadLibraryA or GetProcAddress of this thread failed.
std::string DynLibErrorText();

} // namespace qel

QEL_PUBLIC_END
