#include "toolkit/core/FormWriter.h"

#include "toolkit/core/Filer.h"
#include "toolkit/core/Streams.h"
#include "toolkit/core/TextForm.h"

namespace qel {

void WriteComponent(TStream& Stream, TComponent* Root, TFormFormat Format) {
    if (Format == TFormFormat::Binary) {
        TWriter W(Stream);
        W.WriteRootComponent(Root);
        return;
    }
    TMemoryStream Bin;
    TWriter W(Bin);
    W.WriteRootComponent(Root);
    Bin.SetPosition(0);
    ObjectBinaryToText(Bin, Stream);
}

void SaveComponentToFile(const std::string& FileName, TComponent* Root, TFormFormat Format) {
    // Build the whole form first so a failure does not leave a truncated file behind.
    TMemoryStream M;
    WriteComponent(M, Root, Format);
    M.SaveToFile(FileName);
}

std::string ComponentToText(TComponent* Root) {
    TStringStream S;
    WriteComponent(S, Root, TFormFormat::Text);
    return S.DataString();
}

} // namespace qel
