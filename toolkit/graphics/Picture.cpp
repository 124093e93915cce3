#include "toolkit/graphics/Picture.h"

#include "toolkit/core/Exceptions.h"
#include "toolkit/core/Filer.h"
#include "toolkit/core/Streams.h"
#include "toolkit/graphics/Bitmap.h"

#include <algorithm>
#include <cctype>

namespace qel {

QEL_IMPLEMENT_CLASS(TPicture, TPersistent, [](TClassBuilder<TPicture>&) {})

namespace {

std::string LowerExt(const std::string& FileName) {
    const std::size_t Dot = FileName.find_last_of('.');
    const std::size_t Slash = FileName.find_last_of("/\\");
    if (Dot == std::string::npos || (Slash != std::string::npos && Dot < Slash)) return {};
    std::string E = FileName.substr(Dot);
    for (char& C : E)
        C = static_cast<char>(std::tolower(static_cast<unsigned char>(C)));
    return E;
}

// The graphic classes a picture can hold, by the name its Data carries.
std::unique_ptr<TGraphic> NewGraphic(const std::string& ClassName) {
    std::string L = ClassName;
    for (char& C : L)
        C = static_cast<char>(std::tolower(static_cast<unsigned char>(C)));
    if (L == "tbitmap") return std::make_unique<TBitmap>();
    throw EInvalidGraphic("Unsupported graphic class " + ClassName);
}

} // namespace

TPicture::TPicture() = default;
TPicture::~TPicture() = default;

void TPicture::Changed() {
    if (OnChange) OnChange(this);
}

void TPicture::Adopt(std::unique_ptr<TGraphic> G) {
    FGraphic = std::move(G);
    if (FGraphic) FGraphic->OnChange = [this](TObject*) { Changed(); };
    Changed();
}

void TPicture::SetGraphic(const TGraphic* Value) {
    if (Value == FGraphic.get()) return;
    if (!Value) {
        Adopt(nullptr);
        return;
    }
    std::unique_ptr<TGraphic> G = NewGraphic(Value->ClassName());
    G->Assign(Value);
    Adopt(std::move(G));
}

TBitmap* TPicture::Bitmap() {
    if (!dynamic_cast<TBitmap*>(FGraphic.get())) Adopt(std::make_unique<TBitmap>());
    return static_cast<TBitmap*>(FGraphic.get());
}

void TPicture::SetBitmap(const TBitmap* Value) {
    SetGraphic(Value);
}

int TPicture::Width() const {
    return FGraphic ? FGraphic->Width() : 0;
}
int TPicture::Height() const {
    return FGraphic ? FGraphic->Height() : 0;
}

void TPicture::Assign(const TPersistent* Source) {
    if (!Source) {
        SetGraphic(nullptr);
    } else if (const auto* P = dynamic_cast<const TPicture*>(Source)) {
        if (P != this) SetGraphic(P->Graphic());
    } else if (const auto* G = dynamic_cast<const TGraphic*>(Source)) {
        SetGraphic(G);
    } else {
        TPersistent::Assign(Source);
    }
}

void TPicture::AssignTo(TPersistent* Dest) const {
    if (auto* G = dynamic_cast<TGraphic*>(Dest)) {
        G->Assign(FGraphic.get());
        return;
    }
    TPersistent::AssignTo(Dest);
}

void TPicture::LoadFromFile(const std::string& FileName) {
    const std::string Ext = LowerExt(FileName);
    if (Ext != ".bmp" && Ext != ".dib" && Ext != ".png")
        throw EInvalidGraphic("Unknown picture file extension (" + Ext + ")");
    auto B = std::make_unique<TBitmap>();
    B->LoadFromFile(FileName);
    Adopt(std::move(B));
}

void TPicture::SaveToFile(const std::string& FileName) const {
    if (FGraphic) FGraphic->SaveToFile(FileName);
}

void TPicture::DefineProperties(TFiler& Filer) {
    Filer.DefineBinaryProperty(
        "Data", [this](TStream& S) { ReadData(S); }, [this](TStream& S) { WriteData(S); },
        FGraphic != nullptr && !FGraphic->Empty());
}

void TPicture::ReadData(TStream& S) {
    uint8_t Len = 0;
    S.ReadBuffer(&Len, 1);
    std::string Name(Len, '\0');
    S.ReadBuffer(Name.data(), Len);
    if (Name.empty()) {
        Adopt(nullptr);
        return;
    }
    std::unique_ptr<TGraphic> G = NewGraphic(Name);
    G->ReadData(S);
    Adopt(std::move(G));
}

void TPicture::WriteData(TStream& S) const {
    const std::string Name = FGraphic ? FGraphic->ClassName() : std::string();
    const uint8_t Len = static_cast<uint8_t>(std::min<std::size_t>(Name.size(), 255));
    S.WriteBuffer(&Len, 1);
    S.WriteBuffer(Name.data(), Len);
    if (FGraphic) FGraphic->WriteData(S);
}

} // namespace qel
