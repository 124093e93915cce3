#pragma once
// Balloon hints. TQELHint, dropped once on the main form, holds the settings and installs
// TQELNewHint as the application's hint window class: a rectangle or rounded speech bubble with
// its tail towards the pointer, a dithered shadow, an interior from a linked background and the
// text in 3D. The window keeps the screen pixels around the outline, so it looks shaped.
#include "toolkit/controls/Forms.h"
#include "toolkit/core/Exceptions.h"
#include "toolkit/core/Export.h"
#include "toolkit/graphics/Font.h"
#include "visual/QELTBackground.h"
#include "visual/QELTHintPlacement.h"
#include "visual/QELZoradodo.h"

#include <memory>

QEL_PUBLIC_BEGIN

namespace qel {

QEL_ENUM_INFO(TQELDirectionB, "dUpRight", "dUpLeft", "dDownRight", "dDownLeft")

using TOnSelectHintDirection = TEvent<void(TControl* HintControl, TQELDirectionB& HintDirection)>;

class TQELDuplicateError : public Exception {
  public:
    using Exception::Exception;
};

// The message a second TQELHint raises.
std::string QELDuplicateHintMessage();

class TQELHint : public TComponent {
    QEL_CLASS(TQELHint, TComponent)
  public:
    // Raises TQELDuplicateError when another one is alive. Outside design mode it belongs to the
    // main form (when there is one) whatever owner is passed.
    explicit TQELHint(TComponent* AOwner);
    // Puts back the hint window class, pause and colour it replaced, where nobody changed them
    // since, and gives the application a standard hint window again.
    ~TQELHint() override;

    TQELFont3D* Font3D() const { return FFont3D.get(); }
    void SetFont3D(TQELFont3D* Value);
    bool Speechbubble() const { return FSpeechbubble; }
    void SetSpeechbubble(bool Value) { FSpeechbubble = Value; }
    bool Shadow() const { return FShadow; }
    void SetShadow(bool Value) { FShadow = Value; }
    TQELDirectionB HintDirection() const { return FHintDirection; }
    void SetHintDirection(TQELDirectionB Value) { FHintDirection = Value; }
    // The balloon's fill and its transparency key: every pixel of it shows the background.
    TColor UnUsedHintColor() const { return FUnUsedHintColor; }
    void SetUnUsedHintColor(TColor Value) { FUnUsedHintColor = Value; }
    TColor HintShadowColor() const { return FHintShadowColor; }
    void SetHintShadowColor(TColor Value) { FHintShadowColor = Value; }
    TFont* HintFont() const { return FHintFont.get(); }
    void SetHintFont(TFont* Value);
    int HintPauseTime() const { return FHintPauseTime; }
    void SetHintPauseTime(int Value);
    TQELBackground* Background() const { return FBackground; }
    void SetBackground(TQELBackground* Value);
    TOnSelectHintDirection OnSelectHintDirection;

    // Gives the live balloon window the hint font.
    void SetNewHintFont();

    void Loaded() override;
    void Notification(TComponent* AComponent, TOperation Operation) override;

    // Live TQELHint objects (0 or 1).
    static int InstanceCount();
    // The live one, or nullptr.
    static TQELHint* Instance();

  private:
    // Counts this object from its first member on: a constructor that raises takes its count
    // back with it.
    struct TClaim {
        explicit TClaim(TQELHint* Self);
        ~TClaim();
        TClaim(const TClaim&) = delete;
        TClaim& operator=(const TClaim&) = delete;
        TQELHint* Self;
    } FClaim;
    std::unique_ptr<TQELFont3D> FFont3D;
    std::unique_ptr<TFont> FHintFont;
    bool FSpeechbubble = false;
    bool FShadow = true;
    TQELDirectionB FHintDirection = dUpRight;
    TColor FUnUsedHintColor = 0x00FF00;
    TColor FHintShadowColor = 0x000000;
    int FHintPauseTime = 600;
    TQELBackground* FBackground = nullptr;

    // What installing replaced, to put back when freed.
    bool FInstalled = false;
    const TClass* FPreviousClass = nullptr;
    int FPreviousPause = 0;
    std::uint32_t FPreviousColor = 0;

    void Install();
    void Uninstall();
    // Makes the application create its hint window again (the ShowHint double toggle).
    static void RecreateHintWindow();
    void HintFontChanged();
};

class TQELNewHint : public THintWindow {
    QEL_CLASS(TQELNewHint, THintWindow)
  public:
    explicit TQELNewHint(TComponent* AOwner);
    ~TQELNewHint() override;

    void ActivateHint(TRect Rect, const std::string& Hint) override;
    // Measured with the hint component's font, which is the one the balloon writes with.
    TRect CalcHintRect(int MaxWidth, const std::string& Hint, void* Data) override;
    // The hint component the balloon paints for; nullptr in design mode or without one.
    TQELHint* FindHintQEL() const;
    // Chooses the direction and position for Rect (screen coordinates) around the pointer.
    // False when the direction handler freed the hint component or the control under the
    // pointer: there is nothing left to show the hint for.
    bool SelectProperHintDirection(const TRect& Rect);
    TQELDirectionB Direction() const { return FDirection; }
    // True while a balloon is being activated (its direction handler may run).
    static bool Activating();

  protected:
    void CreateParams(TCreateParams& Params) override;
    void Paint() override;

  private:
    TQELDirectionB FDirection = dUpRight;
    int FX = 0, FY = 0;
    // The screen beneath the window, taken at activation and consumed by the first paint.
    std::unique_ptr<TBitmap> FCapture;
    // The balloon as last composed: later repaints show it again, as the screen beneath is
    // no longer visible to take.
    std::unique_ptr<TBitmap> FPicture;

    void Compose(const TQELHint& Hint);
};

} // namespace qel

QEL_PUBLIC_END
