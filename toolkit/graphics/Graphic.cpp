#include "toolkit/graphics/Graphic.h"

#include "toolkit/core/Filer.h"
#include "toolkit/core/Streams.h"

namespace qel {

QEL_IMPLEMENT_ABSTRACT(TGraphic, TPersistent, [](TClassBuilder<TGraphic>&) {})

void TGraphic::SetTransparent(bool Value) {
    if (Value != FTransparent) {
        FTransparent = Value;
        Changed(this);
    }
}

void TGraphic::SetModified(bool Value) {
    if (Value)
        Changed(this);
    else
        FModified = false;
}

void TGraphic::Changed(TObject*) {
    FModified = true;
    if (OnChange) OnChange(this);
}

void TGraphic::LoadFromFile(const std::string& FileName) {
    TFileStream S(FileName, fmOpenRead | fmShareDenyWrite);
    LoadFromStream(S);
}

void TGraphic::SaveToFile(const std::string& FileName) const {
    TFileStream S(FileName, fmCreate);
    SaveToStream(S);
}

void TGraphic::DefineProperties(TFiler& Filer) {
    Filer.DefineBinaryProperty(
        "Data", [this](TStream& S) { ReadData(S); }, [this](TStream& S) { WriteData(S); },
        !Empty());
}

void TGraphic::ReadData(TStream& Stream) {
    LoadFromStream(Stream);
}

void TGraphic::WriteData(TStream& Stream) const {
    SaveToStream(Stream);
}

} // namespace qel
