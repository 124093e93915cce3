#pragma once
// Message boxes: ShowMessage and MessageDlg. Their layout is the form file
// resources/TMessageForm.dfm, embedded in the toolkit and read by class name; the buttons are
// added from the requested set.
//
// Tests answer dialogs without a display in two ways: DialogShownHook runs with every toolkit
// dialog just after it shows, inside its modal loop, so a test can inject keys and clicks or
// set the dialog's ModalResult; MessageDlgAnswerHook answers MessageDlg without showing anything.
#include "toolkit/controls/Forms.h"
#include "toolkit/core/Export.h"

#include <functional>
#include <optional>
#include <string>

QEL_PUBLIC_BEGIN

namespace qel {

enum TMsgDlgType { mtWarning, mtError, mtInformation, mtConfirmation, mtCustom };
QEL_ENUM_INFO(TMsgDlgType, "mtWarning", "mtError", "mtInformation", "mtConfirmation", "mtCustom")
enum TMsgDlgBtn {
    mbYes,
    mbNo,
    mbOK,
    mbCancel,
    mbAbort,
    mbRetry,
    mbIgnore,
    mbAll,
    mbNoToAll,
    mbYesToAll,
    mbHelp
};
QEL_ENUM_INFO(TMsgDlgBtn, "mbYes", "mbNo", "mbOK", "mbCancel", "mbAbort", "mbRetry", "mbIgnore",
              "mbAll", "mbNoToAll", "mbYesToAll", "mbHelp")
using TMsgDlgButtons = TSet<TMsgDlgBtn>;
inline const TMsgDlgButtons mbYesNoCancel{mbYes, mbNo, mbCancel};
inline const TMsgDlgButtons mbOKCancel{mbOK, mbCancel};
inline const TMsgDlgButtons mbAbortRetryIgnore{mbAbort, mbRetry, mbIgnore};

// The toolkit's resource strings for its dialogs.
namespace DialogStrings {
inline constexpr const char* SMsgDlgWarning = "Warning";
inline constexpr const char* SMsgDlgError = "Error";
inline constexpr const char* SMsgDlgInformation = "Information";
inline constexpr const char* SMsgDlgConfirm = "Confirm";
inline constexpr const char* SMsgDlgYes = "&Yes";
inline constexpr const char* SMsgDlgNo = "&No";
inline constexpr const char* SMsgDlgOK = "OK";
inline constexpr const char* SMsgDlgCancel = "Cancel";
inline constexpr const char* SMsgDlgAbort = "&Abort";
inline constexpr const char* SMsgDlgRetry = "&Retry";
inline constexpr const char* SMsgDlgIgnore = "&Ignore";
inline constexpr const char* SMsgDlgAll = "&All";
inline constexpr const char* SMsgDlgNoToAll = "N&o to All";
inline constexpr const char* SMsgDlgYesToAll = "Yes to &All";
inline constexpr const char* SMsgDlgHelp = "&Help";
inline constexpr const char* SDeleteRecordQuestion = "Delete record?";
inline constexpr const char* SOverwriteFileQuestion =
    "%s already exists.\nDo you want to replace it?";
} // namespace DialogStrings

// The message box form; its layout comes from its form resource.
class TMessageForm : public TForm {
    QEL_CLASS(TMessageForm, TForm)
  public:
    explicit TMessageForm(TComponent* AOwner);
    TMsgDlgType DlgType() const { return DlgType_; }

  private:
    friend TForm* CreateMessageDialog(const std::string&, TMsgDlgType, TMsgDlgButtons);
    TMsgDlgType DlgType_ = mtCustom;
};

// Reads the form resource named after Root's class (searching every module) into Root; false
// when there is none.
bool InitComponentFromResource(TComponent* Root);

// The dialog MessageDlg shows; the caller owns it. Buttons are named after the enumeration
// without its prefix ("Yes", "Cancel" …).
TForm* CreateMessageDialog(const std::string& Msg, TMsgDlgType DlgType, TMsgDlgButtons Buttons);
int MessageDlg(const std::string& Msg, TMsgDlgType DlgType, TMsgDlgButtons Buttons,
               int HelpCtx = 0);
// X, Y: screen position of the dialog; -1 centres it.
int MessageDlgPos(const std::string& Msg, TMsgDlgType DlgType, TMsgDlgButtons Buttons, int HelpCtx,
                  int X, int Y);
void ShowMessage(const std::string& Msg);
// The result a button stands for.
int ModalResultOf(TMsgDlgBtn Button);

using TDialogShownHook = std::function<void(TCustomForm* Dialog)>;
using TMessageDlgAnswerHook = std::function<std::optional<int>(
    const std::string& Msg, TMsgDlgType DlgType, TMsgDlgButtons Buttons)>;
// Both return the hook they replace.
TDialogShownHook SetDialogShownHook(TDialogShownHook Hook);
TMessageDlgAnswerHook SetMessageDlgAnswerHook(TMessageDlgAnswerHook Hook);
// Shows Dialog modally and runs the shown hook once it is up; what every toolkit dialog uses.
int ExecuteDialog(TCustomForm* Dialog);

} // namespace qel

QEL_PUBLIC_END
