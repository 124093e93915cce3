#pragma once
// The form designer without its windows: the form being designed, the palette from the loaded
// packages, dropping, selecting, moving and sizing components, the object inspector's editors,
// component editor verbs, undo of the last change and the form files. The program's windows and
// its script mode both drive this.
#include "FormText.h"
#include "toolkit/controls/Forms.h"
#include "toolkit/core/FormFormat.h"
#include "toolkit/designer/DesignRegistry.h"

#include <functional>
#include <memory>
#include <string>
#include <vector>

namespace qel::designer {

class TFormDesigner : public TDesigner {
  public:
    TFormDesigner();
    ~TFormDesigner() override;

    TForm* Form() const { return Form_.get(); }
    // Messages of the last Open and of package loading, for the user.
    const std::vector<std::string>& Messages() const { return Messages_; }
    std::vector<std::string> TakeMessages();

    // ---- packages and palette
    void LoadPackages(const std::string& Folder);
    const TClass* PaletteClass(const std::string& ClassName) const;

    // ---- files
    void NewForm();
    // Reads a text or binary form. Classes no loaded package has are kept aside and named in
    // Messages(); throws the reader's error (the current form stays) for a broken file.
    void Open(const std::string& FileName);
    // Saves in the format the form was opened in (text for a new form) unless one is given.
    void Save(const std::string& FileName);
    void Save(const std::string& FileName, TFormFormat Format);
    const std::string& FileName() const { return FileName_; }
    // "qel-designer - Form1.dfm *": the file (or "Untitled") and a mark when modified.
    std::string Title() const;
    const std::vector<TKeptObject>& KeptObjects() const { return Kept_; }

    // ---- components
    // Drops a component of a palette class; controls go into Parent (the form when nullptr or
    // when Parent takes no controls) at the snapped position with their own size.
    TComponent* Drop(const std::string& ClassName, int X, int Y, TWinControl* Parent = nullptr);
    TComponent* Find(const std::string& Name) const { return GetComponent(Name); }
    void DeleteSelection();
    // Moves or sizes every selected control; snapping applies to mouse moves, not to keys.
    void MoveSelection(int DX, int DY);
    void SizeSelection(int DW, int DH);
    enum class TAlign { Lefts, Tops, Rights, Bottoms };
    void AlignSelection(TAlign How);
    int Grid() const { return Grid_; }
    void SetGrid(int G) { Grid_ = G > 0 ? G : 1; }
    int Snap(int V) const;

    // Copy and paste as form text (the clipboard holds the text).
    std::string SelectionAsText() const;
    void PasteText(const std::string& Text);

    // ---- inspector
    // The editor of a property of the selection by dotted path ("Font.Size", "Kinds.gkStar");
    // nullptr when the selection does not offer it.
    std::unique_ptr<TPropertyEditor> PropertyEditor(const std::string& Path);
    void SetProperty(const std::string& Path, const std::string& Value);
    std::string GetProperty(const std::string& Path);
    void EditProperty(const std::string& Path);
    std::vector<std::string> Verbs(TComponent* C);
    void ExecuteVerb(TComponent* C, int Index);
    // Double-click: the component editor's Edit.
    void EditComponent(TComponent* C);

    // ---- undo
    bool CanUndo() const { return !UndoText_.empty(); }
    void Undo();

    // ---- mouse and keys, in form client coordinates
    void MouseDown(int X, int Y, bool Shift);
    void MouseMove(int X, int Y);
    void MouseUp(int X, int Y);
    // Arrows move the selection by one pixel, with Shift they size it; Delete deletes it.
    bool KeyDown(int Key, bool Shift);
    // The palette class the next click on the form drops (cleared by the drop).
    void SetPendingDrop(const std::string& ClassName) { PendingDrop_ = ClassName; }
    const std::string& PendingDrop() const { return PendingDrop_; }

    void Modified() override;
    // A new form object took the old one's place (new, open, undo); the old one is gone.
    std::function<void()> OnFormReplaced;

  private:
    std::string FormText() const;
    void Replace(std::unique_ptr<TForm> F);
    void LoadFromText(const std::string& Text, bool AsUndo);
    TControl* ControlAt(int X, int Y) const;
    int SizeHandleAt(int X, int Y) const; // 0 none, else the selected control's bottom-right grip

    std::unique_ptr<TForm> Form_;
    std::vector<std::string> Messages_;
    std::vector<TKeptObject> Kept_;
    std::string RootClass_ = "TForm1";
    std::string FileName_;
    TFormFormat Format_ = TFormFormat::Text;
    int Grid_ = 8;
    std::string CurrentText_, UndoText_;
    std::vector<TKeptObject> CurrentKept_, UndoKept_;
    bool Restoring_ = false;
    // Mouse drag state.
    enum class TDrag { None, Move, Size } Drag_ = TDrag::None;
    int DragX_ = 0, DragY_ = 0, MovedX_ = 0, MovedY_ = 0;
    std::string PendingDrop_;
};

} // namespace qel::designer
