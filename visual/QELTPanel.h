#pragma once
// A container panel framed by two frames of its own, with an optional dialog bevel around
// them, a gap between them, a background and a 3D caption. Children align inside the frames.
#include "toolkit/controls/ExtCtrls.h"
#include "toolkit/core/Export.h"
#include "visual/QELBackgroundLink.h"
#include "visual/QELTBackground.h"
#include "visual/QELZoradodo.h"

#include <memory>

QEL_PUBLIC_BEGIN

namespace qel {

class TQELPanel : public TCustomPanel {
    QEL_CLASS(TQELPanel, TCustomPanel)
  public:
    explicit TQELPanel(TComponent* AOwner);
    ~TQELPanel() override;

    TAlignment Alignment() const { return FAlignment; }
    void SetAlignment(TAlignment Value);
    TQELFont3D* Font3D() const { return FFont3D.get(); }
    void Set3D(TQELFont3D* Value);
    bool AutoSize() const { return FAutoSize; }
    void SetAutoSize(bool Value);
    TQELBackground* Background() const { return FBackground.Get(); }
    void Setback(TQELBackground* Value);
    bool DlgFrame() const { return FDlgFrame; }
    void Setfloat(bool Value);
    TQELFrame* FrameInner() const { return FFrameInner.get(); }
    void SetInner(TQELFrame* Value);
    TQELFrame* FrameOuter() const { return FFrameOuter.get(); }
    void SetOuter(TQELFrame* Value);
    int Borderwidth() const { return FBorderwidth; }
    // Negative values are refused; the old width stays.
    void SetbSpace(int Value);
    bool Locked() const { return FLocked; }
    void SetLocked(bool Value) { FLocked = Value; }
    bool ParentCtl3D() const { return FParentCtl3D; }
    void SetParentCtl3D(bool Value) { FParentCtl3D = Value; }

    // Client room children align in: inside both frames and the gap between them.
    int ChildInset() const;

    void Notification(TComponent* AComponent, TOperation Operation) override;
    void Loaded() override;

  protected:
    void AdjustClientRect(TRect& Rect) override;
    void AlignControls(TControl* AControl, TRect& Rect) override;
    void Paint() override;

  private:
    std::unique_ptr<TQELFrame> FFrameInner;
    std::unique_ptr<TQELFrame> FFrameOuter;
    std::unique_ptr<TQELFont3D> FFont3D;
    TQELBackgroundLink FBackground{*this};
    TAlignment FAlignment = taCenter;
    bool FAutoSize = false;
    bool FDlgFrame = false;
    int FBorderwidth = 0;
    bool FLocked = false;
    bool FParentCtl3D = true;
};

} // namespace qel

QEL_PUBLIC_END
