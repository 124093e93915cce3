// qel-slides: a presentation that plays every one of the 54 transitions in turn, alternating a
// gradient picture and a text slide.
//
//   qel-slides                      in a window (X11 when DISPLAY is set), until the last one
//   qel-slides --speed MS           pause between two transitions (default 400)
//   qel-slides --headless -o S.png  no window: a contact sheet of every effect caught halfway
//   qel-slides --headless --frames DIR   also DIR/NN-name-mid.png and DIR/NN-name-end.png
//   qel-slides --size WxH           the presentation's size (default 320x240)
#include "toolkit/controls/Forms.h"
#include "toolkit/graphics/Bitmap.h"
#include "toolkit/graphics/Canvas.h"
#include "toolkit/graphics/Font.h"
#include "toolkit/graphics/PngCodec.h"
#include "toolkit/platform/Backend.h"
#include "toolkit/platform/Headless.h"
#include "toolkit/platform/Window.h"
#include "tools/common/ToolMain.h"
#include "visual/QELTBackground.h"
#include "visual/QELTPresentation.h"

#include <cstdio>
#include <cstring>
#include <memory>
#include <string>
#include <vector>

using namespace qel;

namespace {

struct TOptions {
    bool Headless = false;
    std::string Sheet, Frames;
    int Speed = 400;
    int W = 320, H = 240;
};

const std::string Help =
    std::string("Usage: qel-slides [--headless [-o SHEET.png] [--frames DIR]] [--speed MS] "
                "[--size WxH]\n"
                "Plays every slide transition in turn, a gradient picture and a text slide.\n"
                "\n"
                "With a display (DISPLAY set) the presentation runs in a window until its last "
                "slide. Without one, or with --headless, nothing is shown: a contact sheet of "
                "every effect caught halfway is written instead.\n"
                "\n"
                "Options:\n"
                "  --headless        no window, write pictures\n"
                "  -o SHEET.png      the contact sheet (default qel-slides.png)\n"
                "  --frames DIR      also DIR/NN-name-mid.png and DIR/NN-name-end.png\n"
                "  --speed MS        pause between two transitions (default 400)\n"
                "  --size WxH        the presentation's size (default 320x240)\n"
                "  --help            print this help and exit\n"
                "  --version         print the version and exit\n"
                "\n") +
    qel::tool::ExitStatusHelp;

int Usage(const std::string& Problem) {
    return qel::tool::UsageError("qel-slides", Problem);
}

// The picture slide: a circular gradient with a frame of text-free bands.
std::unique_ptr<TBitmap> GradientPicture(int W, int H) {
    TQELBackground Bg(nullptr);
    Bg.Gradient()->SetBeginColor(clNavy);
    Bg.Gradient()->SetEndColor(clAqua);
    Bg.Gradient()->SetFillStyle(Circle);
    auto B = std::make_unique<TBitmap>();
    B->SetSize(W, H);
    Bg.Draw(B->Canvas()->Handle(), W, H, true);
    return B;
}

struct TShow {
    std::unique_ptr<TForm> Form;
    TQELPresentation* P = nullptr;
    TQELBackground* Back = nullptr;
};

TShow Build(const TOptions& O) {
    TShow S;
    S.Form = std::make_unique<TForm>(nullptr);
    S.Form->SetCaption("qel-slides");
    S.Form->SetBorderStyle(bsSingle);
    S.Form->SetClientWidth(O.W);
    S.Form->SetClientHeight(O.H);
    S.Form->SetColor(clBlack);
    S.Back = new TQELBackground(S.Form.get());
    S.Back->Gradient()->SetBeginColor(clMaroon);
    S.Back->Gradient()->SetEndColor(clYellow);
    S.Back->Gradient()->SetFillStyle(Vertical);
    S.P = new TQELPresentation(S.Form.get());
    S.P->SetParent(S.Form.get());
    S.P->SetBounds(0, 0, O.W, O.H);
    S.P->SetBackground(S.Back);
    S.P->SetAlignment(taCenter);
    S.P->Font()->SetSize(20);
    S.P->Font()->SetStyle({fsBold});
    S.P->Font()->SetColor(clWhite);
    S.P->Font3D()->SetStyle3D(fontRaised);
    auto Pic = GradientPicture(O.W, O.H);
    const auto& Names = EnumInfo<TQELSlideeffects>().Names;
    for (int E = 1; E <= kSlideEffectCount; ++E) {
        TQELSlide* Slide = S.P->Slides()->Add();
        Slide->SetID("Slide - " + std::to_string(E - 1));
        Slide->SetEffect(E);
        if (E % 2) {
            Slide->SetStyle(1);
            Slide->SetText("\n" + std::to_string(E) + "\n" + Names[static_cast<std::size_t>(E)]);
        } else {
            Slide->SetStyle(2);
            Slide->SetBitmap(Pic.get());
        }
    }
    return S;
}

const TSurface& Window(TForm& F) {
    return *GetWindowSurface(F.Handle());
}

// The client area of the form's window.
TSurface ClientPicture(TForm& F, int W, int H) {
    const TSurface& Win = Window(F);
    TRect Wr;
    GetWindowRect(F.Handle(), &Wr);
    TPoint O = F.ClientToScreen({0, 0});
    const int Dx = O.X - Wr.Left, Dy = O.Y - Wr.Top;
    TSurface Out(W, H);
    for (int Y = 0; Y < H; ++Y)
        for (int X = 0; X < W; ++X)
            if (Win.Contains(X + Dx, Y + Dy)) Out.Set(X, Y, Win.Get(X + Dx, Y + Dy));
    return Out;
}

int RunHeadless(const TOptions& O) {
    SetBackend(std::make_unique<THeadlessBackend>(O.W + 64, O.H + 64));
    TShow S = Build(O);
    S.Form->Show();
    while (HasPendingPaint())
        Application->ProcessMessages();
    const auto& Names = EnumInfo<TQELSlideeffects>().Names;
    std::vector<TSurface> Mid;
    for (int I = 0; I < kSlideEffectCount; ++I) {
        // Count the steps first on a bitmap, then catch the window halfway through.
        long Steps = 0;
        {
            auto Dry = std::make_unique<TBitmap>();
            Dry->SetSize(O.W, O.H);
            auto Src = std::make_unique<TBitmap>();
            Src->SetSize(O.W, O.H);
            auto Old = SetSlideEffectPumpHook([&] { ++Steps; });
            DrawSlideEffect(I + 1, Src->Canvas(), Dry->Canvas(), O.W, O.H);
            SetSlideEffectPumpHook(Old);
        }
        long Step = 0;
        TSurface Half;
        auto Old = SetSlideEffectPumpHook([&] {
            if (++Step == Steps / 2) Half = ClientPicture(*S.Form, O.W, O.H);
        });
        S.P->DoOneSlide(I);
        SetSlideEffectPumpHook(Old);
        if (Half.Width == 0) Half = ClientPicture(*S.Form, O.W, O.H); // a one-step effect
        Mid.push_back(Half);
        if (!O.Frames.empty()) {
            char Num[8];
            std::snprintf(Num, sizeof Num, "%02d", I + 1);
            const std::string Base =
                O.Frames + "/" + Num + "-" + Names[static_cast<std::size_t>(I + 1)];
            SavePng(Half, Base + "-mid.png");
            SavePng(ClientPicture(*S.Form, O.W, O.H), Base + "-end.png");
        }
    }
    if (!O.Sheet.empty()) {
        // Nine across, six down, at half size.
        const int Tw = O.W / 2, Th = O.H / 2, Cols = 9, Gap = 4;
        const int Rows = (kSlideEffectCount + Cols - 1) / Cols;
        TSurface Sheet(Cols * (Tw + Gap) + Gap, Rows * (Th + Gap) + Gap, 0x202020);
        for (int I = 0; I < kSlideEffectCount; ++I) {
            const int X0 = Gap + (I % Cols) * (Tw + Gap), Y0 = Gap + (I / Cols) * (Th + Gap);
            for (int Y = 0; Y < Th; ++Y)
                for (int X = 0; X < Tw; ++X)
                    Sheet.Set(X0 + X, Y0 + Y, Mid[static_cast<std::size_t>(I)].Get(2 * X, 2 * Y));
        }
        SavePng(Sheet, O.Sheet);
    }
    return 0;
}

int RunWindow(const TOptions& O) {
    TShow S = Build(O);
    const auto& Names = EnumInfo<TQELSlideeffects>().Names;
    S.P->OnSlideDone = [&](TObject*) {
        const int Next = S.P->NextSlide() + 1;
        if (Next < kSlideEffectCount)
            S.Form->SetCaption("qel-slides: " + std::to_string(Next + 1) + " " +
                               Names[static_cast<std::size_t>(Next + 1)]);
    };
    S.P->OnLoopDone = [](TObject*) { Application->Terminate(); };
    S.P->SetSpeed(O.Speed);
    Application->SetMainForm(S.Form.get());
    S.Form->SetCaption("qel-slides: 1 " + Names[1]);
    S.Form->Show();
    S.P->LoopSlides();
    Application->Run();
    Application->SetMainForm(nullptr);
    return 0;
}

} // namespace

