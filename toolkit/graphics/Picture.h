#pragma once
// TPicture: a container for one graphic of any kind (in this toolkit, bitmaps), as image
// properties use it. Streams as "Data": the graphic's class name as a short string followed by
// the graphic's own data.
#include "toolkit/core/Event.h"
#include "toolkit/core/Export.h"
#include "toolkit/core/Persistent.h"

#include <memory>
#include <string>

QEL_PUBLIC_BEGIN

namespace qel {

class TGraphic;
class TBitmap;
class TStream;

class TPicture : public TPersistent {
    QEL_CLASS(TPicture, TPersistent)
  public:
    TPicture();
    ~TPicture() override;

    // nullptr when empty.
    TGraphic* Graphic() const { return FGraphic.get(); }
    // Stores a copy of Value (nullptr empties the picture).
    void SetGraphic(const TGraphic* Value);
    // The graphic as a bitmap; replaces any other graphic by an empty bitmap first.
    TBitmap* Bitmap();
    void SetBitmap(const TBitmap* Value);
    int Width() const;
    int Height() const;

    void Assign(const TPersistent* Source) override;
    // By extension: .bmp, .dib and .png load into a bitmap; other extensions throw
    // EInvalidGraphic.
    void LoadFromFile(const std::string& FileName);
    void SaveToFile(const std::string& FileName) const;

    void DefineProperties(TFiler& Filer) override;

    TNotifyEvent OnChange;

  protected:
    void AssignTo(TPersistent* Dest) const override;

  private:
    void Changed();
    void Adopt(std::unique_ptr<TGraphic> G);
    void ReadData(TStream& S);
    void WriteData(TStream& S) const;

    std::unique_ptr<TGraphic> FGraphic;
};

} // namespace qel

QEL_PUBLIC_END
