// The header's section list and its form-file format.
#include "toolkit/core/Exceptions.h"
#include "toolkit/core/Filer.h"
#include "toolkit/core/ScopeGuard.h"
#include "visual/QELControls.h"
#include "visual/QELTextWidth.h"

#include <charconv>
#include <unordered_set>

namespace qel {

namespace {

constexpr int kDefaultSectionWidth = 75;
// Room left and right of a new section's caption.
constexpr int kCaptionMargin = 8;

// A decimal integer with an optional sign and nothing else; false for anything that is not
// one or does not fit.
bool ParseWidth(std::string_view Digits, int& Value) {
    if (!Digits.empty() && Digits.front() == '+') Digits.remove_prefix(1);
    if (Digits.empty()) return false;
    const char* End = Digits.data() + Digits.size();
    auto [Ptr, Err] = std::from_chars(Digits.data(), End, Value);
    return Err == std::errc() && Ptr == End;
}

} // namespace

QEL_IMPLEMENT_CLASS(TQELHeaderStrings, TStrings, NoProperties<TQELHeaderStrings>)

TQELHeaderStrings::~TQELHeaderStrings() {
    Header_ = nullptr;
}

void TQELHeaderStrings::Check(int Index) const {
    if (Index < 0 || Index >= Count())
        throw EStringListError("List index out of bounds (" + std::to_string(Index) + ")");
}

int TQELHeaderStrings::NewWidth(const std::string& Caption) const {
    if (!Header_) return kDefaultSectionWidth;
    return QELTextWidth(Header_->Font(), Caption) + kCaptionMargin;
}

void TQELHeaderStrings::Changed() const {
    if (Header_) Header_->Invalidate();
}

std::string TQELHeaderStrings::Get(int Index) const {
    Check(Index);
    return Sections_[static_cast<std::size_t>(Index)].Caption;
}

TObject* TQELHeaderStrings::GetObject(int Index) const {
    Check(Index);
    return Sections_[static_cast<std::size_t>(Index)].Object;
}

void TQELHeaderStrings::PutObject(int Index, TObject* AObject) {
    Check(Index);
    Sections_[static_cast<std::size_t>(Index)].Object = AObject;
    Changed();
}

void TQELHeaderStrings::Insert(int Index, const std::string& S) {
    if (Index < 0 || Index > Count())
        throw EStringListError("List index out of bounds (" + std::to_string(Index) + ")");
    Sections_.insert(Sections_.begin() + Index, TSection{nullptr, NewWidth(S), S});
    Changed();
}

void TQELHeaderStrings::Put(int Index, const std::string& S) {
    Check(Index);
    TSection& Sec = Sections_[static_cast<std::size_t>(Index)];
    Sec = TSection{Sec.Object, NewWidth(S), S};
    Changed();
}

void TQELHeaderStrings::Delete(int Index) {
    Check(Index);
    Sections_.erase(Sections_.begin() + Index);
    Changed();
}

void TQELHeaderStrings::Clear() {
    if (Sections_.empty()) return;
    Sections_.clear();
    Changed();
}

int TQELHeaderStrings::Width(int Index) const {
    Check(Index);
    return Sections_[static_cast<std::size_t>(Index)].Width;
}

void TQELHeaderStrings::SetWidth(int Index, int Value) {
    Check(Index);
    Sections_[static_cast<std::size_t>(Index)].Width = Value;
}

void TQELHeaderStrings::SetUpdateState(bool Updating) {
    if (!Header_ || !Header_->HandleAllocated()) return;
    SendMessageA(Header_->Handle(), WM_SETREDRAW, Updating ? 0 : 1, 0);
    if (!Updating) Header_->Refresh();
}

void TQELHeaderStrings::Assign(const TPersistent* Source) {
    const auto* Src = dynamic_cast<const TStrings*>(Source);
    if (!Src) {
        TStrings::Assign(Source);
        return;
    }
    if (Src == this) return;
    const int N = Src->Count();
    std::vector<std::string> Captions;
    Captions.reserve(static_cast<std::size_t>(N));
    for (int I = 0; I < N; ++I)
        Captions.push_back(Src->Get(I));
    BeginUpdate();
    const TScopeExit Restore([&] { EndUpdate(); });
    // Lines the source no longer has go first, so the walk below can pair the rest in
    // order. A set keeps this linear for long lists.
    const std::unordered_set<std::string> Wanted(Captions.begin(), Captions.end());
    std::erase_if(Sections_, [&](const TSection& S) { return !Wanted.contains(S.Caption); });
    std::vector<TSection> Result;
    Result.reserve(Captions.size());
    std::size_t J = 0;
    for (int I = 0; I < N; ++I) {
        const std::string& C = Captions[static_cast<std::size_t>(I)];
        if (J < Sections_.size() && Sections_[J].Caption == C) {
            Result.push_back(std::move(Sections_[J]));
            ++J;
        } else {
            Result.push_back(TSection{Src->GetObject(I), NewWidth(C), C});
        }
    }
    Sections_ = std::move(Result);
    Changed();
}

std::string TQELHeaderStrings::EncodeSection(int Width, const std::string& Caption) {
    std::string S(1, '\0');
    S += std::to_string(Width);
    S += '\0';
    S += Caption;
    return S;
}

void TQELHeaderStrings::DecodeSection(const std::string& Entry, int& Width, std::string& Caption) {
    Width = kDefaultSectionWidth;
    if (Entry.empty() || Entry[0] != '\0') {
        Caption = Entry;
        return;
    }
    const std::size_t End = Entry.find('\0', 1);
    if (End == std::string::npos) {
        // The width was never closed: the caption is what follows the mark, never the mark.
        Caption = Entry.substr(1);
        return;
    }
    if (!ParseWidth(std::string_view(Entry).substr(1, End - 1), Width))
        Width = kDefaultSectionWidth;
    Caption = Entry.substr(End + 1);
}

void TQELHeaderStrings::ReadSections(TReader& Reader) {
    Reader.ReadListBegin();
    BeginUpdate();
    {
        const TScopeFail Undo([&] {
            Changed();
            EndUpdate();
        });
        Sections_.clear();
        while (!Reader.EndOfList()) {
            TSection S;
            DecodeSection(Reader.ReadString(), S.Width, S.Caption);
            Sections_.push_back(std::move(S));
        }
        Reader.ReadListEnd();
        Changed();
    }
    EndUpdate();
}

void TQELHeaderStrings::WriteSections(TWriter& Writer) const {
    Writer.WriteListBegin();
    for (const TSection& S : Sections_)
        Writer.WriteString(EncodeSection(S.Width, S.Caption));
    Writer.WriteListEnd();
}

void TQELHeaderStrings::DefineProperties(TFiler& Filer) {
    // A plain list of captions (from a form written before the widths were kept) still reads.
    if (dynamic_cast<TReader*>(&Filer)) TStrings::DefineProperties(Filer);
    Filer.DefineProperty(
        "Sections", [this](TReader& R) { ReadSections(R); },
        [this](TWriter& W) { WriteSections(W); }, Count() > 0);
}

} // namespace qel
