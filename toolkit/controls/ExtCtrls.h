#pragma once
// Panels, bevels, images, paint boxes and the window-message timer.
#include "toolkit/controls/StdCtrls.h"
#include "toolkit/core/Export.h"

QEL_PUBLIC_BEGIN

namespace qel {

class TPicture;

enum TBevelCut { bvNone, bvLowered, bvRaised, bvSpace };
QEL_ENUM_INFO(TBevelCut, "bvNone", "bvLowered", "bvRaised", "bvSpace")
using TPanelBevel = TBevelCut;
using TBevelWidth = int;
using TBorderWidth = int;
enum TBevelShape { bsBox, bsFrame, bsTopLine, bsBottomLine, bsLeftLine, bsRightLine, bsSpacer };
QEL_ENUM_INFO(TBevelShape, "bsBox", "bsFrame", "bsTopLine", "bsBottomLine", "bsLeftLine",
              "bsRightLine", "bsSpacer")
enum TBevelStyle { bsLowered, bsRaised };
QEL_ENUM_INFO(TBevelStyle, "bsLowered", "bsRaised")

class TCustomPanel : public TCustomControl {
    QEL_CLASS(TCustomPanel, TCustomControl)
  public:
    explicit TCustomPanel(TComponent* AOwner);
    TAlignment Alignment() const { return Alignment_; }
    void SetAlignment(TAlignment V);
    TPanelBevel BevelInner() const { return BevelInner_; }
    void SetBevelInner(TPanelBevel V);
    TPanelBevel BevelOuter() const { return BevelOuter_; }
    void SetBevelOuter(TPanelBevel V);
    TBevelWidth BevelWidth() const { return BevelWidth_; }
    void SetBevelWidth(TBevelWidth V);
    TBorderWidth BorderWidth() const { return BorderWidth_; }
    void SetBorderWidth(TBorderWidth V);
    TBorderStyle BorderStyle() const { return BorderStyle_; }
    void SetBorderStyle(TBorderStyle V);
    bool FullRepaint() const { return FullRepaint_; }
    void SetFullRepaint(bool V) { FullRepaint_ = V; }
    void WndProc(TMessage& Message) override;

  protected:
    void CreateParams(TCreateParams& Params) override;
    void AdjustClientRect(TRect& Rect) override;
    void Paint() override;

  private:
    TAlignment Alignment_ = taCenter;
    TPanelBevel BevelInner_ = bvNone;
    TPanelBevel BevelOuter_ = bvRaised;
    TBevelWidth BevelWidth_ = 1;
    TBorderWidth BorderWidth_ = 0;
    TBorderStyle BorderStyle_ = bsNone;
    bool FullRepaint_ = true;
};

class TPanel : public TCustomPanel {
    QEL_CLASS(TPanel, TCustomPanel)
  public:
    explicit TPanel(TComponent* AOwner) : TCustomPanel(AOwner) {}
};

class TBevel : public TGraphicControl {
    QEL_CLASS(TBevel, TGraphicControl)
  public:
    explicit TBevel(TComponent* AOwner);
    TBevelShape Shape() const { return Shape_; }
    void SetShape(TBevelShape V);
    TBevelStyle Style() const { return Style_; }
    void SetStyle(TBevelStyle V);

  protected:
    void Paint() override;

  private:
    TBevelShape Shape_ = bsBox;
    TBevelStyle Style_ = bsLowered;
};

class TImage : public TGraphicControl {
    QEL_CLASS(TImage, TGraphicControl)
  public:
    explicit TImage(TComponent* AOwner);
    ~TImage() override;
    TPicture* Picture() const { return Picture_; }
    void SetPicture(TPicture* V);
    bool AutoSize() const { return AutoSize_; }
    void SetAutoSize(bool V);
    bool Center() const { return Center_; }
    void SetCenter(bool V);
    bool Stretch() const { return Stretch_; }
    void SetStretch(bool V);
    bool Transparent() const { return Transparent_; }
    void SetTransparent(bool V);

  protected:
    void Paint() override;

  private:
    void PictureChanged();
    TRect DestRect() const;
    TPicture* Picture_ = nullptr;
    bool AutoSize_ = false, Center_ = false, Stretch_ = false, Transparent_ = false;
};

class TPaintBox : public TGraphicControl {
    QEL_CLASS(TPaintBox, TGraphicControl)
  public:
    explicit TPaintBox(TComponent* AOwner);
    TNotifyEvent OnPaint;

  protected:
    void Paint() override;
};

// A timer serviced by the GUI loop: OnTimer runs on the GUI thread; a handler that takes
// longer than the interval delays the next event instead of queueing several.
class TTimer : public TComponent {
    QEL_CLASS(TTimer, TComponent)
  public:
    explicit TTimer(TComponent* AOwner);
    ~TTimer() override;
    bool Enabled() const { return Enabled_; }
    void SetEnabled(bool V);
    unsigned Interval() const { return Interval_; }
    void SetInterval(unsigned V);
    TNotifyEvent OnTimer;
    void SetOnTimer(TNotifyEvent::Handler V);
    void Loaded() override;

  protected:
    virtual void Timer();

  private:
    void UpdateTimer();
    bool Enabled_ = true;
    unsigned Interval_ = 1000;
    int Id_ = 0;
};

} // namespace qel

QEL_PUBLIC_END
