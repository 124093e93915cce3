#include "Script.h"

#include "toolkit/controls/Clipbrd.h"
#include "toolkit/controls/Dialogs.h"
#include "toolkit/controls/Edit.h"
#include "toolkit/core/Exceptions.h"
#include "toolkit/core/NameUtils.h"
#include "toolkit/platform/Headless.h"
#include "toolkit/platform/Window.h"

#include <istream>
#include <memory>
#include <ostream>

namespace qel::designer {

namespace {

int Int(const std::string& S) {
    try {
        std::size_t End = 0;
        int V = std::stoi(S, &End);
        if (End == S.size()) return V;
    } catch (const std::exception&) {
    }
    throw EConvertError("'" + S + "' is not a number");
}

void Args(const std::vector<std::string>& W, std::size_t Min, std::size_t Max) {
    if (W.size() - 1 < Min || W.size() - 1 > Max)
        throw EInvalidOperation("wrong number of arguments for " + W[0]);
}

int KeyCode(const std::string& K) {
    if (SameText(K, "Left")) return VK_LEFT;
    if (SameText(K, "Right")) return VK_RIGHT;
    if (SameText(K, "Up")) return VK_UP;
    if (SameText(K, "Down")) return VK_DOWN;
    if (SameText(K, "Delete")) return VK_DELETE;
    throw EInvalidOperation("unknown key " + K);
}

} // namespace

const char* TScript::UsageText() {
    return "Commands:\n"
           "  packages DIR          load every package of DIR\n"
           "  palette               list pages and their classes\n"
           "  new | open FILE | save FILE [text|binary] | title | messages\n"
           "  drop CLASS X Y [PARENT]\n"
           "  select [NAME...]      (no name: the form)   add NAME\n"
           "  props | get PATH | set PATH VALUE | edit PATH\n"
           "  verbs NAME | verb NAME INDEX | dblclick NAME\n"
           "  move DX DY | size DW DH | align lefts|tops|rights|bottoms | delete | grid N\n"
           "  key Left|Right|Up|Down|Delete [shift]\n"
           "  mouse down|move|up X Y [shift]   pick CLASS (the next click drops it)\n"
           "  copy | paste | undo\n"
           "  dialog set NAME TEXT | dialog click NAME | dialog result ok|cancel\n"
           "                        (what to do in the next dialog that shows)\n";
}

std::vector<std::string> TScript::Split(const std::string& Line) {
    std::vector<std::string> W;
    std::size_t I = 0;
    while (I < Line.size()) {
        while (I < Line.size() && (Line[I] == ' ' || Line[I] == '\t' || Line[I] == '\r'))
            ++I;
        if (I >= Line.size()) break;
        std::string Word;
        if (Line[I] == '\'' || Line[I] == '"') {
            char Q = Line[I++];
            std::size_t E = Line.find(Q, I);
            if (E == std::string::npos) throw EParserError("unterminated quote");
            Word = Line.substr(I, E - I);
            I = E + 1;
        } else {
            std::size_t E = Line.find_first_of(" \t\r", I);
            Word = Line.substr(I, E == std::string::npos ? std::string::npos : E - I);
            I = E == std::string::npos ? Line.size() : E;
        }
        // \n in a word is a line break (captions of several lines).
        for (std::size_t P; (P = Word.find("\\n")) != std::string::npos;)
            Word.replace(P, 2, "\r\n");
        W.push_back(Word);
    }
    return W;
}

TComponent* TScript::Need(const std::string& Name) const {
    TComponent* C = D_.Find(Name);
    if (!C) throw EComponentError("no component named " + Name);
    return C;
}

void TScript::ArmDialog() {
    // Only the next dialog; the hook stays installed (it must not free itself while it runs)
    // until the command is over.
    auto Actions = std::make_shared<std::vector<TDialogAction>>(std::move(Dialog_));
    Dialog_.clear();
    SetDialogShownHook([Actions](TCustomForm* F) {
        auto Mine = std::move(*Actions);
        Actions->clear();
        for (const TDialogAction& A : Mine) {
            if (A.What == "result") {
                F->SetModalResult(SameText(A.Text, "ok") ? mrOk : mrCancel);
                continue;
            }
            auto* C = Cast<TControl>(F->FindComponent(A.Name));
            if (!C) continue;
            if (A.What == "set") {
                if (auto* E = Cast<TCustomEdit>(C)) E->SetText(A.Text);
            } else if (A.What == "click" && HeadlessBackend()) {
                TPoint P = C->ClientToScreen({C->Width() / 2, C->Height() / 2});
                HeadlessBackend()->Click(P.X, P.Y);
            }
        }
    });
}

void TScript::Run(const std::string& Line) {
    std::vector<std::string> W = Split(Line);
    if (W.empty() || W[0][0] == '#') return;
    const std::string& Cmd = W[0];
    if (Cmd == "packages") {
        Args(W, 1, 1);
        D_.LoadPackages(W[1]);
        for (const std::string& M : D_.TakeMessages())
            Out_ << "message: " << M << "\n";
    } else if (Cmd == "palette") {
        for (const TPalettePage& P : PalettePages()) {
            Out_ << P.Name << ":";
            for (const TClass* C : P.Classes)
                Out_ << " " << C->ClassName();
            Out_ << "\n";
        }
    } else if (Cmd == "new") {
        D_.NewForm();
    } else if (Cmd == "open") {
        Args(W, 1, 1);
        D_.Open(W[1]);
        for (const std::string& M : D_.TakeMessages())
            Out_ << "message: " << M << "\n";
    } else if (Cmd == "save") {
        Args(W, 1, 2);
        if (W.size() == 3)
            D_.Save(W[1], W[2] == "binary" ? TFormFormat::Binary : TFormFormat::Text);
        else
            D_.Save(W[1]);
    } else if (Cmd == "title") {
        Out_ << D_.Title() << "\n";
    } else if (Cmd == "messages") {
        for (const std::string& M : D_.TakeMessages())
            Out_ << "message: " << M << "\n";
    } else if (Cmd == "drop") {
        Args(W, 3, 4);
        TWinControl* Parent = W.size() == 5 ? Cast<TWinControl>(Need(W[4])) : nullptr;
        Out_ << D_.Drop(W[1], Int(W[2]), Int(W[3]), Parent)->Name() << "\n";
    } else if (Cmd == "select") {
        TDesignerSelections S;
        for (std::size_t I = 1; I < W.size(); ++I)
            S.push_back(Need(W[I]));
        if (S.empty()) S.push_back(D_.Form());
        D_.SetSelections(S);
    } else if (Cmd == "add") {
        Args(W, 1, 1);
        TDesignerSelections S = D_.Selections();
        S.push_back(Need(W[1]));
        D_.SetSelections(S);
    } else if (Cmd == "props") {
        for (bool Events : {false, true})
            GetComponentProperties(
                &D_, D_.Selections(), Events, [this](std::unique_ptr<TPropertyEditor> E) {
                    Out_ << E->GetName() << " = " << (E->AllEqual() ? E->GetValue() : "") << "\n";
                });
    } else if (Cmd == "get") {
        Args(W, 1, 1);
        Out_ << D_.GetProperty(W[1]) << "\n";
    } else if (Cmd == "set") {
        Args(W, 2, 2);
        D_.SetProperty(W[1], W[2]);
    } else if (Cmd == "edit") {
        Args(W, 1, 1);
        ArmDialog();
        D_.EditProperty(W[1]);
        SetDialogShownHook(nullptr);
    } else if (Cmd == "verbs") {
        Args(W, 1, 1);
        int I = 0;
        for (const std::string& V : D_.Verbs(Need(W[1])))
            Out_ << I++ << ": " << V << "\n";
    } else if (Cmd == "verb" || Cmd == "dblclick") {
        Args(W, Cmd == "verb" ? 2 : 1, Cmd == "verb" ? 2 : 1);
        ArmDialog();
        if (Cmd == "verb")
            D_.ExecuteVerb(Need(W[1]), Int(W[2]));
        else
            D_.EditComponent(Need(W[1]));
        SetDialogShownHook(nullptr);
    } else if (Cmd == "move" || Cmd == "size") {
        Args(W, 2, 2);
        if (Cmd == "move")
            D_.MoveSelection(Int(W[1]), Int(W[2]));
        else
            D_.SizeSelection(Int(W[1]), Int(W[2]));
    } else if (Cmd == "align") {
        Args(W, 1, 1);
        using A = TFormDesigner::TAlign;
        A How = W[1] == "lefts"    ? A::Lefts
                : W[1] == "tops"   ? A::Tops
                : W[1] == "rights" ? A::Rights
                                   : A::Bottoms;
        D_.AlignSelection(How);
    } else if (Cmd == "delete") {
        D_.DeleteSelection();
    } else if (Cmd == "grid") {
        Args(W, 1, 1);
        D_.SetGrid(Int(W[1]));
    } else if (Cmd == "key") {
        Args(W, 1, 2);
        D_.KeyDown(KeyCode(W[1]), W.size() == 3 && W[2] == "shift");
    } else if (Cmd == "mouse") {
        Args(W, 3, 4);
        int X = Int(W[2]), Y = Int(W[3]);
        if (W[1] == "down")
            D_.MouseDown(X, Y, W.size() == 5 && W[4] == "shift");
        else if (W[1] == "move")
            D_.MouseMove(X, Y);
        else if (W[1] == "up")
            D_.MouseUp(X, Y);
        else
            throw EInvalidOperation("mouse down, move or up");
    } else if (Cmd == "pick") {
        Args(W, 1, 1);
        if (!D_.PaletteClass(W[1])) throw EInvalidOperation(W[1] + " is not on the palette");
        D_.SetPendingDrop(W[1]);
    } else if (Cmd == "copy") {
        Clipboard().SetAsText(D_.SelectionAsText());
    } else if (Cmd == "paste") {
        D_.PasteText(Clipboard().AsText());
    } else if (Cmd == "undo") {
        D_.Undo();
    } else if (Cmd == "dialog") {
        Args(W, 2, 3);
        if (W[1] == "result")
            Dialog_.push_back({"result", {}, W[2]});
        else if (W[1] == "set" && W.size() == 4)
            Dialog_.push_back({"set", W[2], W[3]});
        else if (W[1] == "click")
            Dialog_.push_back({"click", W[2], {}});
        else
            throw EInvalidOperation("dialog set NAME TEXT, click NAME or result ok|cancel");
    } else {
        throw EInvalidOperation("unknown command " + Cmd);
    }
}

int TScript::RunAll(std::istream& In, std::string& Error) {
    int N = 0;
    for (std::string Line; std::getline(In, Line);) {
        ++N;
        try {
            Run(Line);
        } catch (const std::exception& E) {
            Error = E.what();
            return N;
        }
    }
    return 0;
}

} // namespace qel::designer
