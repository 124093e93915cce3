#include "toolkit/core/FormReader.h"

#include "toolkit/core/ScopeGuard.h"
#include "toolkit/core/Streams.h"
#include "toolkit/core/TextForm.h"

namespace qel {

TComponent* ReadComponent(TStream& Stream, TComponent* ExistingRoot,
                          const TFormLoadOptions& Options) {
    // The reader peeks and seeks, so it works on memory whatever the source is.
    TMemoryStream Bin;
    std::vector<TOffsetLine> Lines;
    if (DetectFormFormat(Stream) == TFormFormat::Text) {
        ObjectTextToBinary(Stream, Bin, &Lines);
    } else {
        std::int64_t N = Stream.Size() - Stream.Position();
        if (N > 0) Bin.CopyFrom(Stream, N);
    }
    Bin.SetPosition(0);
    TReader R(Bin, Options);
    R.SetLineMap(std::move(Lines));
    // The warnings reach the caller also when the form fails: they often say why.
    const TScopeExit PassWarnings([&] {
        if (Options.Warnings)
            Options.Warnings->insert(Options.Warnings->end(), R.Warnings().begin(),
                                     R.Warnings().end());
    });
    return R.ReadRootComponent(ExistingRoot);
}

std::unique_ptr<TComponent> LoadComponentFromStream(TStream& Stream,
                                                    const TFormLoadOptions& Options) {
    return std::unique_ptr<TComponent>(ReadComponent(Stream, nullptr, Options));
}

std::unique_ptr<TComponent> LoadComponentFromFile(const std::string& FileName,
                                                  const TFormLoadOptions& Options) {
    TFileStream F(FileName, fmOpenRead | fmShareDenyWrite);
    return LoadComponentFromStream(F, Options);
}

void LoadComponentFromFile(const std::string& FileName, TComponent& Root,
                           const TFormLoadOptions& Options) {
    TFileStream F(FileName, fmOpenRead | fmShareDenyWrite);
    ReadComponent(F, &Root, Options);
}

} // namespace qel
