#include "FormText.h"

#include "toolkit/core/Exceptions.h"

#include <algorithm>
#include <sstream>

namespace qel::designer {

namespace {

struct THeader {
    bool IsObject = false;
    std::string Name, ClassName;
};

std::string Trim(const std::string& S) {
    std::size_t B = S.find_first_not_of(" \t\r");
    if (B == std::string::npos) return {};
    return S.substr(B, S.find_last_not_of(" \t\r") - B + 1);
}

bool StartsWithWord(const std::string& S, const char* W) {
    std::string Word(W);
    return S.size() > Word.size() && S.compare(0, Word.size(), Word) == 0 &&
           (S[Word.size()] == ' ' || S[Word.size()] == '\t');
}

// "object Name: TClass [3]", "inherited Name: TClass", "object TClass".
THeader ParseHeader(const std::string& Line) {
    THeader H;
    std::string T = Trim(Line);
    std::size_t Skip = 0;
    for (const char* W : {"object", "inherited", "inline"})
        if (StartsWithWord(T, W)) Skip = std::string(W).size();
    if (!Skip) return H;
    H.IsObject = true;
    std::string Rest = Trim(T.substr(Skip));
    if (std::size_t B = Rest.find('['); B != std::string::npos) Rest = Trim(Rest.substr(0, B));
    std::size_t Colon = Rest.find(':');
    if (Colon == std::string::npos) {
        H.ClassName = Rest;
    } else {
        H.Name = Trim(Rest.substr(0, Colon));
        H.ClassName = Trim(Rest.substr(Colon + 1));
    }
    return H;
}

std::vector<std::string> Lines(const std::string& Text) {
    std::vector<std::string> L;
    std::istringstream In(Text);
    for (std::string Line; std::getline(In, Line);) {
        if (!Line.empty() && Line.back() == '\r') Line.pop_back();
        L.push_back(Line);
    }
    return L;
}

std::size_t Indent(const std::string& Line) {
    std::size_t I = Line.find_first_not_of(' ');
    return I == std::string::npos ? Line.size() : I;
}

// What a line opens or closes: objects and collection items nest; "end" closes the latest,
// "end>" closes an item and its collection.
enum class TLineKind { Other, Object, Item, End };

TLineKind KindOf(const std::string& Line, THeader& H) {
    std::string T = Trim(Line);
    if (T == "end" || T == "end>") return TLineKind::End;
    if (T == "item") return TLineKind::Item;
    H = ParseHeader(Line);
    return H.IsObject ? TLineKind::Object : TLineKind::Other;
}

} // namespace

std::string CutUnknownObjects(const std::string& FormText,
                              const std::function<bool(const std::string&)>& IsKnown,
                              std::vector<TKeptObject>& Kept) {
    std::vector<std::string> L = Lines(FormText);
    struct TOpen {
        bool Item;
        std::string Name;
        bool Cut; // this block is being cut (the outermost unknown one)
        std::size_t Start;
    };
    std::vector<TOpen> Stack;
    std::ostringstream Out;
    int CutDepth = -1; // stack depth of the block being cut, -1 when none
    for (std::size_t I = 0; I < L.size(); ++I) {
        THeader H;
        TLineKind K = KindOf(L[I], H);
        bool Keep = CutDepth < 0;
        if (K == TLineKind::Object) {
            // Only below a root object: that is where they are put back.
            bool Unknown =
                !Stack.empty() && !Stack[0].Item && CutDepth < 0 && !IsKnown(H.ClassName);
            if (Unknown) {
                CutDepth = static_cast<int>(Stack.size());
                Keep = false;
                TKeptObject O;
                for (std::size_t S = 1; S < Stack.size(); ++S)
                    if (!Stack[S].Item) O.ParentPath.push_back(Stack[S].Name);
                O.ClassName = H.ClassName;
                O.Name = H.Name;
                Kept.push_back(std::move(O));
            }
            Stack.push_back({false, H.Name, Unknown, I});
        } else if (K == TLineKind::Item) {
            Stack.push_back({true, {}, false, I});
        } else if (K == TLineKind::End) {
            if (Stack.empty())
                throw EParserError("Line " + std::to_string(I + 1) + ": end without object");
            TOpen Top = Stack.back();
            Stack.pop_back();
            if (Top.Cut) {
                std::size_t Base = Indent(L[Top.Start]);
                std::string Block;
                for (std::size_t J = Top.Start; J <= I; ++J)
                    Block += L[J].substr(std::min(Base, Indent(L[J]))) + "\n";
                Kept.back().Text = Block;
                CutDepth = -1;
            }
        }
        if (Keep) Out << L[I] << "\n";
    }
    if (!Stack.empty()) throw EParserError("The form text ends inside object " + Stack.back().Name);
    return Out.str();
}

std::string InsertKeptObjects(const std::string& FormText, const std::vector<TKeptObject>& Kept) {
    if (Kept.empty()) return FormText;
    std::vector<std::string> L = Lines(FormText);
    for (const TKeptObject& O : Kept) {
        // Find the parent's closing "end" by walking the object structure.
        std::vector<std::string> Path;
        std::vector<bool> Items;
        std::size_t Target = std::string::npos, Depth = 0;
        std::size_t RootEnd = std::string::npos;
        for (std::size_t I = 0; I < L.size(); ++I) {
            THeader H;
            TLineKind K = KindOf(L[I], H);
            if (K == TLineKind::Object) {
                Path.push_back(H.Name);
                Items.push_back(false);
            } else if (K == TLineKind::Item) {
                Path.emplace_back();
                Items.push_back(true);
            } else if (K == TLineKind::End && !Path.empty()) {
                bool WasItem = Items.back();
                if (!WasItem) {
                    std::vector<std::string> Names;
                    for (std::size_t S = 1; S < Path.size(); ++S)
                        if (!Items[S]) Names.push_back(Path[S]);
                    if (Path.size() == 1) RootEnd = I;
                    if (Names == O.ParentPath && Target == std::string::npos) {
                        Target = I;
                        Depth = Path.size();
                    }
                }
                Path.pop_back();
                Items.pop_back();
            }
        }
        if (Target == std::string::npos) {
            Target = RootEnd;
            Depth = 1;
        }
        if (Target == std::string::npos) { // no root object: keep the block at the end
            Target = L.size();
            Depth = 0;
        }
        std::string Pad(Depth * 2, ' ');
        std::vector<std::string> Block;
        for (const std::string& B : Lines(O.Text))
            Block.push_back(Pad + B);
        L.insert(L.begin() + static_cast<std::ptrdiff_t>(Target), Block.begin(), Block.end());
    }
    std::string Out;
    for (const std::string& Line : L)
        Out += Line + "\n";
    return Out;
}

std::string RootClassOf(const std::string& FormText) {
    for (const std::string& Line : Lines(FormText)) {
        THeader H = ParseHeader(Line);
        if (H.IsObject) return H.ClassName;
        if (!Trim(Line).empty()) break;
    }
    return {};
}

std::string WithRootClass(const std::string& FormText, const std::string& ClassName) {
    std::size_t Nl = FormText.find('\n');
    std::string First = FormText.substr(0, Nl);
    THeader H = ParseHeader(First);
    if (!H.IsObject || H.Name.empty()) return FormText;
    std::size_t Colon = First.find(':');
    std::string NewFirst = First.substr(0, Colon + 1) + " " + ClassName;
    return NewFirst + (Nl == std::string::npos ? std::string() : FormText.substr(Nl));
}

} // namespace qel::designer
