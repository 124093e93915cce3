#include "FormDesigner.h"

#include "toolkit/core/Exceptions.h"
#include "toolkit/core/FormReader.h"
#include "toolkit/core/FormWriter.h"
#include "toolkit/core/NameUtils.h"
#include "toolkit/core/Streams.h"
#include "toolkit/core/TextForm.h"
#include "toolkit/designer/DesignPackages.h"
#include "toolkit/platform/Window.h"

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <iterator>

namespace qel::designer {

namespace {

std::string ReadWholeFile(const std::string& FileName) {
    std::ifstream In(FileName, std::ios::binary);
    if (!In) throw EFOpenError("Cannot open file " + FileName);
    return {std::istreambuf_iterator<char>(In), std::istreambuf_iterator<char>()};
}

void WriteWholeFile(const std::string& FileName, const std::string& Data) {
    // Written beside the target first, so a failed save leaves the old file whole.
    std::string Tmp = FileName + ".saving";
    {
        std::ofstream Out(Tmp, std::ios::binary | std::ios::trunc);
        if (!Out) throw EFCreateError("Cannot create file " + FileName);
        Out.write(Data.data(), static_cast<std::streamsize>(Data.size()));
        if (!Out) throw EWriteError("Cannot write file " + FileName);
    }
    std::error_code Ec;
    std::filesystem::rename(Tmp, FileName, Ec);
    if (Ec) throw EFCreateError("Cannot replace " + FileName + ": " + Ec.message());
}

// Position of a control in the form's client coordinates.
TPoint FormPos(const TControl* C, const TForm* F) {
    TPoint P{0, 0};
    for (const TControl* X = C; X && X != F; X = X->Parent()) {
        P.X += X->Left();
        P.Y += X->Top();
    }
    return P;
}

bool Inside(int X, int Y, int L, int T, int W, int H) {
    return X >= L && Y >= T && X < L + W && Y < T + H;
}

} // namespace

TFormDesigner::TFormDesigner() : TDesigner(nullptr) {
    NewForm();
}

TFormDesigner::~TFormDesigner() {
    SetRoot(nullptr);
}

std::vector<std::string> TFormDesigner::TakeMessages() {
    return std::exchange(Messages_, {});
}

void TFormDesigner::LoadPackages(const std::string& Folder) {
    LoadDesignPackages(Folder, Messages_);
}

const TClass* TFormDesigner::PaletteClass(const std::string& ClassName) const {
    for (const TPalettePage& P : PalettePages())
        for (const TClass* C : P.Classes)
            if (SameText(C->ClassName(), ClassName)) return C;
    return nullptr;
}

void TFormDesigner::Replace(std::unique_ptr<TForm> F) {
    F->SetDesigning(true);
    SetRoot(F.get());
    std::swap(Form_, F);
    F.reset(); // the old form, before anyone hears of the new one
    if (OnFormReplaced) OnFormReplaced();
}

void TFormDesigner::NewForm() {
    auto F = std::make_unique<TForm>(nullptr);
    F->SetDesigning(true);
    F->SetName("Form1");
    F->SetCaption("Form1");
    F->SetBounds(0, 0, 400, 300);
    Replace(std::move(F));
    Kept_.clear();
    RootClass_ = "TForm1";
    FileName_.clear();
    Format_ = TFormFormat::Text;
    CurrentText_ = FormText();
    UndoText_.clear();
    SetModifiedFlag(false);
}

std::string TFormDesigner::FormText() const {
    std::string T = ComponentToText(Form_.get());
    return InsertKeptObjects(WithRootClass(T, RootClass_), Kept_);
}

void TFormDesigner::LoadFromText(const std::string& Text, bool AsUndo) {
    std::vector<TKeptObject> Kept;
    std::string Known = CutUnknownObjects(
        Text, [](const std::string& C) { return GetClass(C) != nullptr; }, Kept);
    // The form's own class (TForm1) has no code behind it here: read as a plain form without
    // a warning, since the designer keeps the class name itself.
    if (std::string Root = RootClassOf(Known); !Root.empty() && !GetClass(Root))
        Known = WithRootClass(Known, "TForm");
    std::vector<std::string> Warnings;
    TFormLoadOptions O;
    O.Designing = true;
    O.FallbackRootClass = &TForm::StaticClass();
    O.UnresolvedReference = TReadPolicy::Warn;
    O.MissingMethod = TReadPolicy::Warn;
    O.Warnings = &Warnings;
    TStringStream S(Known);
    std::unique_ptr<TComponent> Root = LoadComponentFromStream(S, O);
    auto* F = Cast<TForm>(Root.get());
    if (!F) throw EReadError("The file holds a " + Root->ClassName() + ", not a form");
    Root.release();
    Replace(std::unique_ptr<TForm>(F));
    RootClass_ = RootClassOf(Text);
    Kept_ = std::move(Kept);
    if (AsUndo) return;
    for (const TKeptObject& K : Kept_)
        Messages_.push_back("Class " + K.ClassName + " of " +
                            (K.Name.empty() ? "a component" : K.Name) +
                            " is not registered by any loaded package; it is kept unchanged and "
                            "saved back as it was");
    Messages_.insert(Messages_.end(), Warnings.begin(), Warnings.end());
}

void TFormDesigner::Open(const std::string& FileName) {
    std::string Data = ReadWholeFile(FileName);
    TFormFormat Format = TFormFormat::Text;
    if (Data.compare(0, 4, "TPF0") == 0) {
        Format = TFormFormat::Binary;
        TStringStream In(Data), Out;
        ObjectBinaryToText(In, Out);
        Data = Out.DataString();
    }
    LoadFromText(Data, false);
    FileName_ = FileName;
    Format_ = Format;
    CurrentText_ = FormText();
    UndoText_.clear();
    SetModifiedFlag(false);
}

void TFormDesigner::Save(const std::string& FileName) {
    Save(FileName, Format_);
}

void TFormDesigner::Save(const std::string& FileName, TFormFormat Format) {
    std::string Text = FormText();
    std::string Data = Text;
    if (Format == TFormFormat::Binary) {
        TStringStream In(Text), Out;
        ObjectTextToBinary(In, Out);
        Data = Out.DataString();
    }
    WriteWholeFile(FileName, Data);
    FileName_ = FileName;
    Format_ = Format;
    SetModifiedFlag(false);
}

std::string TFormDesigner::Title() const {
    std::string Name =
        FileName_.empty() ? "Untitled" : std::filesystem::path(FileName_).filename().string();
    return "qel-designer - " + Name + (IsModified() ? " *" : "");
}

int TFormDesigner::Snap(int V) const {
    int G = Grid_;
    int R = V >= 0 ? (V + G / 2) / G : -((-V + G / 2) / G);
    return R * G;
}

TComponent* TFormDesigner::Drop(const std::string& ClassName, int X, int Y, TWinControl* Parent) {
    const TClass* C = PaletteClass(ClassName);
    if (!C) throw EInvalidOperation(ClassName + " is not on the palette of the loaded packages");
    auto* Comp = As<TComponent>(C->CreateInstance(Form_.get()));
    try {
        Comp->SetDesigning(true);
        Comp->SetName(UniqueName(C->ClassName()));
        if (auto* Ctl = Cast<TControl>(Comp)) {
            if (const TPropInfo* P = C->FindProperty("Caption");
                P && P->Kind == TPropKind::String && P->GetStr(*Ctl).empty() &&
                Ctl->ControlStyle().Contains(csSetCaption))
                P->SetStr(*Ctl, Comp->Name());
            TWinControl* Into =
                Parent && Parent->ControlStyle().Contains(csAcceptsControls) ? Parent : Form_.get();
            Ctl->SetParent(Into);
            Ctl->SetBounds(Snap(X), Snap(Y), Ctl->Width(), Ctl->Height());
        }
    } catch (...) {
        delete Comp;
        throw;
    }
    SelectComponent(Comp);
    Modified();
    return Comp;
}

void TFormDesigner::DeleteSelection() {
    bool Any = false;
    // Freed components leave the selection by themselves; a panel takes its children along.
    for (;;) {
        auto It = std::find_if(Selections().begin(), Selections().end(), [this](TPersistent* P) {
            return Cast<TComponent>(P) && P != Form_.get();
        });
        if (It == Selections().end()) break;
        delete *It;
        Any = true;
    }
    if (Any) Modified();
}

void TFormDesigner::MoveSelection(int DX, int DY) {
    bool Any = false;
    for (TPersistent* P : Selections())
        if (auto* C = Cast<TControl>(P); C && C != Form_.get()) {
            C->SetBounds(C->Left() + DX, C->Top() + DY, C->Width(), C->Height());
            Any = true;
        }
    if (Any && (DX || DY)) Modified();
}

void TFormDesigner::SizeSelection(int DW, int DH) {
    bool Any = false;
    for (TPersistent* P : Selections())
        if (auto* C = Cast<TControl>(P); C && C != Form_.get()) {
            C->SetBounds(C->Left(), C->Top(), std::max(1, C->Width() + DW),
                         std::max(1, C->Height() + DH));
            Any = true;
        }
    if (Any && (DW || DH)) Modified();
}

void TFormDesigner::AlignSelection(TAlign How) {
    std::vector<TControl*> Cs;
    for (TPersistent* P : Selections())
        if (auto* C = Cast<TControl>(P); C && C != Form_.get()) Cs.push_back(C);
    if (Cs.size() < 2) return;
    const TControl* Ref = Cs[0]; // the first selected one stays
    for (TControl* C : Cs) {
        int L = C->Left(), T = C->Top();
        switch (How) {
        case TAlign::Lefts:
            L = Ref->Left();
            break;
        case TAlign::Tops:
            T = Ref->Top();
            break;
        case TAlign::Rights:
            L = Ref->Left() + Ref->Width() - C->Width();
            break;
        case TAlign::Bottoms:
            T = Ref->Top() + Ref->Height() - C->Height();
            break;
        }
        C->SetBounds(L, T, C->Width(), C->Height());
    }
    Modified();
}

std::string TFormDesigner::SelectionAsText() const {
    std::string Out;
    for (TPersistent* P : Selections())
        if (auto* C = Cast<TComponent>(P); C && C != Form_.get()) Out += ComponentToText(C);
    return Out;
}

void TFormDesigner::PasteText(const std::string& Text) {
    // Each top-level object of the text becomes a component of the form, renamed when its
    // name is taken; nothing is added when any of them cannot be read.
    std::vector<std::string> Blocks;
    std::vector<TKeptObject> Unknown;
    {
        std::string Wrapped = "object Clip: TForm\n" + Text + "end\n";
        std::vector<TKeptObject> All;
        CutUnknownObjects(
            Wrapped, [](const std::string&) { return false; }, All);
        for (const TKeptObject& K : All)
            Blocks.push_back(K.Text);
    }
    std::vector<std::unique_ptr<TComponent>> Read;
    TFormLoadOptions O;
    O.Designing = true;
    O.UnresolvedReference = TReadPolicy::Warn;
    O.MissingMethod = TReadPolicy::Warn;
    for (const std::string& B : Blocks) {
        TStringStream S(B);
        Read.push_back(LoadComponentFromStream(S, O));
    }
    TDesignerSelections Pasted;
    for (auto& C : Read) {
        TComponent* Comp = C.release();
        if (GetComponent(Comp->Name()) || Comp->Name().empty())
            Comp->SetName(UniqueName(Comp->ClassName()));
        Form_->InsertComponent(Comp);
        if (auto* Ctl = Cast<TControl>(Comp)) Ctl->SetParent(Form_.get());
        Pasted.push_back(Comp);
    }
    if (Pasted.empty()) return;
    SetSelections(Pasted);
    Modified();
}

std::unique_ptr<TPropertyEditor> TFormDesigner::PropertyEditor(const std::string& Path) {
    std::vector<std::string> Parts;
    for (std::size_t P = 0;;) {
        std::size_t Dot = Path.find('.', P);
        Parts.push_back(Path.substr(P, Dot == std::string::npos ? std::string::npos : Dot - P));
        if (Dot == std::string::npos) break;
        P = Dot + 1;
    }
    std::unique_ptr<TPropertyEditor> E;
    for (bool Events : {false, true})
        if (!E)
            GetComponentProperties(this, Selections(), Events,
                                   [&](std::unique_ptr<TPropertyEditor> X) {
                                       if (!E && SameText(X->GetName(), Parts[0])) E = std::move(X);
                                   });
    for (std::size_t I = 1; E && I < Parts.size(); ++I) {
        std::unique_ptr<TPropertyEditor> Sub;
        E->GetProperties([&](std::unique_ptr<TPropertyEditor> X) {
            if (!Sub && SameText(X->GetName(), Parts[I])) Sub = std::move(X);
        });
        E = std::move(Sub);
    }
    return E;
}

namespace {
std::unique_ptr<TPropertyEditor> Need(std::unique_ptr<TPropertyEditor> E, const std::string& P) {
    if (!E) throw EPropertyError("The selection has no property " + P);
    return E;
}
} // namespace

void TFormDesigner::SetProperty(const std::string& Path, const std::string& Value) {
    Need(PropertyEditor(Path), Path)->SetValue(Value);
}

std::string TFormDesigner::GetProperty(const std::string& Path) {
    return Need(PropertyEditor(Path), Path)->GetValue();
}

void TFormDesigner::EditProperty(const std::string& Path) {
    Need(PropertyEditor(Path), Path)->Edit();
}

std::vector<std::string> TFormDesigner::Verbs(TComponent* C) {
    auto E = GetComponentEditor(C, this);
    std::vector<std::string> V;
    for (int I = 0; I < E->GetVerbCount(); ++I)
        V.push_back(E->GetVerb(I));
    return V;
}

void TFormDesigner::ExecuteVerb(TComponent* C, int Index) {
    auto E = GetComponentEditor(C, this);
    if (Index < 0 || Index >= E->GetVerbCount())
        throw EListError("No verb " + std::to_string(Index) + " for " + C->Name());
    E->ExecuteVerb(Index);
}

void TFormDesigner::EditComponent(TComponent* C) {
    GetComponentEditor(C, this)->Edit();
}

void TFormDesigner::Modified() {
    UndoText_ = CurrentText_;
    CurrentText_ = FormText();
    TDesigner::Modified();
}

void TFormDesigner::Undo() {
    if (UndoText_.empty()) return;
    std::string Text = std::exchange(UndoText_, {});
    LoadFromText(Text, true);
    CurrentText_ = Text;
    TDesigner::Modified();
}

TControl* TFormDesigner::ControlAt(int X, int Y) const {
    TWinControl* In = Form_.get();
    int OX = 0, OY = 0;
    TControl* Hit = nullptr;
    for (bool Deeper = true; Deeper;) {
        Deeper = false;
        for (int I = In->ControlCount() - 1; I >= 0; --I) {
            TControl* C = In->Controls(I);
            if (!Inside(X, Y, OX + C->Left(), OY + C->Top(), C->Width(), C->Height())) continue;
            Hit = C;
            if (auto* W = Cast<TWinControl>(C); W && W->ControlCount() > 0) {
                OX += C->Left();
                OY += C->Top();
                In = W;
                Deeper = true;
            }
            break;
        }
    }
    return Hit;
}

int TFormDesigner::SizeHandleAt(int X, int Y) const {
    if (Selections().size() != 1) return 0;
    auto* C = Cast<TControl>(Selections()[0]);
    if (!C || C == Form_.get()) return 0;
    TPoint P = FormPos(C, Form_.get());
    int R = P.X + C->Width(), B = P.Y + C->Height();
    return Inside(X, Y, R - 5, B - 5, 8, 8) ? 1 : 0;
}

void TFormDesigner::MouseDown(int X, int Y, bool Shift) {
    Drag_ = TDrag::None;
    if (!PendingDrop_.empty()) {
        std::string C = std::exchange(PendingDrop_, {});
        TControl* Under = ControlAt(X, Y);
        auto* Into = Cast<TWinControl>(Under);
        if (Into && !Into->ControlStyle().Contains(csAcceptsControls)) Into = nullptr;
        TPoint Origin = Into ? FormPos(Into, Form_.get()) : TPoint{0, 0};
        Drop(C, X - Origin.X, Y - Origin.Y, Into);
        return;
    }
    DragX_ = X;
    DragY_ = Y;
    MovedX_ = MovedY_ = 0;
    if (SizeHandleAt(X, Y)) {
        Drag_ = TDrag::Size;
        return;
    }
    TControl* C = ControlAt(X, Y);
    if (!C) {
        SelectComponent(Form_.get());
        return;
    }
    if (Shift) {
        TDesignerSelections S = Selections();
        if (IsSelected(C))
            std::erase(S, static_cast<TPersistent*>(C));
        else
            S.push_back(C);
        std::erase(S, static_cast<TPersistent*>(Form_.get()));
        SetSelections(S);
        return;
    }
    if (!IsSelected(C)) SelectComponent(C);
    Drag_ = TDrag::Move;
}

void TFormDesigner::MouseMove(int X, int Y) {
    if (Drag_ == TDrag::None) return;
    // Whole grid steps from where the drag started, applied as the difference to the last.
    int DX = Snap(X - DragX_) - MovedX_, DY = Snap(Y - DragY_) - MovedY_;
    if (!DX && !DY) return;
    for (TPersistent* P : Selections())
        if (auto* C = Cast<TControl>(P); C && C != Form_.get()) {
            if (Drag_ == TDrag::Move)
                C->SetBounds(C->Left() + DX, C->Top() + DY, C->Width(), C->Height());
            else
                C->SetBounds(C->Left(), C->Top(), std::max(1, C->Width() + DX),
                             std::max(1, C->Height() + DY));
        }
    MovedX_ += DX;
    MovedY_ += DY;
}

void TFormDesigner::MouseUp(int X, int Y) {
    MouseMove(X, Y);
    bool Changed = Drag_ != TDrag::None && (MovedX_ || MovedY_);
    Drag_ = TDrag::None;
    if (Changed) Modified(); // one undo step for the whole drag
}

bool TFormDesigner::KeyDown(int Key, bool Shift) {
    int DX = 0, DY = 0;
    switch (Key) {
    case VK_LEFT:
        DX = -1;
        break;
    case VK_RIGHT:
        DX = 1;
        break;
    case VK_UP:
        DY = -1;
        break;
    case VK_DOWN:
        DY = 1;
        break;
    case VK_DELETE:
        DeleteSelection();
        return true;
    default:
        return false;
    }
    if (Shift)
        SizeSelection(DX, DY);
    else
        MoveSelection(DX, DY);
    return true;
}

} // namespace qel::designer
