#pragma once
// The bitmap button: a push button with a glyph beside its caption, and kinds that bring their
// own caption, glyph and modal result (OK, Cancel, Yes …).
#include "toolkit/controls/StdCtrls.h"
#include "toolkit/core/Export.h"

QEL_PUBLIC_BEGIN

namespace qel {

class TBitmap;

enum TBitBtnKind {
    bkCustom,
    bkOK,
    bkCancel,
    bkHelp,
    bkYes,
    bkNo,
    bkClose,
    bkAbort,
    bkRetry,
    bkIgnore,
    bkAll
};
QEL_ENUM_INFO(TBitBtnKind, "bkCustom", "bkOK", "bkCancel", "bkHelp", "bkYes", "bkNo", "bkClose",
              "bkAbort", "bkRetry", "bkIgnore", "bkAll")
enum TButtonLayout { blGlyphLeft, blGlyphRight, blGlyphTop, blGlyphBottom };
QEL_ENUM_INFO(TButtonLayout, "blGlyphLeft", "blGlyphRight", "blGlyphTop", "blGlyphBottom")

class TBitBtn : public TButton {
    QEL_CLASS(TBitBtn, TButton)
  public:
    explicit TBitBtn(TComponent* AOwner);
    ~TBitBtn() override;
    TBitBtnKind Kind() const { return Kind_; }
    void SetKind(TBitBtnKind V);
    TBitmap* Glyph() const { return Glyph_; }
    void SetGlyph(TBitmap* V);
    TButtonLayout Layout() const { return Layout_; }
    void SetLayout(TButtonLayout V);
    int Margin() const { return Margin_; }
    void SetMargin(int V);
    int Spacing() const { return Spacing_; }
    void SetSpacing(int V);
    void WndProc(TMessage& Message) override;

  protected:
    void CreateParams(TCreateParams& Params) override;

  private:
    void DrawItem(const DRAWITEMSTRUCT& D);
    void DrawKindGlyph(HDC DC, const TRect& R, bool Enabled) const;
    TBitBtnKind Kind_ = bkCustom;
    TBitmap* Glyph_ = nullptr;
    TButtonLayout Layout_ = blGlyphLeft;
    int Margin_ = -1;
    int Spacing_ = 4;
};

} // namespace qel

QEL_PUBLIC_END
