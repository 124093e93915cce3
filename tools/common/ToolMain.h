// SPDX-License-Identifier: MIT
#pragma once
// What every installed program does alike: --help prints the help text to standard output and
// exits 0, --version prints "NAME VERSION", a usage error says what was wrong and where the
// help is in two lines on standard error and exits 2, and any other failure exits 1 with a
// message. The help texts are also the source of the manual pages (cmake/QelManPage.cmake):
//
//     Usage: NAME ARGS...          first line; more synopsis lines start with spaces
//            NAME OTHER ARGS...
//     One line saying what NAME does.
//
//     Paragraphs of description.
//
//     Section:                     a heading of its own (Options, Exit status, Environment...)
//       TERM  explanation          items: two spaces in front, two or more after the term
#include <cstdio>
#include <string>
#include <string_view>

#ifndef QEL_VERSION
#define QEL_VERSION "unknown"
#endif

namespace qel::tool {

inline constexpr int ExitOk = 0;
inline constexpr int ExitFailure = 1;
inline constexpr int ExitUsage = 2;

// The exit status section every help text ends with (a program may add its own first).
inline constexpr const char* ExitStatusHelp = "Exit status:\n"
                                              "  0  success\n"
                                              "  1  failure (the message on standard error says why)\n"
                                              "  2  wrong usage\n";

inline int PrintHelp(std::string_view Text) {
    std::fwrite(Text.data(), 1, Text.size(), stdout);
    return ExitOk;
}

inline int PrintVersion(const char* Name) {
    std::printf("%s %s\n", Name, QEL_VERSION);
    return ExitOk;
}

// Who is the program, or the program and its command ("qel-mail send").
inline int UsageError(const std::string& Who, const std::string& Problem) {
    std::fprintf(stderr, "%s: %s\nTry '%s --help' for more information.\n", Who.c_str(),
                 Problem.c_str(), Who.c_str());
    return ExitUsage;
}

inline int Failure(const std::string& Who, const std::string& Message) {
    std::fprintf(stderr, "%s: %s\n", Who.c_str(), Message.c_str());
    return ExitFailure;
}

} // namespace qel::tool
