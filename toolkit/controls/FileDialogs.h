#pragma once
// Open and save dialogs: a file browser of the toolkit's own (folders, filter, default
// extension, overwrite prompt). The layout is the form file resources/TFileDialogForm.dfm.
// Execute returns true and sets FileName only when the user confirms, so a cancelled dialog
// leaves FileName as it was.
#include "toolkit/controls/Forms.h"
#include "toolkit/core/Export.h"

#include <string>
#include <vector>

QEL_PUBLIC_BEGIN

namespace qel {

enum TOpenOption { ofOverwritePrompt, ofFileMustExist, ofPathMustExist, ofNoChangeDir };
QEL_ENUM_INFO(TOpenOption, "ofOverwritePrompt", "ofFileMustExist", "ofPathMustExist",
              "ofNoChangeDir")
using TOpenOptions = TSet<TOpenOption>;

class TFileDialogForm : public TForm {
    QEL_CLASS(TFileDialogForm, TForm)
  public:
    explicit TFileDialogForm(TComponent* AOwner);
};

class TOpenDialog : public TComponent {
    QEL_CLASS(TOpenDialog, TComponent)
  public:
    explicit TOpenDialog(TComponent* AOwner);
    virtual bool Execute();
    const std::string& FileName() const { return FileName_; }
    void SetFileName(const std::string& V) { FileName_ = V; }
    // "Text files|*.txt|All files|*.*": description and patterns (";" between several).
    const std::string& Filter() const { return Filter_; }
    void SetFilter(const std::string& V) { Filter_ = V; }
    int FilterIndex() const { return FilterIndex_; }
    void SetFilterIndex(int V) { FilterIndex_ = V; }
    const std::string& DefaultExt() const { return DefaultExt_; }
    void SetDefaultExt(const std::string& V) { DefaultExt_ = V; }
    const std::string& InitialDir() const { return InitialDir_; }
    void SetInitialDir(const std::string& V) { InitialDir_ = V; }
    const std::string& Title() const { return Title_; }
    void SetTitle(const std::string& V) { Title_ = V; }
    TOpenOptions Options() const { return Options_; }
    void SetOptions(TOpenOptions V) { Options_ = V; }

    // Whether a file name matches a pattern list such as "*.txt;*.log" (case-insensitive).
    static bool MatchesMask(const std::string& Name, const std::string& Patterns);

  protected:
    bool Saving_ = false;

  private:
    std::string FileName_, Filter_, DefaultExt_, InitialDir_, Title_;
    int FilterIndex_ = 1;
    TOpenOptions Options_;
};

class TSaveDialog : public TOpenDialog {
    QEL_CLASS(TSaveDialog, TOpenDialog)
  public:
    explicit TSaveDialog(TComponent* AOwner) : TOpenDialog(AOwner) { Saving_ = true; }
};

} // namespace qel

QEL_PUBLIC_END
