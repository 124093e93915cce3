#pragma once
// The libraries are built with hidden symbols, so their interface is what their installed
// headers declare and nothing else: helpers private to a source file cannot be linked against
// by accident, are not interposed at load time, and leave the dynamic symbol tables small.
// QEL_PUBLIC_BEGIN and QEL_PUBLIC_END enclose a header's declarations to make them visible;
// QEL_EXPORT marks a single declaration outside such a header (a plug-in's entry point).
#if defined(__GNUC__) || defined(__clang__)
#define QEL_EXPORT __attribute__((visibility("default")))
#define QEL_PUBLIC_BEGIN _Pragma("GCC visibility push(default)")
#define QEL_PUBLIC_END _Pragma("GCC visibility pop")
#else
#define QEL_EXPORT
#define QEL_PUBLIC_BEGIN
#define QEL_PUBLIC_END
#endif
