#pragma once
// The colour dialog: a grid of 48 basic colours and an editor for a custom colour by its red,
// green and blue parts. The layout is resources/TColorDialogForm.dfm. Execute returns true
// and sets Color only when the user confirms.
#include "toolkit/controls/Forms.h"
#include "toolkit/core/Export.h"
#include "toolkit/core/Strings.h"

QEL_PUBLIC_BEGIN

namespace qel {

class TColorDialogForm : public TForm {
    QEL_CLASS(TColorDialogForm, TForm)
  public:
    explicit TColorDialogForm(TComponent* AOwner);
};

class TColorDialog : public TComponent {
    QEL_CLASS(TColorDialog, TComponent)
  public:
    explicit TColorDialog(TComponent* AOwner);
    ~TColorDialog() override;
    bool Execute();
    TColor Color() const { return Color_; }
    void SetColor(TColor V) { Color_ = V; }
    // "ColorA=RRGGBB" … in hexadecimal, as the classic dialog keeps them.
    TStrings* CustomColors() const { return CustomColors_; }
    void SetCustomColors(TStrings* V) { CustomColors_->Assign(V); }
    // The basic colour at a grid cell (8 columns, 6 rows).
    static TColor BasicColor(int Index);

  private:
    TColor Color_ = clBlack;
    TStringList* CustomColors_ = nullptr;
};

} // namespace qel

QEL_PUBLIC_END
