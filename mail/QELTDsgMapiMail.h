#pragma once
// The designer's window for the messages and attachments of a MAPI mail component, and the
// inspector editors that open it. Selecting a line selects the message or attachment in
// the inspector, where its properties are edited.
#include "toolkit/core/Export.h"
#include "toolkit/designer/DesignIntf.h"
#include "toolkit/designer/PropEdit.h"

QEL_PUBLIC_BEGIN

namespace qel {

class TButton;
class TListBox;
class TOpenDialog;
class TSaveDialog;
class TSpeedButton;
class TQELMapiMail;
class TQELMapiMessage;
class TQELMapiMessages;
class TQELMapiAttachment;

class TMapiMailConfig : public TDesignWindow {
    QEL_CLASS(TMapiMailConfig, TDesignWindow)
  public:
    // Built from its form resource; without owner, it frees itself when closed, after it has
    // selected the component and marked the form modified.
    explicit TMapiMailConfig(TComponent* AOwner);
    ~TMapiMailConfig() override;

    // Loads the window for Messages; Designer is the one of the form that holds the component.
    void Load(TQELMapiMessages* Messages, TDesigner* Designer);
    TQELMapiMessages* Messages() const { return FMessages; }
    TQELMapiMail* MailComponent() const;

    TListBox* ListBox1() const;
    TListBox* ListBox2() const;
    TButton* Button(int N) const;           // Button1 … Button5
    TSpeedButton* SpeedButton(int N) const; // SpeedButton1 … SpeedButton3
    TOpenDialog* OpenDialog1() const;
    TSaveDialog* SaveDialog1() const;

    void ListBox1Click(TObject* Sender);
    void ListBox1MouseDown(TObject* Sender, TMouseButton Button, TShiftState Shift, int X, int Y);
    void ListBox2MouseDown(TObject* Sender, TMouseButton Button, TShiftState Shift, int X, int Y);
    void Button1Click(TObject* Sender); // delete the message
    void Button2Click(TObject* Sender); // add a message
    void Button3Click(TObject* Sender); // add an attachment
    void Button4Click(TObject* Sender); // delete the attachment
    void SpeedButton1Click(TObject* Sender);
    void SpeedButton2Click(TObject* Sender);
    void SpeedButton3Click(TObject* Sender);
    void FormClose(TObject* Sender, TCloseAction& Action);
    void FormActivate(TObject* Sender);

    void DesignerClosed() override;
    void Notification(TComponent* AComponent, TOperation Operation) override;

  private:
    friend void ConfigureMapiMail(TQELMapiMessages* Messages, TDesigner* Designer);
    TQELMapiMessage* SelectedMessage() const;
    TQELMapiAttachment* SelectedAttachment() const;
    void FillAttachments();
    void SelectInInspector(TPersistent* P);
    void Changed();

    TQELMapiMessages* FMessages = nullptr;
    // Kept apart from the collection: when the component is freed, its collection is gone
    // before the component's notification reaches this window.
    TQELMapiMail* FMail = nullptr;
};

// The open window, nullptr when none is open.
TMapiMailConfig* MapiMailConfig();
// Opens the window (or brings the open one to the front) and loads it for Messages.
void ConfigureMapiMail(TQELMapiMessages* Messages, TDesigner* Designer);

// "Messages" of the MAPI mail component.
class TQELMapiProperty : public TClassProperty {
  public:
    using TClassProperty::TClassProperty;
    TPropertyAttributes GetAttributes() const override;
    void GetProperties(const TGetPropEditProc&) const override {}
    void Edit() override;
};

// "Attachments" of a message: edited in the window only.
class TQELMapiAttachmentProperty : public TClassProperty {
  public:
    using TClassProperty::TClassProperty;
    TPropertyAttributes GetAttributes() const override;
    void GetProperties(const TGetPropEditProc&) const override {}
    // Brings the open window to the front, or says where attachments are configured.
    void Edit() override;
};

} // namespace qel

QEL_PUBLIC_END
