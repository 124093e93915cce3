// qel-gallery [-o gallery.png] [--form FILE]
// The gallery of the visual package: a form with every component in typical settings. With
// -o (or without a display) it is drawn headless and written as a PNG; with a display it opens
// in a window. The form is built into the program; --form reads another form file instead.
#include "toolkit/controls/Forms.h"
#include "toolkit/core/Exceptions.h"
#include "toolkit/core/FormReader.h"
#include "toolkit/core/Streams.h"
#include "toolkit/graphics/PngCodec.h"
#include "toolkit/graphics/Resources.h"
#include "toolkit/platform/Headless.h"
#include "toolkit/platform/Window.h"
#include "visual/Brisca40.h"

#include <cstdio>
#include <cstdlib>
#include <memory>
#include <string>
#include <vector>

using namespace qel;

namespace {

int Usage() {
    std::fprintf(stderr, "usage: qel-gallery [-o OUT.png] [--form FILE]\n");
    return 2;
}

void LoadGallery(TCustomForm& Form, const std::string& FormFile) {
    TFormLoadOptions Opts;
    if (!FormFile.empty()) {
        TFileStream S(FormFile, fmOpenRead);
        ReadComponent(S, &Form, Opts);
        return;
    }
    auto Data = FindResourceData(ResourceModule("qel-gallery"), "GALLERY", "DFM");
    if (!Data) throw EReadError("the gallery form is missing from the program");
    TMemoryStream S;
    S.WriteBuffer(Data->Bytes.data(), static_cast<std::int64_t>(Data->Bytes.size()));
    S.SetPosition(0);
    ReadComponent(S, &Form, Opts);
}

} // namespace

int main(int Argc, char** Argv) {
    std::string Out, FormFile;
    for (int I = 1; I < Argc; ++I) {
        std::string A = Argv[I];
        if (A == "-o" && I + 1 < Argc)
            Out = Argv[++I];
        else if (A == "--form" && I + 1 < Argc)
            FormFile = Argv[++I];
        else
            return Usage();
    }
    const char* Display = std::getenv("DISPLAY");
    const bool Window = Out.empty() && Display && *Display;
    if (!Window) {
        SetBackend(std::make_unique<THeadlessBackend>());
        if (Out.empty()) Out = "gallery.png";
    }
    RegisterBrisca40Classes();

    std::unique_ptr<TForm> Form = std::make_unique<TForm>(nullptr);
    try {
        LoadGallery(*Form, FormFile);
    } catch (const std::exception& E) {
        std::fprintf(stderr, "qel-gallery: %s\n", E.what());
        return 1;
    }
    try {
        if (Window) {
            Application->SetMainForm(Form.get());
            Application->Run();
            return 0;
        }
        Form->Show();
        for (int I = 0; I < 100 && HasPendingPaint(); ++I)
            Application->ProcessMessages();
        Application->ProcessMessages();
        const TSurface* Surface = GetWindowSurface(Form->Handle());
        if (!Surface) throw EInvalidOperation("the form has no window");
        SavePng(*Surface, Out);
        std::printf("%s\n", Out.c_str());
    } catch (const std::exception& E) {
        std::fprintf(stderr, "qel-gallery: %s\n", E.what());
        return 1;
    }
    return 0;
}
