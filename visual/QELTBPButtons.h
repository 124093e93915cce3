#pragma once
// The native check box and radio button with a 3D caption over an optional background. They
// leave mark, checked state, groups, keyboard and focus to the native button: at every paint
// they render the caption into a bitmap of the client size and hand it to the button as its
// image (the button is created in bitmap style). Both can look like a push button that stays
// down while checked (AsButton).
#include "toolkit/controls/StdCtrls.h"
#include "toolkit/core/Export.h"
#include "visual/QELBackgroundLink.h"
#include "visual/QELTBackground.h"
#include "visual/QELZoradodo.h"

#include <functional>
#include <memory>

QEL_PUBLIC_BEGIN

namespace qel {

// What the two classes share: the caption image, its 3D font, the settings of the native
// button's style and the background link.
class TQELCaptionImage {
  public:
    TQELCaptionImage(TWinControl* Owner, int InsetY, int MarkRoom);
    TQELCaptionImage(const TQELCaptionImage&) = delete;
    TQELCaptionImage& operator=(const TQELCaptionImage&) = delete;

    // The style bits of the native button for these settings.
    void ApplyParams(TCreateParams& Params) const;
    // Renders the caption into the image for a client area of Client and returns its handle.
    HBITMAP Render(const TRect& Client, TColor Color, const TFont* Font,
                   const std::string& Caption);
    // The caption's rectangle in the image and its draw-text flags.
    TRect CaptionRect(const TRect& Client) const;
    unsigned TextFlags() const;
    // Stores a setting of the native style; the window is made again when it changed.
    void Restyle(bool& Field, bool Value);
    // The paint message: the caption image goes to the native button, which then paints.
    void Paint(TMessage& M, const std::function<void(TMessage&)>& Inherited);

    TWinControl* Owner;
    std::unique_ptr<TQELFont3D> Font3D;
    std::unique_ptr<TBitmap> Image;
    TQELBackgroundLink Background;
    TAlignment Alignment = taLeftJustify;
    bool WordWrap = false;
    bool AsButton = false;
    bool ButtonSunk = true;
    TLeftRight AlignButton = taLeftJustify;
    const int InsetY;
    const int MarkRoom;
};

class TQELCheckbox : public TCheckBox {
    QEL_CLASS(TQELCheckbox, TCheckBox)
  public:
    explicit TQELCheckbox(TComponent* AOwner);
    ~TQELCheckbox() override;

    TAlignment Alignment() const { return FImage.Alignment; }
    void SetAlign(TAlignment Value);
    const std::string& GetText() const { return Caption(); }
    void SetText(const std::string& Value);
    TQELFont3D* Font3D() const { return FImage.Font3D.get(); }
    void Set3D(TQELFont3D* Value);
    bool WordWrap() const { return FImage.WordWrap; }
    void SetWordWrap(bool Value);
    TQELBackground* Background() const { return FImage.Background.Get(); }
    void SetBack(TQELBackground* Value);
    bool AsButton() const { return FImage.AsButton; }
    void SetAsButton(bool Value);
    bool ButtonSunk() const { return FImage.ButtonSunk; }
    void SetFlat(bool Value);
    TLeftRight AlignButton() const { return FImage.AlignButton; }
    void SetAlignButton(TLeftRight Value);
    bool IsAsButton() const { return FImage.AsButton; }
    bool IsNotAsButton() const { return !FImage.AsButton; }

    const TQELCaptionImage& CaptionImage() const { return FImage; }
    void WndProc(TMessage& Message) override;
    void Notification(TComponent* AComponent, TOperation Operation) override;

  protected:
    void CreateParams(TCreateParams& Params) override;

  private:
    TQELCaptionImage FImage;
};

class TQELRadiobutton : public TRadioButton {
    QEL_CLASS(TQELRadiobutton, TRadioButton)
  public:
    explicit TQELRadiobutton(TComponent* AOwner);
    ~TQELRadiobutton() override;

    TAlignment Alignment() const { return FImage.Alignment; }
    void SetAlign(TAlignment Value);
    const std::string& GetText() const { return Caption(); }
    void SetText(const std::string& Value);
    TQELFont3D* Font3D() const { return FImage.Font3D.get(); }
    void Set3D(TQELFont3D* Value);
    bool WordWrap() const { return FImage.WordWrap; }
    void SetWordWrap(bool Value);
    TQELBackground* Background() const { return FImage.Background.Get(); }
    void SetBack(TQELBackground* Value);
    bool AsButton() const { return FImage.AsButton; }
    void SetAsButton(bool Value);
    bool ButtonSunk() const { return FImage.ButtonSunk; }
    void SetFlat(bool Value);
    TLeftRight AlignButton() const { return FImage.AlignButton; }
    void SetAlignButton(TLeftRight Value);
    bool IsAsButton() const { return FImage.AsButton; }
    bool IsNotAsButton() const { return !FImage.AsButton; }

    const TQELCaptionImage& CaptionImage() const { return FImage; }
    void WndProc(TMessage& Message) override;
    void Notification(TComponent* AComponent, TOperation Operation) override;

  protected:
    void CreateParams(TCreateParams& Params) override;

  private:
    TQELCaptionImage FImage;
};

} // namespace qel

QEL_PUBLIC_END
