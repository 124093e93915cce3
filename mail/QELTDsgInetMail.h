#pragma once
// The designer's window for the messages and attachments of an SMTP or POP3 component, and
// the inspector editors that open it. Selecting a line selects the message or attachment in
// the inspector, where its properties are edited.
#include "toolkit/core/Export.h"
#include "toolkit/designer/DesignIntf.h"
#include "toolkit/designer/PropEdit.h"

#include <string>

QEL_PUBLIC_BEGIN

namespace qel {

class TButton;
class TListBox;
class TOpenDialog;
class TSaveDialog;
class TSpeedButton;
class TQELMailHost;
class TQELMessage;
class TQELMessages;
class TQELAttachment;

class TInetMailConfig : public TDesignWindow {
    QEL_CLASS(TInetMailConfig, TDesignWindow)
  public:
    // Built from its form resource; without owner, it frees itself when closed.
    explicit TInetMailConfig(TComponent* AOwner);
    ~TInetMailConfig() override;

    // Loads the window for Messages (of an SMTP or a POP3 component) in that component's
    // layout; Designer is the one of the form that holds the component.
    void Load(TQELMessages* Messages, TDesigner* Designer);
    TQELMessages* Messages() const { return FMessages; }
    TQELMailHost* MailComponent() const;
    const std::string& MessageCaption() const { return FCaption; }

    TListBox* ListBox1() const;
    TListBox* ListBox2() const;
    TButton* Button(int N) const;           // Button1 … Button5
    TSpeedButton* SpeedButton(int N) const; // SpeedButton1 … SpeedButton4
    TOpenDialog* OpenDialog1() const;
    TSaveDialog* SaveDialog1() const;

    void ListBox1Click(TObject* Sender);
    void ListBox1MouseDown(TObject* Sender, TMouseButton Button, TShiftState Shift, int X, int Y);
    void ListBox2MouseDown(TObject* Sender, TMouseButton Button, TShiftState Shift, int X, int Y);
    void Button1Click(TObject* Sender); // delete the message
    void Button2Click(TObject* Sender); // add a message
    void Button3Click(TObject* Sender); // add an attachment
    void Button4Click(TObject* Sender); // delete the attachment
    void Button5Click(TObject* Sender); // save the attachment to a file
    void SpeedButton1Click(TObject* Sender);
    void SpeedButton2Click(TObject* Sender);
    void SpeedButton3Click(TObject* Sender);
    void SpeedButton4Click(TObject* Sender);
    void FormClose(TObject* Sender, TCloseAction& Action);

    void DesignerClosed() override;
    void Notification(TComponent* AComponent, TOperation Operation) override;

  private:
    TQELMessage* SelectedMessage() const;
    TQELAttachment* SelectedAttachment() const;
    void FillAttachments();
    void SelectInInspector(TPersistent* P);
    void Changed();

    TQELMessages* FMessages = nullptr;
    // Kept apart from the collection: when the component is freed, its collection is gone
    // before the component's notification reaches this window.
    TQELMailHost* FHost = nullptr;
    std::string FCaption;
};

// The open window, nullptr when none is open.
TInetMailConfig* InetMailConfig();
// Opens the window (or brings the open one to the front) and loads it for Messages.
void ConfigureInetMail(TQELMessages* Messages, TDesigner* Designer);

// "Messages" of the SMTP and POP3 components.
class TQELInetProperty : public TClassProperty {
  public:
    using TClassProperty::TClassProperty;
    TPropertyAttributes GetAttributes() const override;
    void GetProperties(const TGetPropEditProc&) const override {}
    void Edit() override;
};

// "Attachments" of a message: edited in the window only.
class TQELAttachmentProperty : public TClassProperty {
  public:
    using TClassProperty::TClassProperty;
    TPropertyAttributes GetAttributes() const override;
    void GetProperties(const TGetPropEditProc&) const override {}
    // Brings the open window to the front, or says where attachments are configured.
    void Edit() override;
};

// The message the attachment editors show when no window is open.
inline constexpr const char* SAttachmentsInDesignEditor =
    "Attachments are configured using the Messages Design Editor";

} // namespace qel

QEL_PUBLIC_END
