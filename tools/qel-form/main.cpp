// qel-form: checks form files and converts them between the text and binary encodings.
#include "mail/Corvex40.h"
#include "toolkit/core/Exceptions.h"
#include "toolkit/core/FormReader.h"
#include "toolkit/core/Streams.h"
#include "toolkit/core/TextForm.h"
#include "tools/common/ToolMain.h"
#include "visual/Brisca40.h"

#include <cstdio>
#include <iostream>
#include <string>
#include <unistd.h>

using namespace qel;

namespace {

constexpr const char* Name = "qel-form";

const std::string Help = std::string(
    "Usage: qel-form check FILE\n"
    "       qel-form to-text IN OUT\n"
    "       qel-form to-binary IN OUT\n"
    "Checks form files and converts them between the text and binary encodings.\n"
    "\n"
    "check loads FILE with every class of the visual and mail packages and reports what does\n"
    "not load; the application's own form class and event handlers cannot exist without its\n"
    "code and are reported as warnings. The conversions check the whole input and write a text\n"
    "form in the canonical layout. IN and OUT may be - for standard input and output.\n"
    "\n"
    "Commands:\n"
    "  check FILE          check that FILE loads\n"
    "  to-text IN OUT      convert IN (text or binary) to the text encoding\n"
    "  to-binary IN OUT    convert IN (text or binary) to the binary encoding\n"
    "\n"
    "Options:\n"
    "  --help              print this help and exit\n"
    "  --version           print the version and exit\n"
    "\n") + qel::tool::ExitStatusHelp +
    "  A form that does not load is a failure; the message names its line or offset.\n";

int Usage(const std::string& Problem) {
    return qel::tool::UsageError(Name, Problem);
}

void ReadAll(const std::string& Name, TMemoryStream& M) {
    if (Name != "-") {
        M.LoadFromFile(Name);
        return;
    }
    char Buf[65536];
    for (;;) {
        ssize_t N = ::read(0, Buf, sizeof Buf);
        if (N < 0) throw EReadError("Cannot read standard input");
        if (N == 0) break;
        M.WriteBuffer(Buf, N);
    }
    M.SetPosition(0);
}

void WriteAll(const std::string& Name, TMemoryStream& M) {
    if (Name != "-") {
        M.SaveToFile(Name);
        return;
    }
    const auto* P = reinterpret_cast<const char*>(M.Memory());
    std::int64_t Left = M.Size();
    while (Left > 0) {
        ssize_t N = ::write(1, P, static_cast<std::size_t>(Left));
        if (N <= 0) throw EWriteError("Cannot write standard output");
        P += N;
        Left -= N;
    }
}

// Both conversions go through the other encoding, so the input is fully checked and a text
// input comes out in the canonical layout.
void Convert(const std::string& In, const std::string& Out, TFormFormat Target) {
    TMemoryStream Src, Bin, Result;
    ReadAll(In, Src);
    if (DetectFormFormat(Src) == TFormFormat::Text) {
        ObjectTextToBinary(Src, Bin);
    } else {
        TMemoryStream Text;
        ObjectBinaryToText(Src, Text);
        Text.SetPosition(0);
        ObjectTextToBinary(Text, Bin);
    }
    Bin.SetPosition(0);
    if (Target == TFormFormat::Text)
        ObjectBinaryToText(Bin, Result);
    else
        Result.LoadFromStream(Bin);
    WriteAll(Out, Result);
}

int Check(const std::string& File) {
    RegisterBrisca40Classes();
    RegisterCorvex40Classes();
    TMemoryStream Src;
    ReadAll(File, Src);
    std::vector<std::string> Warnings;
    TFormLoadOptions O;
    // Without the application's code, its form class and event handlers cannot exist; every
    // other part of the form must load.
    O.FallbackRootClass = GetClass("TForm");
    O.MissingMethod = TReadPolicy::Warn;
    O.Warnings = &Warnings;
    auto Root = LoadComponentFromStream(Src, O);
    for (const std::string& W : Warnings)
        std::cerr << File << ": warning: " << W << "\n";
    std::cout << File << ": ok (" << Root->ClassName() << " " << Root->Name() << ", "
              << Root->ComponentCount() << " components)\n";
    return 0;
}

} // namespace

int main(int Argc, char** Argv) {
    for (int I = 1; I < Argc; ++I) {
        const std::string A = Argv[I];
        if (A == "--help" || A == "-h") return qel::tool::PrintHelp(Help);
        if (A == "--version") return qel::tool::PrintVersion(Name);
        if (A.size() > 1 && A[0] == '-') return Usage("unknown option " + A);
    }
    if (Argc < 2) return Usage("no command given");
    const std::string Cmd = Argv[1];
    const int Want = Cmd == "check" ? 3 : (Cmd == "to-text" || Cmd == "to-binary") ? 4 : 0;
    if (Want == 0) return Usage("unknown command \"" + Cmd + "\"");
    if (Argc != Want)
        return Usage(Cmd + (Want == 3 ? " takes one file" : " takes an input and an output"));
    try {
        if (Cmd == "check") return Check(Argv[2]);
        Convert(Argv[2], Argv[3], Cmd == "to-text" ? TFormFormat::Text : TFormFormat::Binary);
        return 0;
    } catch (const std::exception& E) {
        std::cerr << Argv[2] << ": error: " << E.what() << "\n";
        return 1;
    }
}
