#include "PropertyGrid.h"

#include "toolkit/controls/ComboBox.h"
#include "toolkit/controls/Dialogs.h"
#include "toolkit/controls/Edit.h"
#include "toolkit/controls/ListBox.h"
#include "toolkit/controls/StdCtrls.h"
#include "toolkit/core/NameUtils.h"
#include "toolkit/designer/DesignRegistry.h"
#include "toolkit/graphics/Canvas.h"
#include "toolkit/platform/Window.h"

namespace qel::designer {

namespace {

constexpr int NameWidth = 120;
constexpr int DotsWidth = 20;
// Sub-objects of sub-objects are shown; deeper levels are rare and only make the list long.
constexpr int MaxDepth = 2;

} // namespace

TPropertyGrid::TPropertyGrid(TComponent* AOwner, TFormDesigner& D) : TCustomControl(AOwner), D_(D) {
    List_ = new TListBox(this);
    List_->SetParent(this);
    // Two columns: the name, and the value where the editor opens.
    List_->SetStyle(lbOwnerDrawFixed);
    List_->OnDrawItem = [this](TWinControl*, int Index, TRect Rect, TOwnerDrawState) {
        TCanvas* C = List_->Canvas();
        C->FillRect(Rect);
        if (Index < 0 || Index >= RowCount()) return;
        const TRow& R = Rows_[static_cast<std::size_t>(Index)];
        C->TextRect({Rect.Left, Rect.Top, Rect.Left + NameWidth - 2, Rect.Bottom}, Rect.Left + 2,
                    Rect.Top, List_->Items()->Strings(Index));
        if (R.Heading) return;
        C->TextOut(Rect.Left + NameWidth + 2, Rect.Top, R.Value);
        C->Pen()->SetColor(clBtnShadow);
        C->MoveTo(Rect.Left + NameWidth - 1, Rect.Top);
        C->LineTo(Rect.Left + NameWidth - 1, Rect.Bottom);
    };
    List_->OnClick = [this](TObject*) {
        int I = List_->ItemIndex();
        Chosen_ = I >= 0 && I < RowCount() ? Rows_[static_cast<std::size_t>(I)].Path : "";
        ShowEditor();
    };
    Edit_ = new TEdit(this);
    Edit_->SetParent(this);
    Edit_->SetVisible(false);
    Edit_->OnKeyDown = [this](TObject*, WORD& Key, TShiftState) {
        if (Key == VK_RETURN) {
            Key = 0;
            Apply();
        } else if (Key == VK_ESCAPE) {
            Key = 0;
            ShowEditor();
        }
    };
    Choice_ = new TComboBox(this);
    Choice_->SetParent(this);
    Choice_->SetStyle(csDropDownList);
    Choice_->SetVisible(false);
    Choice_->OnSelect = [this](TObject*) { Apply(); };
    Dots_ = new TButton(this);
    Dots_->SetParent(this);
    Dots_->SetCaption("...");
    Dots_->SetVisible(false);
    Dots_->OnClick = [this](TObject*) { RunDialog(); };
}

void TPropertyGrid::BoundsChanged() {
    TCustomControl::BoundsChanged();
    List_->SetBounds(0, 0, Width(), Height());
    ShowEditor();
}

void TPropertyGrid::AddRows(TPropertyEditor& E, const std::string& Prefix, int Depth) {
    TPropertyAttributes A = E.GetAttributes();
    TRow R;
    R.Path = Prefix + E.GetName();
    R.Value = E.AllEqual() ? E.GetValue() : std::string();
    R.Depth = Depth;
    R.Editable = !A.Contains(paReadOnly);
    R.List = A.Contains(paValueList);
    R.Dialog = A.Contains(paDialog);
    if (R.List) R.Values = E.ValueList();
    Rows_.push_back(R);
    if (A.Contains(paSubProperties) && Depth < MaxDepth)
        E.GetProperties(
            [&](std::unique_ptr<TPropertyEditor> Sub) { AddRows(*Sub, R.Path + ".", Depth + 1); });
}

void TPropertyGrid::Refresh() {
    Rows_.clear();
    for (bool Events : {false, true}) {
        if (Events) {
            TRow H;
            H.Path = "Events";
            H.Heading = true;
            H.Editable = false;
            Rows_.push_back(H);
        }
        GetComponentProperties(&D_, D_.Selections(), Events,
                               [&](std::unique_ptr<TPropertyEditor> E) { AddRows(*E, "", 0); });
    }
    List_->Items()->Clear();
    int Keep = -1;
    for (std::size_t I = 0; I < Rows_.size(); ++I) {
        const TRow& R = Rows_[I];
        std::string Name = std::string(static_cast<std::size_t>(R.Depth) * 2, ' ') +
                           (R.Depth ? R.Path.substr(R.Path.rfind('.') + 1) : R.Path);
        List_->Items()->Add(R.Heading ? "-- " + R.Path + " --" : Name);
        if (!Chosen_.empty() && SameText(R.Path, Chosen_) && !R.Heading) Keep = static_cast<int>(I);
    }
    List_->SetItemIndex(Keep);
    if (Keep < 0) Chosen_.clear();
    ShowEditor();
}

bool TPropertyGrid::SelectRow(const std::string& Path) {
    for (std::size_t I = 0; I < Rows_.size(); ++I)
        if (!Rows_[I].Heading && SameText(Rows_[I].Path, Path)) {
            Chosen_ = Rows_[I].Path;
            List_->SetItemIndex(static_cast<int>(I));
            ShowEditor();
            return true;
        }
    return false;
}

const std::string& TPropertyGrid::SelectedPath() const {
    return Chosen_;
}

std::string TPropertyGrid::RowValue(const std::string& Path) const {
    for (const TRow& R : Rows_)
        if (SameText(R.Path, Path)) return R.Value;
    return {};
}

void TPropertyGrid::ShowEditor() {
    const TRow* R = nullptr;
    int Index = List_->ItemIndex();
    if (Index >= 0 && Index < RowCount() && Rows_[static_cast<std::size_t>(Index)].Path == Chosen_)
        R = &Rows_[static_cast<std::size_t>(Index)];
    bool UseList = R && R->List && R->Editable, UseEdit = R && !R->Heading && !UseList;
    // Over the value half of the chosen row, so the value is edited where it is shown.
    int Y = R ? (Index - List_->TopIndex()) * List_->ItemHeight() + 2 : 0;
    int W = Width() - NameWidth - 4 - (R && R->Dialog ? DotsWidth : 0);
    int H = List_->ItemHeight() + 4;
    if (UseEdit) {
        Edit_->SetBounds(NameWidth, Y, W, H);
        Edit_->SetText(R->Value);
        Edit_->SetReadOnly(!R->Editable);
        Edit_->BringToFront();
    }
    Edit_->SetVisible(UseEdit);
    if (UseList) {
        Choice_->SetBounds(NameWidth, Y, W, H);
        Choice_->Items()->Clear();
        for (const std::string& V : R->Values)
            Choice_->Items()->Add(V);
        Choice_->SetItemIndex(Choice_->Items()->IndexOf(R->Value));
        Choice_->BringToFront();
    }
    Choice_->SetVisible(UseList);
    if (R && R->Dialog) {
        Dots_->SetBounds(NameWidth + W, Y, DotsWidth, H);
        Dots_->BringToFront();
    }
    Dots_->SetVisible(R && R->Dialog);
}

void TPropertyGrid::Report(const std::exception& E) {
    MessageDlg(E.what(), mtError, {mbOK});
}

void TPropertyGrid::Apply() {
    if (Chosen_.empty()) return;
    std::string Value;
    if (Choice_->Visible()) {
        int I = Choice_->ItemIndex();
        if (I < 0) return;
        Value = Choice_->Items()->Strings(I);
    } else if (Edit_->Visible() && !Edit_->ReadOnly()) {
        Value = Edit_->Text();
    } else {
        return;
    }
    try {
        D_.SetProperty(Chosen_, Value);
    } catch (const std::exception& E) {
        Report(E);
    }
    Refresh();
    if (OnChanged) OnChanged();
}

void TPropertyGrid::RunDialog() {
    if (Chosen_.empty()) return;
    try {
        D_.EditProperty(Chosen_);
    } catch (const std::exception& E) {
        Report(E);
    }
    Refresh();
    if (OnChanged) OnChanged();
}

} // namespace qel::designer
