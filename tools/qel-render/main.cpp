// qel-render FORM -o OUT.png [--size WxH] [--run MS] [--hover NAME]
// Loads a text or binary form file with every class of both packages and writes the form's
// client area as a PNG, drawn by the headless backend. Event handlers that no code backs are
// reported and left unassigned. With --run the application loop runs first for the given time,
// so timers, thread timers and the painting they cause are in the picture. With --hover the
// pointer then rests on the named control until its hint shows, and the picture is the screen's
// view of the form's client area and the hint window together.
#include "Hover.h"
#include "Options.h"
#include "mail/Corvex40.h"
#include "toolkit/controls/Forms.h"
#include "toolkit/core/Exceptions.h"
#include "toolkit/core/FormReader.h"
#include "toolkit/core/Streams.h"
#include "toolkit/graphics/PngCodec.h"
#include "toolkit/platform/Headless.h"
#include "toolkit/platform/Window.h"
#include "tools/common/ToolMain.h"
#include "visual/Brisca40.h"
#include "visual/QELTPresentation.h"

#include <chrono>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <memory>
#include <string>
#include <thread>
#include <vector>

using namespace qel;

namespace {

int Usage(const std::string& Problem) {
    return qel::tool::UsageError("qel-render", Problem);
}

// Runs the application loop for Ms milliseconds, as the application itself would: posted
// messages, timers, thread timers' synchronised ticks and painting. Stops early when the
// application is terminated. False when the form was freed meanwhile (by one of its handlers).
bool RunFor(int Ms, const std::weak_ptr<const int>& FormLife) {
    auto& Q = TMessageQueue::Main();
    bool Due = false;
    const int Deadline = Q.AddTimer(static_cast<unsigned>(Ms), [&Due] { Due = true; });
    // Polled rather than waited: a thread timer's synchronised tick does not wake a loop that
    // sleeps until the next window event or message timer.
    while (!Due && !FormLife.expired() && !Application->Terminated()) {
        Application->ProcessMessages();
        if (!Due) std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
    Q.RemoveTimer(Deadline);
    return !FormLife.expired();
}

// Class name of the root component: "object Name: TClass" in a text form, or the first short
// string after the signature (and an optional flags byte) in a binary one.
std::string RootClassName(const std::string& File) {
    std::ifstream In(File, std::ios::binary);
    std::string Data((std::istreambuf_iterator<char>(In)), std::istreambuf_iterator<char>());
    if (Data.compare(0, 4, "TPF0") == 0) {
        std::size_t P = 4;
        if (P < Data.size() && (static_cast<unsigned char>(Data[P]) & 0xF0) == 0xF0) {
            unsigned Flags = static_cast<unsigned char>(Data[P]) & 0x0F;
            ++P;
            if (Flags & 2) { // child position: an integer value follows
                if (P >= Data.size()) return {};
                unsigned char T = static_cast<unsigned char>(Data[P++]);
                P += T == 2 ? 1 : T == 3 ? 2 : 4;
            }
        }
        if (P >= Data.size()) return {};
        std::size_t Len = static_cast<unsigned char>(Data[P]);
        return Data.substr(P + 1, Len);
    }
    std::size_t Colon = Data.find(':');
    if (Colon == std::string::npos) return {};
    std::size_t B = Colon + 1;
    while (B < Data.size() && (Data[B] == ' ' || Data[B] == '\t'))
        ++B;
    std::size_t E = B;
    while (E < Data.size() && (std::isalnum(static_cast<unsigned char>(Data[E])) || Data[E] == '_'))
        ++E;
    return Data.substr(B, E - B);
}

} // namespace

int main(int Argc, char** Argv) {
    for (int I = 1; I < Argc; ++I) {
        const std::string A = Argv[I];
        if (A == "--help" || A == "-h") return qel::tool::PrintHelp(render::HelpText());
        if (A == "--version") return qel::tool::PrintVersion("qel-render");
    }
    render::TRenderOptions Opt;
    std::string Error;
    if (!render::ParseOptions(Argc, Argv, Opt, Error)) return Usage(Error);
    const std::string& In = Opt.Form;

    SetBackend(std::make_unique<THeadlessBackend>());
    RegisterBrisca40Classes();
    RegisterCorvex40Classes();

    std::vector<std::string> Warnings;
    TFormLoadOptions Opts;
    Opts.MissingMethod = TReadPolicy::Warn;
    Opts.Warnings = &Warnings;
    std::unique_ptr<TCustomForm> Form;
    try {
        // Forms are usually of a class of their own that only the application declares; such
        // a form is read into a plain TForm.
        const TClass* C = GetClass(RootClassName(In));
        if (C && C->InheritsFrom(TCustomForm::StaticClass()) && !C->IsAbstract()) {
            Form.reset(static_cast<TCustomForm*>(C->CreateInstance(nullptr)));
        } else {
            Form = std::make_unique<TForm>(nullptr);
        }
        TFileStream S(In, fmOpenRead);
        ReadComponent(S, Form.get(), Opts);
    } catch (const std::exception& E) {
        std::fprintf(stderr, "qel-render: %s: %s\n", In.c_str(), E.what());
        return 1;
    }
    for (const auto& Wn : Warnings)
        std::fprintf(stderr, "warning: %s\n", Wn.c_str());

    try {
        if (Opt.Width > 0) {
            Form->SetClientWidth(Opt.Width);
            Form->SetClientHeight(Opt.Height);
        }
        Form->Show();
        for (int I = 0; I < 100 && HasPendingPaint(); ++I)
            Application->ProcessMessages();
        Application->ProcessMessages();
        if (Opt.RunMs) {
            // A form file cannot say that its slide shows should play; here they do.
            StartPresentations(Form.get());
            if (!RunFor(*Opt.RunMs, Form->LifeToken())) {
                // Its own handler freed it; the pointer is no longer ours to delete.
                (void)Form.release();
                throw EInvalidOperation("the form was freed while it ran");
            }
            for (int I = 0; I < 100 && HasPendingPaint(); ++I)
                Application->ProcessMessages();
        }
        if (!Opt.Hover.empty()) {
            SavePng(render::HoverPicture(*Form, Opt.Hover), Opt.Output);
            return 0;
        }
        const TSurface* Surface = GetWindowSurface(Form->Handle());
        if (!Surface) throw EInvalidOperation("the form has no window");
        SavePng(*Surface, Opt.Output);
    } catch (const std::exception& E) {
        std::fprintf(stderr, "qel-render: %s\n", E.what());
        return 1;
    }
    return 0;
}
