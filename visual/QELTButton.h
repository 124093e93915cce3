#pragma once
// A dialog push button that keeps the native button's behaviour (focus, Tab order, default and
// cancel keys, accelerators, modal results) and draws itself: background, glyph, 3D caption,
// soft bevel and focus frame.
#include "toolkit/controls/ControlCanvas.h"
#include "toolkit/controls/StdCtrls.h"
#include "toolkit/core/Export.h"
#include "visual/QELBackgroundLink.h"
#include "visual/QELZoradodo.h"

#include <memory>

QEL_PUBLIC_BEGIN

namespace qel {

class TQELButton : public TButtonControl {
    QEL_CLASS(TQELButton, TButtonControl)
  public:
    explicit TQELButton(TComponent* AOwner);
    ~TQELButton() override;

    bool Cancel() const { return FCancel; }
    void SetCancel(bool Value) { FCancel = Value; }
    bool Default() const { return FDefault; }
    void SetDefault(bool Value);
    TQELFont3D* Font3D() const { return FFont3D.get(); }
    void Set3D(TQELFont3D* Value);
    TQELGlyph* Glyph() const { return FGlyph.get(); }
    void SetQELGlyph(TQELGlyph* Value);
    int ModalResult() const { return FModalResult; }
    void SetModalResult(int Value) { FModalResult = Value; }
    bool WordWrap() const { return FWordWrap; }
    void Setword(bool Value);
    bool ButtonSunk() const { return FButtonSunk; }
    void SetButtonSunk(bool Value);
    TQELBackground* Background() const { return FBackground.Get(); }
    void SetFBack(TQELBackground* Value);

    // True while Enter clicks this button.
    bool IsActive() const { return FActive; }
    // Draw-text flags of the caption.
    unsigned TextFormat() const { return FTextFormat; }

    // Where the glyph and the caption go for a native item state (ODS_… bits).
    struct TLayout {
        TPoint Glyph;    // top-left of the glyph image
        TRect Text;      // the caption's rectangle
        bool Sunk;       // drawn pressed (selected and enabled)
        bool FocusFrame; // the one-pixel focus frame is drawn
    };
    TLayout Layout(unsigned ItemState) const;

    void Click() override;
    void WndProc(TMessage& Message) override;
    void Notification(TComponent* AComponent, TOperation Operation) override;

  protected:
    void CreateParams(TCreateParams& Params) override;
    void CreateWnd() override;
    void DrawItem(const DRAWITEMSTRUCT& Item);

  private:
    std::unique_ptr<TControlCanvas> FCanvas;
    std::unique_ptr<TQELFont3D> FFont3D;
    std::unique_ptr<TQELGlyph> FGlyph;
    TQELBackgroundLink FBackground{*this};
    unsigned FTextFormat;
    bool FActive = false;
    bool FCancel = false;
    bool FDefault = false;
    bool FWordWrap = false;
    bool FButtonSunk = false;
    int FModalResult = 0;
};

} // namespace qel

QEL_PUBLIC_END
