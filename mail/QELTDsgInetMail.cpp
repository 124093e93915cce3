#include "mail/QELTDsgInetMail.h"

#include "mail/QELTIEmails.h"
#include "toolkit/controls/Buttons.h"
#include "toolkit/controls/Dialogs.h"
#include "toolkit/controls/FileDialogs.h"
#include "toolkit/controls/ListBox.h"
#include "toolkit/controls/StdCtrls.h"
#include "toolkit/core/Exceptions.h"

namespace qel {

namespace {
TInetMailConfig* Instance = nullptr;

template <class T> T* Part(const TComponent* Form, const std::string& Name) {
    auto* C = Cast<T>(Form->FindComponent(Name));
    if (!C) throw EComponentError("The mail messages resource lacks " + Name);
    return C;
}
} // namespace

static void DescribeInetMailConfig(TClassBuilder<TInetMailConfig>& B) {
    using T = TInetMailConfig;
    B.Method("ListBox1Click", &T::ListBox1Click);
    B.Method("ListBox1MouseDown", &T::ListBox1MouseDown);
    B.Method("ListBox2MouseDown", &T::ListBox2MouseDown);
    B.Method("Button1Click", &T::Button1Click);
    B.Method("Button2Click", &T::Button2Click);
    B.Method("Button3Click", &T::Button3Click);
    B.Method("Button4Click", &T::Button4Click);
    B.Method("Button5Click", &T::Button5Click);
    B.Method("SpeedButton1Click", &T::SpeedButton1Click);
    B.Method("SpeedButton2Click", &T::SpeedButton2Click);
    B.Method("SpeedButton3Click", &T::SpeedButton3Click);
    B.Method("SpeedButton4Click", &T::SpeedButton4Click);
    B.Method("FormClose", &T::FormClose);
}
QEL_IMPLEMENT_CLASS(TInetMailConfig, TDesignWindow, DescribeInetMailConfig)

TInetMailConfig::TInetMailConfig(TComponent* AOwner) : TDesignWindow(AOwner) {
    if (!InitComponentFromResource(this))
        throw EComponentError("Resource TInetMailConfig not found");
    // The list box publishes no mouse events, so its form file cannot bind these.
    ListBox1()->OnMouseDown = [this](TObject* S, TMouseButton B, TShiftState Sh, int X, int Y) {
        ListBox1MouseDown(S, B, Sh, X, Y);
    };
    ListBox2()->OnMouseDown = [this](TObject* S, TMouseButton B, TShiftState Sh, int X, int Y) {
        ListBox2MouseDown(S, B, Sh, X, Y);
    };
}

TInetMailConfig::~TInetMailConfig() {
    if (TQELMailHost* H = MailComponent()) H->RemoveFreeNotification(this);
    ListBox1()->Items()->Clear();
    ListBox2()->Items()->Clear();
    if (Instance == this) Instance = nullptr;
}

TInetMailConfig* InetMailConfig() {
    return Instance;
}

TListBox* TInetMailConfig::ListBox1() const {
    return Part<TListBox>(this, "ListBox1");
}
TListBox* TInetMailConfig::ListBox2() const {
    return Part<TListBox>(this, "ListBox2");
}
TButton* TInetMailConfig::Button(int N) const {
    return Part<TButton>(this, "Button" + std::to_string(N));
}
TSpeedButton* TInetMailConfig::SpeedButton(int N) const {
    return Part<TSpeedButton>(this, "SpeedButton" + std::to_string(N));
}
TOpenDialog* TInetMailConfig::OpenDialog1() const {
    return Part<TOpenDialog>(this, "OpenDialog1");
}
TSaveDialog* TInetMailConfig::SaveDialog1() const {
    return Part<TSaveDialog>(this, "SaveDialog1");
}

TQELMailHost* TInetMailConfig::MailComponent() const {
    return FHost;
}

void TInetMailConfig::Load(TQELMessages* Messages, TDesigner* Designer) {
    if (TQELMailHost* Old = MailComponent(); Old && Old != Messages->Host())
        Old->RemoveFreeNotification(this);
    FMessages = Messages;
    FHost = Messages->Host();
    // The window must hear when its component goes, or it would edit a freed collection.
    if (FHost) FHost->FreeNotification(this);
    ListBox1()->Items()->Clear();
    ListBox2()->Items()->Clear();
    const bool Pop = Cast<TQELPOPMail>(MailComponent()) != nullptr;
    Button(2)->SetEnabled(!Pop);
    SpeedButton(1)->SetVisible(!Pop);
    SpeedButton(4)->SetVisible(Pop);
    SpeedButton(2)->SetVisible(!Pop);
    Button(5)->SetVisible(Pop);
    FCaption = Pop ? "Incoming Message" : "Outgoing Message";
    SetDesigner(Designer);
    for (int I = 0; I < FMessages->Count(); ++I)
        ListBox1()->Items()->Add(FCaption);
    SpeedButton(2)->SetEnabled(FMessages->Count() > 0);
    if (FMessages->Count() > 0) {
        ListBox1()->SetItemIndex(0);
        FillAttachments();
    }
}

TQELMessage* TInetMailConfig::SelectedMessage() const {
    const int I = ListBox1()->ItemIndex();
    if (!FMessages || I < 0 || I >= FMessages->Count()) return nullptr;
    return FMessages->GetQELMessage(I);
}

TQELAttachment* TInetMailConfig::SelectedAttachment() const {
    TQELMessage* M = SelectedMessage();
    const int I = ListBox2()->ItemIndex();
    if (!M || I < 0 || I >= M->Attachments()->Count()) return nullptr;
    return M->Attachments()->GeTQELAttachment(I);
}

void TInetMailConfig::FillAttachments() {
    TStrings* L = ListBox2()->Items();
    L->Clear();
    if (TQELMessage* M = SelectedMessage())
        for (int I = 0; I < M->Attachments()->Count(); ++I)
            L->Add(M->Attachments()->GeTQELAttachment(I)->FileName());
}

void TInetMailConfig::SelectInInspector(TPersistent* P) {
    if (Designer()) Designer()->SelectComponent(P);
}

void TInetMailConfig::Changed() {
    if (Designer()) Designer()->Modified();
}

void TInetMailConfig::ListBox1Click(TObject*) {
    FillAttachments();
}

void TInetMailConfig::ListBox1MouseDown(TObject*, TMouseButton Button, TShiftState, int, int) {
    if (Button == mbRight) return;
    if (TQELMessage* M = SelectedMessage())
        SelectInInspector(M);
    else
        SelectInInspector(MailComponent());
}

void TInetMailConfig::ListBox2MouseDown(TObject* Sender, TMouseButton Button, TShiftState Shift,
                                        int X, int Y) {
    if (Button == mbRight) return;
    if (TQELAttachment* A = SelectedAttachment())
        SelectInInspector(A);
    else
        ListBox1MouseDown(Sender, Button, Shift, X, Y);
}

void TInetMailConfig::Button2Click(TObject*) {
    if (!FMessages) return;
    TQELMessage* M = FMessages->Add();
    ListBox1()->Items()->Add(FCaption);
    ListBox1()->SetItemIndex(ListBox1()->Items()->Count() - 1);
    FillAttachments();
    SelectInInspector(M);
    SpeedButton(2)->SetEnabled(true);
    Changed();
}

void TInetMailConfig::Button1Click(TObject*) {
    TQELMessage* M = SelectedMessage();
    if (!M) return;
    const int I = ListBox1()->ItemIndex();
    // The inspector lets go of the message (and its attachments) before it is freed.
    if (Designer()) {
        for (int A = 0; A < M->Attachments()->Count(); ++A)
            Designer()->ItemDeleted(M->Attachments()->GeTQELAttachment(A));
        Designer()->ItemDeleted(M);
    }
    FMessages->Delete(I);
    ListBox1()->Items()->Delete(I);
    ListBox2()->Items()->Clear();
    ListBox1()->SetItemIndex(ListBox1()->Items()->Count() > 0 ? 0 : -1);
    FillAttachments();
    if (TQELMessage* First = SelectedMessage())
        SelectInInspector(First);
    else
        SelectInInspector(MailComponent());
    SpeedButton(2)->SetEnabled(FMessages->Count() > 0);
    Changed();
}

void TInetMailConfig::Button3Click(TObject*) {
    TQELMessage* M = SelectedMessage();
    if (!M || !OpenDialog1()->Execute()) return;
    TQELAttachment* A = M->Attachments()->Add(OpenDialog1()->FileName());
    ListBox2()->Items()->Add(A->FileName());
    ListBox2()->SetItemIndex(ListBox2()->Items()->Count() - 1);
    SelectInInspector(A);
    Changed();
}

void TInetMailConfig::Button4Click(TObject*) {
    TQELMessage* M = SelectedMessage();
    TQELAttachment* A = SelectedAttachment();
    if (!A) return;
    const int I = ListBox2()->ItemIndex();
    if (Designer()) Designer()->ItemDeleted(A);
    M->Attachments()->Delete(I);
    ListBox2()->Items()->Delete(I);
    ListBox2()->SetItemIndex(ListBox2()->Items()->Count() > 0 ? 0 : -1);
    if (TQELAttachment* First = SelectedAttachment())
        SelectInInspector(First);
    else
        SelectInInspector(M);
    Changed();
}

void TInetMailConfig::Button5Click(TObject*) {
    TQELAttachment* A = SelectedAttachment();
    if (!A) return;
    SaveDialog1()->SetFileName(A->FileName());
    if (SaveDialog1()->Execute()) A->SaveToFile(SaveDialog1()->FileName());
}

void TInetMailConfig::SpeedButton1Click(TObject*) {
    SelectInInspector(MailComponent());
}

void TInetMailConfig::SpeedButton4Click(TObject*) {
    SelectInInspector(MailComponent());
}

void TInetMailConfig::SpeedButton2Click(TObject*) {
    // The component reports its own failures; a handler may free it (and so this window),
    // so nothing is touched afterwards.
    if (TQELMailHost* H = MailComponent()) H->Execute();
}

void TInetMailConfig::SpeedButton3Click(TObject*) {
    Close();
}

void TInetMailConfig::FormClose(TObject*, TCloseAction& Action) {
    if (Instance == this) Instance = nullptr;
    Action = caFree;
}

void TInetMailConfig::DesignerClosed() {
    if (Instance == this) Instance = nullptr;
    Release();
}

void TInetMailConfig::Notification(TComponent* AComponent, TOperation Operation) {
    TDesignWindow::Notification(AComponent, Operation);
    if (Operation != opRemove || !FHost || AComponent != FHost) return;
    FMessages = nullptr;
    FHost = nullptr;
    ListBox1()->Items()->Clear();
    ListBox2()->Items()->Clear();
    if (Instance == this) Instance = nullptr;
    Release();
}

void ConfigureInetMail(TQELMessages* Messages, TDesigner* Designer) {
    if (!Messages) return;
    if (Instance)
        Instance->BringToFront();
    else
        Instance = new TInetMailConfig(nullptr);
    Instance->Load(Messages, Designer);
    Instance->Show();
}

TPropertyAttributes TQELInetProperty::GetAttributes() const {
    return {paDialog, paReadOnly};
}

void TQELInetProperty::Edit() {
    ConfigureInetMail(Cast<TQELMessages>(GetObjValue()), Designer());
}

TPropertyAttributes TQELAttachmentProperty::GetAttributes() const {
    return {paDialog, paReadOnly};
}

void TQELAttachmentProperty::Edit() {
    if (TInetMailConfig* W = InetMailConfig())
        W->BringToFront();
    else
        ShowMessage(SAttachmentsInDesignEditor);
}

} // namespace qel
