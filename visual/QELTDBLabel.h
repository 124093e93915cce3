#pragma once
// A read-only label that shows one field of a dataset's current record in 3D text, inside a
// frame, over an optional background; the letters may show a second background.
#include "toolkit/controls/StdCtrls.h"
#include "toolkit/core/Export.h"
#include "toolkit/data/DataSource.h"
#include "visual/QELBackgroundLink.h"
#include "visual/QELZoradodo.h"

#include <memory>

QEL_PUBLIC_BEGIN

namespace qel {

class TQELDBLabel : public TCustomLabel {
    QEL_CLASS(TQELDBLabel, TCustomLabel)
  public:
    explicit TQELDBLabel(TComponent* AOwner);
    ~TQELDBLabel() override;

    TDataSource* DataSource() const { return GetDataSource(); }
    TDataSource* GetDataSource() const;
    void SetDataSource(TDataSource* Value);
    std::string DataField() const { return GetDataField(); }
    std::string GetDataField() const;
    void SetDataField(const std::string& Value);
    TField* Field() const { return GetField(); }
    TField* GetField() const;
    TFieldDataLink* DataLink() const { return FDataLink.get(); }

    TQELBackground* FontBackground() const { return FFontBackground.Get(); }
    void Setback(TQELBackground* Value);
    TQELBackground* Background() const { return FBackground.Get(); }
    void Setback2(TQELBackground* Value);
    TQELFont3D* Font3D() const { return FFont3D.get(); }
    void Set3D(TQELFont3D* Value);
    TQELFrame* Frame() const { return FFrame.get(); }
    void SetFrame(TQELFrame* Value);

    // The field's display text; the label's name while designed without a field.
    std::string GetFieldText() const;
    // Where the text is written: two frame widths inside the control.
    TRect TextRect() const;
    UINT TextFlags() const;

    void WndProc(TMessage& Message) override;
    void Notification(TComponent* AComponent, TOperation Operation) override;
    void Loaded() override;

  protected:
    void Paint() override;
    std::string GetLabelText() const override;

  private:
    void DataChange(TObject* Sender);

    TQELBackgroundLink FFontBackground{*this};
    TQELBackgroundLink FBackground{*this};
    std::unique_ptr<TQELFont3D> FFont3D;
    std::unique_ptr<TQELFrame> FFrame;
    std::unique_ptr<TFieldDataLink> FDataLink;
};

} // namespace qel

QEL_PUBLIC_END
