#pragma once
// A label that shows a file path in 3D text, shortened to its width: middle folders give way
// to "...", the drive, the trailing folders that fit and the file name stay.
#include "toolkit/controls/StdCtrls.h"
#include "toolkit/core/Export.h"
#include "visual/QELBackgroundLink.h"
#include "visual/QELTBackground.h"
#include "visual/QELZoradodo.h"

#include <memory>
#include <string>
#include <vector>

QEL_PUBLIC_BEGIN

namespace qel {

class TQELFileLabel3D : public TCustomLabel {
    QEL_CLASS(TQELFileLabel3D, TCustomLabel)
  public:
    explicit TQELFileLabel3D(TComponent* AOwner);

    const std::string& Filename() const { return FFilename; }
    void SetFilename(const std::string& Value);
    char Separator() const { return FSeparator; }
    void SetSeparator(char Value);
    TQELBackground* FontBackground() const { return FFontBackground.Get(); }
    void SetBack(TQELBackground* Value);
    TQELBackground* Background() const { return FBackground.Get(); }
    void SetBack2(TQELBackground* Value);
    TQELFont3D* Font3D() const { return FFont3D.get(); }
    void Set3D(TQELFont3D* Value);
    TQELFrame* Frame() const { return FFrame.get(); }
    void SetFrm(TQELFrame* Value);

    // The path split at every separator, and whether its first part is a drive ("C:").
    const std::vector<std::string>& Parts() const { return FParts; }
    bool HasDrive() const { return FDrive; }

    void SetBounds(int ALeft, int ATop, int AWidth, int AHeight) override;
    void Notification(TComponent* AComponent, TOperation Operation) override;
    void Loaded() override;
    void WndProc(TMessage& Message) override;

  protected:
    void Paint() override;

  private:
    void FillParts();
    void AdjustCaption();

    std::string FFilename;
    char FSeparator = '\\';
    TQELBackgroundLink FFontBackground{*this};
    TQELBackgroundLink FBackground{*this};
    std::unique_ptr<TQELFont3D> FFont3D;
    std::unique_ptr<TQELFrame> FFrame;
    std::vector<std::string> FParts;
    bool FDrive = false;
};

} // namespace qel

QEL_PUBLIC_END
