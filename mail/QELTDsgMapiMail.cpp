#include "mail/QELTDsgMapiMail.h"

#include "mail/QELTDsgInetMail.h"
#include "mail/QELTMapiMail.h"
#include "toolkit/controls/Buttons.h"
#include "toolkit/controls/Dialogs.h"
#include "toolkit/controls/FileDialogs.h"
#include "toolkit/controls/ListBox.h"
#include "toolkit/controls/StdCtrls.h"
#include "toolkit/core/Exceptions.h"

namespace qel {

namespace {
TMapiMailConfig* Instance = nullptr;
constexpr const char* kCaption = "Outgoing Message";

template <class T> T* Part(const TComponent* Form, const std::string& Name) {
    auto* C = Cast<T>(Form->FindComponent(Name));
    if (!C) throw EComponentError("The mail messages resource lacks " + Name);
    return C;
}
} // namespace

static void DescribeMapiMailConfig(TClassBuilder<TMapiMailConfig>& B) {
    using T = TMapiMailConfig;
    B.Method("ListBox1Click", &T::ListBox1Click);
    B.Method("ListBox1MouseDown", &T::ListBox1MouseDown);
    B.Method("ListBox2MouseDown", &T::ListBox2MouseDown);
    B.Method("Button1Click", &T::Button1Click);
    B.Method("Button2Click", &T::Button2Click);
    B.Method("Button3Click", &T::Button3Click);
    B.Method("Button4Click", &T::Button4Click);
    B.Method("SpeedButton1Click", &T::SpeedButton1Click);
    B.Method("SpeedButton2Click", &T::SpeedButton2Click);
    B.Method("SpeedButton3Click", &T::SpeedButton3Click);
    B.Method("FormClose", &T::FormClose);
    B.Method("FormActivate", &T::FormActivate);
}
QEL_IMPLEMENT_CLASS(TMapiMailConfig, TDesignWindow, DescribeMapiMailConfig)

TMapiMailConfig::TMapiMailConfig(TComponent* AOwner) : TDesignWindow(AOwner) {
    if (!InitComponentFromResource(this))
        throw EComponentError("Resource TMapiMailConfig not found");
    // The list box publishes no mouse events, so its form file cannot bind these.
    ListBox1()->OnMouseDown = [this](TObject* S, TMouseButton B, TShiftState Sh, int X, int Y) {
        ListBox1MouseDown(S, B, Sh, X, Y);
    };
    ListBox2()->OnMouseDown = [this](TObject* S, TMouseButton B, TShiftState Sh, int X, int Y) {
        ListBox2MouseDown(S, B, Sh, X, Y);
    };
}

TMapiMailConfig::~TMapiMailConfig() {
    if (TQELMapiMail* M = MailComponent()) M->RemoveFreeNotification(this);
    ListBox1()->Items()->Clear();
    ListBox2()->Items()->Clear();
    if (Instance == this) Instance = nullptr;
}

TMapiMailConfig* MapiMailConfig() {
    return Instance;
}

TListBox* TMapiMailConfig::ListBox1() const {
    return Part<TListBox>(this, "ListBox1");
}
TListBox* TMapiMailConfig::ListBox2() const {
    return Part<TListBox>(this, "ListBox2");
}
TButton* TMapiMailConfig::Button(int N) const {
    return Part<TButton>(this, "Button" + std::to_string(N));
}
TSpeedButton* TMapiMailConfig::SpeedButton(int N) const {
    return Part<TSpeedButton>(this, "SpeedButton" + std::to_string(N));
}
TOpenDialog* TMapiMailConfig::OpenDialog1() const {
    return Part<TOpenDialog>(this, "OpenDialog1");
}
TSaveDialog* TMapiMailConfig::SaveDialog1() const {
    return Part<TSaveDialog>(this, "SaveDialog1");
}

TQELMapiMail* TMapiMailConfig::MailComponent() const {
    return FMail;
}

void TMapiMailConfig::Load(TQELMapiMessages* Messages, TDesigner* Designer) {
    if (TQELMapiMail* Old = MailComponent(); Old && Old != Messages->Mail())
        Old->RemoveFreeNotification(this);
    FMessages = Messages;
    FMail = Messages->Mail();
    if (FMail) FMail->FreeNotification(this);
    ListBox1()->Items()->Clear();
    ListBox2()->Items()->Clear();
    Button(2)->SetEnabled(true);
    Button(5)->SetVisible(false);
    SetDesigner(Designer);
    for (int I = 0; I < FMessages->Count(); ++I)
        ListBox1()->Items()->Add(kCaption);
    SpeedButton(2)->SetEnabled(FMessages->Count() > 0);
    if (FMessages->Count() > 0) {
        ListBox1()->SetItemIndex(0);
        FillAttachments();
    }
}

TQELMapiMessage* TMapiMailConfig::SelectedMessage() const {
    const int I = ListBox1()->ItemIndex();
    if (!FMessages || I < 0 || I >= FMessages->Count()) return nullptr;
    return FMessages->GetQELMapiMessage(I);
}

TQELMapiAttachment* TMapiMailConfig::SelectedAttachment() const {
    TQELMapiMessage* M = SelectedMessage();
    const int I = ListBox2()->ItemIndex();
    if (!M || I < 0 || I >= M->Attachments()->Count()) return nullptr;
    return M->Attachments()->GeTQELMapiAttachment(I);
}

void TMapiMailConfig::FillAttachments() {
    TStrings* L = ListBox2()->Items();
    L->Clear();
    if (TQELMapiMessage* M = SelectedMessage())
        for (int I = 0; I < M->Attachments()->Count(); ++I)
            L->Add(M->Attachments()->GeTQELMapiAttachment(I)->Filename());
}

void TMapiMailConfig::SelectInInspector(TPersistent* P) {
    if (Designer()) Designer()->SelectComponent(P);
}

void TMapiMailConfig::Changed() {
    if (Designer()) Designer()->Modified();
}

void TMapiMailConfig::ListBox1Click(TObject*) {
    FillAttachments();
}

void TMapiMailConfig::ListBox1MouseDown(TObject*, TMouseButton Button, TShiftState, int, int) {
    if (Button == mbRight) return;
    if (TQELMapiMessage* M = SelectedMessage())
        SelectInInspector(M);
    else
        SelectInInspector(MailComponent());
}

void TMapiMailConfig::ListBox2MouseDown(TObject* Sender, TMouseButton Button, TShiftState Shift,
                                        int X, int Y) {
    if (Button == mbRight) return;
    if (TQELMapiAttachment* A = SelectedAttachment())
        SelectInInspector(A);
    else
        ListBox1MouseDown(Sender, Button, Shift, X, Y);
}

void TMapiMailConfig::Button2Click(TObject*) {
    if (!FMessages) return;
    TQELMapiMessage* M = FMessages->Add();
    ListBox1()->Items()->Add(kCaption);
    ListBox1()->SetItemIndex(ListBox1()->Items()->Count() - 1);
    FillAttachments();
    SelectInInspector(M);
    SpeedButton(2)->SetEnabled(true);
    Changed();
}

void TMapiMailConfig::Button1Click(TObject*) {
    TQELMapiMessage* M = SelectedMessage();
    if (!M) return;
    const int I = ListBox1()->ItemIndex();
    if (Designer()) {
        for (int A = 0; A < M->Attachments()->Count(); ++A)
            Designer()->ItemDeleted(M->Attachments()->GeTQELMapiAttachment(A));
        Designer()->ItemDeleted(M);
    }
    if (!FMessages->Delete(I)) return; // refused and shown; the list still matches
    ListBox1()->Items()->Delete(I);
    ListBox2()->Items()->Clear();
    ListBox1()->SetItemIndex(ListBox1()->Items()->Count() > 0 ? 0 : -1);
    FillAttachments();
    if (TQELMapiMessage* First = SelectedMessage())
        SelectInInspector(First);
    else
        SelectInInspector(MailComponent());
    SpeedButton(2)->SetEnabled(FMessages->Count() > 0);
    Changed();
}

void TMapiMailConfig::Button3Click(TObject*) {
    TQELMapiMessage* M = SelectedMessage();
    if (!M || !OpenDialog1()->Execute()) return;
    TQELMapiAttachment* A = M->Attachments()->Add(OpenDialog1()->FileName());
    ListBox2()->Items()->Add(A->Filename());
    ListBox2()->SetItemIndex(ListBox2()->Items()->Count() - 1);
    SelectInInspector(A);
    Changed();
}

void TMapiMailConfig::Button4Click(TObject*) {
    TQELMapiMessage* M = SelectedMessage();
    TQELMapiAttachment* A = SelectedAttachment();
    if (!A) return;
    const int I = ListBox2()->ItemIndex();
    if (Designer()) Designer()->ItemDeleted(A);
    M->Attachments()->Delete(I);
    ListBox2()->Items()->Delete(I);
    ListBox2()->SetItemIndex(ListBox2()->Items()->Count() > 0 ? 0 : -1);
    if (TQELMapiAttachment* First = SelectedAttachment())
        SelectInInspector(First);
    else
        SelectInInspector(M);
    Changed();
}

void TMapiMailConfig::SpeedButton1Click(TObject*) {
    SelectInInspector(MailComponent());
}

void TMapiMailConfig::SpeedButton2Click(TObject*) {
    // A handler may free the component (and so this window): nothing is touched afterwards.
    if (TQELMapiMail* M = MailComponent()) M->Execute();
}

void TMapiMailConfig::SpeedButton3Click(TObject*) {
    Close();
}

void TMapiMailConfig::FormActivate(TObject*) {
    SelectInInspector(MailComponent());
}

void TMapiMailConfig::FormClose(TObject*, TCloseAction& Action) {
    if (Instance == this) Instance = nullptr;
    Action = caFree;
    try {
        SelectInInspector(MailComponent());
        Changed();
    } catch (const std::exception& E) {
        Application->HandleException(this, E);
    }
}

void TMapiMailConfig::DesignerClosed() {
    if (Instance == this) Instance = nullptr;
    Release();
}

void TMapiMailConfig::Notification(TComponent* AComponent, TOperation Operation) {
    TDesignWindow::Notification(AComponent, Operation);
    if (Operation != opRemove || !FMail || AComponent != FMail) return;
    FMessages = nullptr;
    FMail = nullptr;
    ListBox1()->Items()->Clear();
    ListBox2()->Items()->Clear();
    if (Instance == this) Instance = nullptr;
    Release();
}

void ConfigureMapiMail(TQELMapiMessages* Messages, TDesigner* Designer) {
    if (!Messages) return;
    if (Instance)
        Instance->BringToFront();
    else
        Instance = new TMapiMailConfig(nullptr);
    Instance->Load(Messages, Designer);
    Instance->Show();
    if (TQELMapiMessage* M = Instance->SelectedMessage())
        Instance->SelectInInspector(M);
    else
        Instance->SelectInInspector(Instance->MailComponent());
}

TPropertyAttributes TQELMapiProperty::GetAttributes() const {
    return {paDialog, paReadOnly};
}

void TQELMapiProperty::Edit() {
    ConfigureMapiMail(Cast<TQELMapiMessages>(GetObjValue()), Designer());
}

TPropertyAttributes TQELMapiAttachmentProperty::GetAttributes() const {
    return {paDialog, paReadOnly};
}

void TQELMapiAttachmentProperty::Edit() {
    if (TMapiMailConfig* W = MapiMailConfig())
        W->BringToFront();
    else
        ShowMessage(SAttachmentsInDesignEditor);
}

} // namespace qel
