#include "DesignerWindow.h"

#include "FormSurface.h"
#include "PaletteView.h"
#include "PropertyGrid.h"
#include "toolkit/controls/Buttons.h"
#include "toolkit/controls/Clipbrd.h"
#include "toolkit/controls/Dialogs.h"
#include "toolkit/controls/Edit.h"
#include "toolkit/controls/FileDialogs.h"
#include "toolkit/controls/Menus.h"
#include "toolkit/core/NameUtils.h"

#include <filesystem>
#include <utility>

namespace qel::designer {

namespace {

const char* const FormFilter = "Form files (*.dfm)|*.dfm|All files (*.*)|*.*";

std::string WithoutAccel(std::string S) {
    std::erase(S, '&');
    return S;
}

} // namespace

TDesignerWindow::TDesignerWindow(TFormDesigner& D) : TForm(nullptr), D_(D) {
    SetBounds(20, 20, 1000, 700);
    SetKeyPreview(false);
    BuildMenu();
    Palette_ = new TPaletteView(this);
    Palette_->SetParent(this);
    Palette_->SetAlign(alTop);
    Palette_->SetHeight(TPaletteView::PreferredHeight);
    Inspector_ = new TPropertyGrid(this, D_);
    Inspector_->SetParent(this);
    Inspector_->SetAlign(alLeft);
    Inspector_->SetWidth(280);
    Surface_ = new TFormSurface(this, D_);
    Surface_->SetParent(this);
    Surface_->SetAlign(alClient);
    Palette_->Rebuild();

    Palette_->OnPick = [this](const std::string& Class) { D_.SetPendingDrop(Class); };
    Palette_->OnDropAt = [this](const std::string& Class, TPoint Screen) {
        if (!Surface_->OnForm(Screen)) return false;
        D_.SetPendingDrop(Class);
        TPoint P = Surface_->ToForm(Screen);
        try {
            D_.MouseDown(P.X, P.Y, false);
            D_.MouseUp(P.X, P.Y);
        } catch (const std::exception& E) {
            Report(E);
        }
        Refresh();
        return true;
    };
    Surface_->OnChanged = [this] { Refresh(); };
    Inspector_->OnChanged = [this] { Refresh(); };
    D_.OnFormReplaced = [this] { Surface_->AttachForm(); };
    D_.OnSelectionChanged = [this] { Inspector_->Refresh(); };
    D_.OnModified = [this] { SetCaption(D_.Title()); };
    OnCloseQuery = [this](TObject*, bool& CanClose) { CanClose = ConfirmClose(); };
    Surface_->AttachForm();
    Refresh();
}

TDesignerWindow::~TDesignerWindow() {
    D_.OnFormReplaced = nullptr;
    D_.OnSelectionChanged = nullptr;
    D_.OnModified = nullptr;
    // The surface hands the designed form back to the model before the window goes.
    delete Surface_;
    Surface_ = nullptr;
}

void TDesignerWindow::BuildMenu() {
    Menu_ = new TMainMenu(this);
    auto Top = [this](const std::string& Caption) {
        auto* I = new TMenuItem(Menu_);
        I->SetCaption(Caption);
        Menu_->Items()->Add(I);
        return I;
    };
    auto Add = [this](TMenuItem* Parent, const std::string& Caption, TShortCut Key,
                      std::function<void()> Fn) {
        auto* I = new TMenuItem(Menu_);
        I->SetCaption(Caption);
        I->SetShortCut(Key);
        if (Fn) I->OnClick = [Fn = std::move(Fn)](TObject*) { Fn(); };
        Parent->Add(I);
    };
    TMenuItem* File = Top("&File");
    Add(File, "&New", ShortCut('N', {ssCtrl}), [this] { NewForm(); });
    Add(File, "&Open...", ShortCut('O', {ssCtrl}), [this] { OpenForm(); });
    Add(File, "&Save", ShortCut('S', {ssCtrl}), [this] { SaveForm(); });
    Add(File, "Save &As...", 0, [this] { SaveFormAs(TFormFormat::Text); });
    Add(File, "Save as &Binary...", 0, [this] { SaveFormAs(TFormFormat::Binary); });
    Add(File, "-", 0, nullptr);
    Add(File, "&Quit", ShortCut('Q', {ssCtrl}), [this] { Quit(); });
    TMenuItem* Edit = Top("&Edit");
    Add(Edit, "&Undo", ShortCut('Z', {ssCtrl}), [this] { Undo(); });
    Add(Edit, "-", 0, nullptr);
    Add(Edit, "&Copy", ShortCut('C', {ssCtrl}), [this] { CopySelection(); });
    Add(Edit, "&Paste", ShortCut('V', {ssCtrl}), [this] { PasteClipboard(); });
    Add(Edit, "&Delete", 0, [this] { DeleteSelection(); });
    Add(Edit, "-", 0, nullptr);
    using A = TFormDesigner::TAlign;
    for (auto [Caption, How] :
         {std::pair{"Align &Lefts", A::Lefts}, std::pair{"Align &Tops", A::Tops},
          std::pair{"Align &Rights", A::Rights}, std::pair{"Align &Bottoms", A::Bottoms}}) {
        A Way = How;
        Add(Edit, Caption, 0, [this, Way] {
            D_.AlignSelection(Way);
            Refresh();
        });
    }
}

TMenuItem* TDesignerWindow::Command(const std::string& Caption) const {
    for (int T = 0; T < Menu_->Items()->Count(); ++T) {
        TMenuItem* Top = Menu_->Items()->Items(T);
        for (int I = 0; I < Top->Count(); ++I)
            if (SameText(WithoutAccel(Top->Items(I)->Caption()), Caption)) return Top->Items(I);
    }
    return nullptr;
}

void TDesignerWindow::Refresh() {
    SetCaption(D_.Title());
    // A drop used the picked class up: its button lets go.
    if (D_.PendingDrop().empty()) Palette_->Release();
    Surface_->UpdateHandles();
    Inspector_->Refresh();
}

void TDesignerWindow::Report(const std::exception& E) {
    MessageDlg(E.what(), mtError, {mbOK});
}

void TDesignerWindow::ShowMessages() {
    std::string All;
    for (const std::string& M : D_.TakeMessages())
        All += (All.empty() ? "" : "\n") + M;
    if (!All.empty()) MessageDlg(All, mtWarning, {mbOK});
}

bool TDesignerWindow::ConfirmClose() {
    if (!D_.IsModified()) return true;
    std::string Name = D_.FileName().empty()
                           ? std::string("Untitled")
                           : std::filesystem::path(D_.FileName()).filename().string();
    switch (MessageDlg("Save changes to " + Name + "?", mtConfirmation, mbYesNoCancel)) {
    case mrYes:
        return SaveForm();
    case mrNo:
        return true;
    default:
        return false;
    }
}

void TDesignerWindow::NewForm() {
    if (!ConfirmClose()) return;
    D_.NewForm();
    Refresh();
}

void TDesignerWindow::OpenForm() {
    if (!ConfirmClose()) return;
    TOpenDialog Dlg(nullptr);
    Dlg.SetFilter(FormFilter);
    if (!Dlg.Execute()) return;
    // The question was asked already: the form is replaced as it is.
    D_.SetModifiedFlag(false);
    OpenForm(Dlg.FileName());
}

void TDesignerWindow::OpenForm(const std::string& FileName) {
    try {
        D_.Open(FileName);
    } catch (const std::exception& E) {
        Report(E);
    }
    Refresh();
    ShowMessages();
}

bool TDesignerWindow::SaveForm() {
    if (D_.FileName().empty()) return SaveFormAs(TFormFormat::Text);
    try {
        D_.Save(D_.FileName());
    } catch (const std::exception& E) {
        Report(E);
        return false;
    }
    Refresh();
    return true;
}

bool TDesignerWindow::SaveFormAs(TFormFormat Format) {
    TSaveDialog Dlg(nullptr);
    Dlg.SetFilter(FormFilter);
    Dlg.SetFileName(D_.FileName().empty() ? "Form1.dfm" : D_.FileName());
    if (!Dlg.Execute()) return false;
    try {
        D_.Save(Dlg.FileName(), Format);
    } catch (const std::exception& E) {
        Report(E);
        return false;
    }
    Refresh();
    return true;
}

void TDesignerWindow::Undo() {
    D_.Undo();
    Refresh();
}

void TDesignerWindow::CopySelection() {
    // The keys are the inspector's while a value is being typed.
    if (auto* E = Cast<TCustomEdit>(ActiveControl()); E && E->Focused()) {
        E->CopyToClipboard();
        return;
    }
    std::string Text = D_.SelectionAsText();
    if (!Text.empty()) Clipboard().SetAsText(Text);
}

void TDesignerWindow::PasteClipboard() {
    if (auto* E = Cast<TCustomEdit>(ActiveControl()); E && E->Focused()) {
        E->PasteFromClipboard();
        return;
    }
    try {
        D_.PasteText(Clipboard().AsText());
    } catch (const std::exception& E) {
        Report(E);
    }
    Refresh();
}

void TDesignerWindow::DeleteSelection() {
    D_.DeleteSelection();
    Refresh();
}

} // namespace qel::designer
