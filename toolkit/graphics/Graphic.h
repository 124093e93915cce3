#pragma once
// TGraphic: the abstract picture a canvas can draw (bitmaps; TPicture holds one). Graphics
// stream themselves as the binary form property "Data".
#include "toolkit/core/Event.h"
#include "toolkit/core/Export.h"
#include "toolkit/core/Persistent.h"
#include "toolkit/graphics/RasterTypes.h"

#include <string>

QEL_PUBLIC_BEGIN

namespace qel {

class TCanvas;
class TStream;

class TGraphic : public TPersistent {
    QEL_CLASS(TGraphic, TPersistent)
  public:
    TGraphic() = default;

    virtual bool Empty() const = 0;
    virtual int Width() const = 0;
    virtual int Height() const = 0;
    virtual void SetWidth(int Value) = 0;
    virtual void SetHeight(int Value) = 0;
    virtual bool Transparent() const { return FTransparent; }
    virtual void SetTransparent(bool Value);
    bool Modified() const { return FModified; }
    void SetModified(bool Value);

    virtual void LoadFromStream(TStream& Stream) = 0;
    virtual void SaveToStream(TStream& Stream) const = 0;
    // Throw EFOpenError / EFCreateError for files that cannot be opened, EInvalidGraphic for
    // contents that cannot be read.
    void LoadFromFile(const std::string& FileName);
    void SaveToFile(const std::string& FileName) const;

    // Draws the graphic stretched into R on Canvas (TCanvas::Draw and StretchDraw call this).
    virtual void Draw(TCanvas& Canvas, const TRect& R) const = 0;

    // The form file's "Data" property: the graphic's own stream format.
    void DefineProperties(TFiler& Filer) override;
    virtual void ReadData(TStream& Stream);
    virtual void WriteData(TStream& Stream) const;

    TNotifyEvent OnChange;

  protected:
    // Marks the graphic modified and fires OnChange.
    virtual void Changed(TObject* Sender);

  private:
    bool FTransparent = false;
    bool FModified = false;
};

} // namespace qel

QEL_PUBLIC_END
