#include "toolkit/controls/Memo.h"

#include "toolkit/controls/EditProperties.h"
#include "toolkit/core/Exceptions.h"

#include <algorithm>

namespace qel {

namespace {
// Lines of a memo: every call reads or rewrites the memo's text, so the memo stays the one
// owner of the text.
class TMemoStrings : public TStrings {
  public:
    explicit TMemoStrings(TCustomMemo& M) : M_(M) {}
    int Count() const override {
        const std::string& T = M_.Text();
        if (T.empty()) return 0;
        int N = static_cast<int>(std::count(T.begin(), T.end(), '\n')) + 1;
        return T.back() == '\n' ? N - 1 : N; // a final break starts no line of its own
    }
    std::string Get(int Index) const override {
        std::size_t S, E;
        Bounds(Index, S, E);
        return M_.Text().substr(S, E - S);
    }
    void Put(int Index, const std::string& V) override {
        std::size_t S, E;
        Bounds(Index, S, E);
        std::string T = M_.Text();
        T.replace(S, E - S, V);
        M_.SetText(T);
    }
    void Insert(int Index, const std::string& V) override {
        int N = Count();
        if (Index < 0 || Index > N)
            throw EStringListError("List index out of bounds (" + std::to_string(Index) + ")");
        std::string T = M_.Text();
        if (Index == N) {
            if (!T.empty() && T.back() != '\n') T += '\n';
            T += V;
            T += '\n';
        } else {
            std::size_t S, E;
            Bounds(Index, S, E);
            T.insert(S, V + "\n");
        }
        M_.SetText(T);
    }
    void Delete(int Index) override {
        std::size_t S, E;
        Bounds(Index, S, E);
        std::string T = M_.Text();
        T.erase(S, std::min(T.size(), E + 1) - S);
        M_.SetText(T);
    }
    void Clear() override { M_.SetText(std::string()); }
    std::string Text() const override {
        std::string T = M_.Text();
        if (!T.empty() && T.back() != '\n') T += '\n';
        return T;
    }
    void SetText(std::string_view V) override {
        std::string T;
        T.reserve(V.size());
        for (std::size_t I = 0; I < V.size(); ++I) {
            if (V[I] == '\r') {
                T += '\n';
                if (I + 1 < V.size() && V[I + 1] == '\n') ++I;
            } else {
                T += V[I];
            }
        }
        if (!T.empty() && T.back() == '\n') T.pop_back();
        M_.SetText(T);
    }

  private:
    void Bounds(int Index, std::size_t& S, std::size_t& E) const {
        const std::string& T = M_.Text();
        if (Index < 0 || Index >= Count())
            throw EStringListError("List index out of bounds (" + std::to_string(Index) + ")");
        S = 0;
        for (int I = 0; I < Index; ++I)
            S = T.find('\n', S) + 1;
        E = T.find('\n', S);
        if (E == std::string::npos) E = T.size();
    }
    TCustomMemo& M_;
};
} // namespace

TCustomMemo::TCustomMemo(TComponent* AOwner) : TCustomEdit(AOwner) {
    Width_ = 185;
    Height_ = 89;
    MultiLine_ = true;
    WordWrap_ = true;
    SetAutoSelect(false);
    Lines_ = new TMemoStrings(*this);
    Relayout();
}

TCustomMemo::~TCustomMemo() {
    delete Lines_;
}

void TCustomMemo::SetLines(TStrings* V) {
    Lines_->Assign(V);
}

void TCustomMemo::SetWordWrap(bool V) {
    if (WordWrap_ == V) return;
    WordWrap_ = V;
    Relayout();
    ScrollCaretIntoView();
    Invalidate();
}

void TCustomMemo::SetScrollBars(TScrollStyle V) {
    if (ScrollBars_ == V) return;
    ScrollBars_ = V;
    Relayout();
    Invalidate();
}

TPoint TCustomMemo::CaretPosXY() const {
    const std::string& T = Text();
    std::size_t LineStart = Caret_ == 0 ? 0 : T.rfind('\n', Caret_ - 1);
    LineStart = LineStart == std::string::npos ? 0 : (Caret_ == 0 ? 0 : LineStart + 1);
    int Row = static_cast<int>(std::count(T.begin(), T.begin() + static_cast<long>(Caret_), '\n'));
    return {CharIndex(Caret_) - CharIndex(LineStart), Row};
}

QEL_IMPLEMENT_ABSTRACT(TCustomMemo, TCustomEdit, NoProperties<TCustomMemo>)

QEL_IMPLEMENT_CLASS(TMemo, TCustomMemo, [](TClassBuilder<TMemo>& B) {
    EditProperties(B);
    B.Strings("Lines", &TMemo::Lines, &TMemo::SetLines);
    B.Enum("ScrollBars", &TMemo::ScrollBars, &TMemo::SetScrollBars).SetDefault(ssNone);
    B.Bool("WantReturns", &TMemo::WantReturns, &TMemo::SetWantReturns).SetDefault(true);
    B.Bool("WantTabs", &TMemo::WantTabs, &TMemo::SetWantTabs).SetDefault(false);
    B.Bool("WordWrap", &TMemo::WordWrap, &TMemo::SetWordWrap).SetDefault(true);
})

} // namespace qel
