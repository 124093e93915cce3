#include "visual/QELTSplashScreen.h"

#include "toolkit/core/Exceptions.h"
#include "toolkit/graphics/Canvas.h"
#include "toolkit/platform/Backend.h"
#include "toolkit/platform/Kernel.h"
#include "toolkit/platform/MessageQueue.h"

#include <algorithm>

namespace qel {

TSplashForm* SplashForm = nullptr;
bool Go = false;

// ----- the window -------------------------------------------------------------------------------

QEL_IMPLEMENT_CLASS(TSplashForm, TForm, NoProperties<TSplashForm>)

TSplashForm::TSplashForm(TComponent* AOwner) : TForm(AOwner) {
    SetBorderIcons({});
    SetBorderStyle(bsNone);
    SetCaption("SplashForm");
    SetClientWidth(375);
    SetClientHeight(244);
    SetFormStyle(fsStayOnTop);
    OnClose = [this](TObject* Sender, TCloseAction& Action) { FormClose(Sender, Action); };
}

void TSplashForm::Run() {
    if (RunEvent) RunEvent(this);
}

void TSplashForm::FormClose(TObject*, TCloseAction&) {
    if (DoneEvent) DoneEvent(this);
    Go = false;
}

// ----- the clock --------------------------------------------------------------------------------

namespace {

TQELSplashClock SystemClock() {
    return {[] { return static_cast<std::uint32_t>(GetTickCount()); },
            [](std::uint32_t Ms) {
                const int Fd = BackendChosen() ? Backend().EventFd() : -1;
                TMessageQueue::Main().WaitForWork(static_cast<int>(Ms), Fd);
            }};
}

TQELSplashClock& Clock() {
    static TQELSplashClock C = SystemClock();
    return C;
}

// N / 2 rounded to the nearest integer, halves to the even neighbour.
int HalfRounded(int N) {
    const int Q = N / 2;
    if (N % 2 == 0) return Q;
    return (Q % 2 == 0) ? Q : (N > 0 ? Q + 1 : Q - 1);
}

} // namespace

TQELSplashClock SetSplashClock(TQELSplashClock C) {
    if (!C.Now || !C.Wait) C = SystemClock();
    std::swap(Clock(), C);
    return C;
}

// ----- the component ----------------------------------------------------------------------------

static void DescribeSplash(TClassBuilder<TQELSplashScreen>& B) {
    using T = TQELSplashScreen;
    // No defaults: every setting is written.
    B.Object("Image", &T::Image, &T::SetImage);
    B.Event("OnRun", &T::OnRun);
    B.Integer("SplashWidth", &T::SplashWidth, &T::SetSplashWidth);
    B.Integer("SplashHeight", &T::SplashHeight, &T::SetSplashHeight);
    B.Event("OnSplashDone", &T::OnSplashDone);
    B.Integer("DelayInMsec", &T::DelayInMsec, &T::SetDelayInMsec);
    B.Component("Background", &T::Background, &T::SetBackground);
    B.Object("OutsideFrame", &T::OutsideFrame, &T::SetOutsideFrame);
    B.Object("InsideFrame", &T::InsideFrame, &T::SetInsideFrame);
    B.Integer("Borderwidth", &T::Borderwidth, &T::SetBorderwidth);
    B.Bool("Screencenter", &T::Screencenter, &T::SetScreencenter);
}
QEL_IMPLEMENT_CLASS(TQELSplashScreen, TQELZoradodoExecComponent, DescribeSplash)

namespace {
TComponent* FormOwner(TComponent* AOwner) {
    if (AOwner && !dynamic_cast<TForm*>(AOwner)) throw EInvalidCast("Invalid class typecast");
    return AOwner;
}
} // namespace

TQELSplashScreen::TQELSplashScreen(TComponent* AOwner)
    : TQELZoradodoExecComponent(FormOwner(AOwner)), FImage(std::make_unique<TBitmap>()),
      FOutsideFrame(std::make_unique<TQELFrame>(this)),
      FInsideFrame(std::make_unique<TQELFrame>(this, frameLowered)) {}

TQELSplashScreen::~TQELSplashScreen() {
    if (FDestroyed) *FDestroyed = true;
}

void TQELSplashScreen::SetImage(TBitmap* Value) {
    if (Value != FImage.get()) FImage->Assign(Value);
}

void TQELSplashScreen::SetDelayInMsec(int Value) {
    if (Value >= 0) FDelayInMsec = Value;
}

void TQELSplashScreen::SetBorderwidth(int Value) {
    if (Value >= 0) FBorderwidth = Value;
}

// A plain store; the free notification keeps a background on another form from dangling.
void TQELSplashScreen::SetBackground(TQELBackground* Value) {
    if (FBackground && FBackground != Value) FBackground->RemoveFreeNotification(this);
    FBackground = Value;
    if (Value) Value->FreeNotification(this);
}

void TQELSplashScreen::SetOutsideFrame(TQELFrame* Value) {
    if (Value != FOutsideFrame.get()) FOutsideFrame->Assign(Value);
}

void TQELSplashScreen::SetInsideFrame(TQELFrame* Value) {
    if (Value != FInsideFrame.get()) FInsideFrame->Assign(Value);
}

void TQELSplashScreen::Loaded() {
    TQELZoradodoExecComponent::Loaded();
}

void TQELSplashScreen::Notification(TComponent* AComponent, TOperation Operation) {
    TQELZoradodoExecComponent::Notification(AComponent, Operation);
    if (Operation == opRemove && AComponent == FBackground) FBackground = nullptr;
}

std::unique_ptr<TBitmap> TQELSplashScreen::Compose() const {
    const int W = std::max(0, FSplashWidth), H = std::max(0, FSplashHeight);
    auto G = std::make_unique<TBitmap>();
    G->SetSize(W, H);
    if (W == 0 || H == 0) return G;
    const int Iw = FImage->Width(), Ih = FImage->Height();
    const int X = Iw < W ? HalfRounded(W - Iw) : 0;
    const int Y = Ih < H ? HalfRounded(H - Ih) : 0;
    HDC DC = G->Canvas()->Handle();
    if (FBackground) FBackground->Draw(DC, W, H, true);
    if (!FImage->Empty()) G->Canvas()->Draw(X, Y, FImage.get());
    TRect R{0, 0, W, H};
    FOutsideFrame->Draw(DC, R);
    InflateRect(&R, -FBorderwidth, -FBorderwidth);
    FInsideFrame->Draw(DC, R);
    return G;
}

void TQELSplashScreen::Execute() {
    ExecuteSplash();
}

bool TQELSplashScreen::ExecuteSplash() {
    // The last splash goes when the next one comes, so repeated runs do not pile up windows.
    delete SplashForm;
    SplashForm = new TSplashForm(Application);
    TSplashForm* Form = SplashForm;
    const auto FormLife = Form->LifeToken();
    bool Destroyed = false;
    bool* const OuterFlag = FDestroyed;
    FDestroyed = &Destroyed;
    // Leaves the component alone when a handler freed it, and closes a window still up.
    struct TFinally {
        TQELSplashScreen* Self;
        bool& Destroyed;
        bool* Outer;
        const std::weak_ptr<const int>& FormLife;
        TSplashForm* Form;
        ~TFinally() {
            if (!Destroyed) Self->FDestroyed = Outer;
            // A splash closed early (Close from OnRun) has said it is done already.
            if (!FormLife.expired() && Form->Visible()) Form->Close();
        }
    } Finally{this, Destroyed, OuterFlag, FormLife, Form};

    std::unique_ptr<TBitmap> G = Compose();
    Form->SetClientWidth(FSplashWidth);
    Form->SetClientHeight(FSplashHeight);
    Form->RunEvent = OnRun;
    Form->DoneEvent = OnSplashDone;
    Form->SetPosition(FScreencenter ? poScreenCenter : poDefault);
    const int Wait = FDelayInMsec;

    Go = true;
    Form->Show();
    // The window's own first paint comes now, so it cannot wipe the picture out later.
    Form->Update();
    Form->Canvas()->Draw(0, 0, G.get());
    G.reset();
    Form->Run();
    Delay(Wait);
    return true;
}

void TQELSplashScreen::Delay(int Msec) {
    const TQELSplashClock C = Clock();
    const std::uint32_t Start = C.Now();
    const auto Want = static_cast<std::uint32_t>(std::max(0, Msec));
    for (;;) {
        Application->ProcessMessages();
        // Unsigned difference: right across a wrap of the tick counter too.
        const std::uint32_t Passed = C.Now() - Start;
        if (Passed >= Want) break;
        // Sleeps until there is work or the time is up, instead of spinning.
        C.Wait(std::min<std::uint32_t>(Want - Passed, 10));
    }
}

void TQELSplashScreen::Close() {
    if (SplashForm) SplashForm->Close();
}

} // namespace qel
