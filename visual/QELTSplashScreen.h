#pragma once
// A splash screen: a borderless stay-on-top window with a composed picture (background,
// centred image, two frames), shown while the application does its start-up work in OnRun and
// kept up for a minimum time with the application responsive.
#include "toolkit/controls/Forms.h"
#include "toolkit/core/Export.h"
#include "toolkit/graphics/Bitmap.h"
#include "visual/QELTBackground.h"
#include "visual/QELZoradodo.h"

#include <cstdint>
#include <functional>
#include <memory>

QEL_PUBLIC_BEGIN

namespace qel {

// The splash window.
class TSplashForm : public TForm {
    QEL_CLASS(TSplashForm, TForm)
  public:
    explicit TSplashForm(TComponent* AOwner);
    // Handed over from the component; Sender is the form.
    TNotifyEvent RunEvent;
    TNotifyEvent DoneEvent;
    // Calls the run event.
    void Run();
    // The form's OnClose: the done event, then Go := false.
    void FormClose(TObject* Sender, TCloseAction& Action);
};

// The window of the current or last Execute.
extern TSplashForm* SplashForm;
// False whenever the splash window has closed (true while one is up).
extern bool Go;

class TQELSplashScreen : public TQELZoradodoExecComponent {
    QEL_CLASS(TQELSplashScreen, TQELZoradodoExecComponent)
  public:
    // The owner must be a form (or none); anything else raises EInvalidCast.
    explicit TQELSplashScreen(TComponent* AOwner);
    ~TQELSplashScreen() override;

    TBitmap* Image() const { return FImage.get(); }
    void SetImage(TBitmap* Value);
    TNotifyEvent OnRun;
    int SplashWidth() const { return FSplashWidth; }
    void SetSplashWidth(int Value) { FSplashWidth = Value; }
    int SplashHeight() const { return FSplashHeight; }
    void SetSplashHeight(int Value) { FSplashHeight = Value; }
    TNotifyEvent OnSplashDone;
    int DelayInMsec() const { return FDelayInMsec; }
    void SetDelayInMsec(int Value);
    TQELBackground* Background() const { return FBackground; }
    void SetBackground(TQELBackground* Value);
    TQELFrame* OutsideFrame() const { return FOutsideFrame.get(); }
    void SetOutsideFrame(TQELFrame* Value);
    TQELFrame* InsideFrame() const { return FInsideFrame.get(); }
    void SetInsideFrame(TQELFrame* Value);
    int Borderwidth() const { return FBorderwidth; }
    void SetBorderwidth(int Value);
    bool Screencenter() const { return FScreencenter; }
    void SetScreencenter(bool Value) { FScreencenter = Value; }

    // Shows the splash, runs OnRun, waits DelayInMsec and closes it; True.
    void Execute() override;
    bool ExecuteSplash();
    // Handles the application's messages until at least Msec milliseconds have passed.
    static void Delay(int Msec);
    // Closes SplashForm (from OnRun or another handler, to end the splash early).
    static void Close();
    // The picture the window shows.
    std::unique_ptr<TBitmap> Compose() const;

    void Loaded() override;
    void Notification(TComponent* AComponent, TOperation Operation) override;

  private:
    std::unique_ptr<TBitmap> FImage;
    int FSplashWidth = 300;
    int FSplashHeight = 200;
    int FDelayInMsec = 0;
    TQELBackground* FBackground = nullptr;
    std::unique_ptr<TQELFrame> FOutsideFrame;
    std::unique_ptr<TQELFrame> FInsideFrame;
    int FBorderwidth = 2;
    bool FScreencenter = false;
    // Set by the destructor, so an Execute whose handler freed the component stops touching it.
    bool* FDestroyed = nullptr;
};

// The clock Delay reads and the way it waits for work: the system's millisecond tick count by
// default. Tests put in a clock of their own (one that wraps, or that needs no real waiting).
struct TQELSplashClock {
    std::function<std::uint32_t()> Now;
    // Waits up to Ms milliseconds for the application to have work.
    std::function<void(std::uint32_t Ms)> Wait;
};
// Returns the clock it replaces; an empty clock puts the system's back.
TQELSplashClock SetSplashClock(TQELSplashClock Clock);

} // namespace qel

QEL_PUBLIC_END
