#pragma once
// The designer's main window: the menu, the component palette along the top, the object
// inspector on the left and the form being designed in the rest. It is a view and controller
// over the designer's model, which the caller owns and which must outlive the window. The
// title names the file and marks unsaved work; closing with unsaved work asks first.
#include "FormDesigner.h"
#include "toolkit/controls/Forms.h"

#include <string>

namespace qel {
class TMainMenu;
class TMenuItem;
} // namespace qel

namespace qel::designer {

class TPaletteView;
class TFormSurface;
class TPropertyGrid;

class TDesignerWindow : public TForm {
  public:
    explicit TDesignerWindow(TFormDesigner& D);
    ~TDesignerWindow() override;

    TFormDesigner& Designer() const { return D_; }
    TPaletteView* Palette() const { return Palette_; }
    TFormSurface* Surface() const { return Surface_; }
    TPropertyGrid* Inspector() const { return Inspector_; }
    TMainMenu* Menu() const { return Menu_; }
    // A menu command by its caption without the accelerator mark ("Save", "Undo").
    TMenuItem* Command(const std::string& Caption) const;

    // The question before unsaved work is lost: Yes saves (asking for a file name when there
    // is none), No discards; false when the user cancelled, or the save did not happen.
    bool ConfirmClose();

    // The menu's commands.
    void NewForm();
    void OpenForm();
    void OpenForm(const std::string& FileName);
    bool SaveForm();
    bool SaveFormAs(TFormFormat Format);
    void Undo();
    void CopySelection();
    void PasteClipboard();
    void DeleteSelection();
    void Quit() { Close(); }

    // After every change: the title, the handles and the inspector follow the model.
    void Refresh();

  private:
    void BuildMenu();
    void ShowMessages();
    void Report(const std::exception& E);

    TFormDesigner& D_;
    TMainMenu* Menu_ = nullptr;
    TPaletteView* Palette_ = nullptr;
    TFormSurface* Surface_ = nullptr;
    TPropertyGrid* Inspector_ = nullptr;
};

} // namespace qel::designer
