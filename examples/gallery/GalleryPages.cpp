#include "GalleryPages.h"

#include "toolkit/controls/Forms.h"
#include "toolkit/core/Exceptions.h"
#include "toolkit/core/FormReader.h"
#include "toolkit/core/Streams.h"
#include "toolkit/graphics/Resources.h"
#include "toolkit/platform/Window.h"

#include <algorithm>
#include <cstring>
#include <strings.h>

using namespace qel;

namespace gallery {
namespace {

constexpr const char* MainPage = "GALLERY";

TResourceModule GalleryModule() {
    return ResourceModule("qel-gallery");
}

void ReadInto(TCustomForm& Form, TStream& S) {
    TFormLoadOptions Opts;
    ReadComponent(S, &Form, Opts);
}

} // namespace

std::vector<std::string> PageNames() {
    std::vector<std::string> Names;
    for (const TResourceData& R : ListResources(GalleryModule()))
        if (strcasecmp(R.Type.c_str(), "DFM") == 0 && strcasecmp(R.Name.c_str(), MainPage) != 0)
            Names.push_back(R.Name);
    std::sort(Names.begin(), Names.end());
    Names.erase(std::unique(Names.begin(), Names.end()), Names.end());
    Names.insert(Names.begin(), MainPage);
    return Names;
}

void LoadPage(TCustomForm& Form, const std::string& Name) {
    auto Data = FindResourceData(GalleryModule(), Name, "DFM");
    if (!Data) throw EReadError("the gallery has no page \"" + Name + "\"");
    TMemoryStream S;
    S.WriteBuffer(Data->Bytes.data(), static_cast<std::int64_t>(Data->Bytes.size()));
    S.SetPosition(0);
    ReadInto(Form, S);
}

void LoadFormFile(TCustomForm& Form, const std::string& FileName) {
    TFileStream S(FileName, fmOpenRead);
    ReadInto(Form, S);
}

TSurface RenderForm(TCustomForm& Form) {
    Form.Show();
    for (int I = 0; I < 100 && HasPendingPaint(); ++I)
        Application->ProcessMessages();
    Application->ProcessMessages();
    const TSurface* Surface = GetWindowSurface(Form.Handle());
    if (!Surface) throw EInvalidOperation("the form has no window");
    return *Surface;
}

TSurface StackVertically(const std::vector<TSurface>& Pictures, int Gap, std::uint32_t Background) {
    int Width = 0, Height = 0;
    for (const TSurface& P : Pictures) {
        Width = std::max(Width, P.Width);
        Height += P.Height;
    }
    if (!Pictures.empty()) Height += Gap * static_cast<int>(Pictures.size() - 1);
    TSurface Out(Width, Height, Background);
    int Top = 0;
    for (const TSurface& P : Pictures) {
        for (int Y = 0; Y < P.Height; ++Y)
            std::memcpy(Out.Row(Top + Y), P.Row(Y), sizeof(std::uint32_t) * P.Width);
        Top += P.Height + Gap;
    }
    return Out;
}

} // namespace gallery
