// qel-form: check a form file against the registered classes of both packages, or convert it
// between the text and binary encodings.
//
//   qel-form check FILE
//   qel-form to-text IN OUT
//   qel-form to-binary IN OUT
//
// IN and OUT may be "-" for standard input and output. Exit status: 0 success, 1 the form is
// broken (the message names the line or offset), 2 usage.
#include "mail/Corvex40.h"
#include "toolkit/core/Exceptions.h"
#include "toolkit/core/FormReader.h"
#include "toolkit/core/Streams.h"
#include "toolkit/core/TextForm.h"
#include "visual/Brisca40.h"

#include <cstdio>
#include <iostream>
#include <string>
#include <unistd.h>

using namespace qel;

namespace {

int Usage() {
    std::cerr << "usage: qel-form check FILE\n"
                 "       qel-form to-text IN OUT\n"
                 "       qel-form to-binary IN OUT\n"
                 "IN and OUT may be - for standard input and output.\n";
    return 2;
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
    if (Argc < 2) return Usage();
    std::string Cmd = Argv[1];
    try {
        if (Cmd == "check" && Argc == 3) return Check(Argv[2]);
        if (Cmd == "to-text" && Argc == 4) {
            Convert(Argv[2], Argv[3], TFormFormat::Text);
            return 0;
        }
        if (Cmd == "to-binary" && Argc == 4) {
            Convert(Argv[2], Argv[3], TFormFormat::Binary);
            return 0;
        }
    } catch (const std::exception& E) {
        std::cerr << (Argc > 2 ? std::string(Argv[2]) + ": " : std::string())
                  << "error: " << E.what() << "\n";
        return 1;
    }
    return Usage();
}