int main(int Argc, char** Argv) {
    TOptions O;
    for (int I = 1; I < Argc; ++I) {
        const std::string A = Argv[I];
        if (A == "--help" || A == "-h") return qel::tool::PrintHelp(Help);
        if (A == "--version") return qel::tool::PrintVersion("qel-slides");
    }
    for (int I = 1; I < Argc; ++I) {
        const std::string A = Argv[I];
        if (A == "--headless") {
            O.Headless = true;
        } else if (A == "-o" && I + 1 < Argc) {
            O.Sheet = Argv[++I];
        } else if (A == "--frames" && I + 1 < Argc) {
            O.Frames = Argv[++I];
        } else if (A == "--speed" && I + 1 < Argc) {
            O.Speed = std::atoi(Argv[++I]);
        } else if (A == "--size" && I + 1 < Argc) {
            if (std::sscanf(Argv[++I], "%dx%d", &O.W, &O.H) != 2 || O.W < 2 || O.H < 2 ||
                O.W > 4096 || O.H > 4096)
                return Usage("--size wants WIDTHxHEIGHT from 2 to 4096");
        } else {
            return Usage(A[0] == '-' ? "unknown option or missing value: " + A
                                     : "unexpected argument: " + A);
        }
    }
    try {
        if (O.Headless || !std::getenv("DISPLAY")) {
            if (O.Sheet.empty() && O.Frames.empty()) O.Sheet = "qel-slides.png";
            return RunHeadless(O);
        }
        return RunWindow(O);
    } catch (const std::exception& E) {
        return qel::tool::Failure("qel-slides", E.what());
    }
}
