#pragma once
// The object inspector: the published properties and then the events of the selection, one
// row each, sub-objects and sets expanded under dotted names ("Font.Size"). The chosen row's
// value is edited in place: typed (Enter stores it), chosen from the editor's value list, or
// through its dialog with the "..." button. What the editors refuse is shown in a message.
#include "FormDesigner.h"
#include "toolkit/controls/Controls.h"

#include <functional>
#include <string>
#include <vector>

namespace qel {
class TListBox;
class TEdit;
class TComboBox;
class TButton;
} // namespace qel

namespace qel::designer {

class TPropertyGrid : public TCustomControl {
  public:
    TPropertyGrid(TComponent* AOwner, TFormDesigner& D);

    // Reads the selection's properties again, keeping the chosen row when it is still there.
    void Refresh();
    // Chooses the row of a property path; false when the selection has none.
    bool SelectRow(const std::string& Path);
    const std::string& SelectedPath() const;
    // The shown value of a row, for tests and the status line.
    std::string RowValue(const std::string& Path) const;
    int RowCount() const { return static_cast<int>(Rows_.size()); }

    TListBox* List() const { return List_; }
    TEdit* ValueEdit() const { return Edit_; }
    TComboBox* ValueChoice() const { return Choice_; }
    TButton* DialogButton() const { return Dots_; }

    // Stores the editor control's text in the chosen row's property.
    void Apply();
    // Runs the chosen row's dialog (the "..." button).
    void RunDialog();

    // After a property changed.
    std::function<void()> OnChanged;

  protected:
    void BoundsChanged() override;

  private:
    struct TRow {
        std::string Path, Value;
        int Depth = 0;
        bool Editable = true, List = false, Dialog = false, Heading = false;
        std::vector<std::string> Values;
    };
    void AddRows(TPropertyEditor& E, const std::string& Prefix, int Depth);
    void ShowEditor();
    void Report(const std::exception& E);

    TFormDesigner& D_;
    std::vector<TRow> Rows_;
    TListBox* List_;
    TEdit* Edit_;
    TComboBox* Choice_;
    TButton* Dots_;
    std::string Chosen_;
};

} // namespace qel::designer
