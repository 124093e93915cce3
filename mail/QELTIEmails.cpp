#include "mail/QELTIEmails.h"

#include "mail/QELMailDate.h"
#include "mail/QELMailTls.h"
#include "mail/QELMimeText.h"
#include "mail/QELMimeWords.h"
#include "mail/QELTIEmailsInternal.h"
#include "toolkit/controls/Forms.h"
#include "toolkit/core/Filer.h"
#include "toolkit/core/TextUtils.h"
#include "toolkit/platform/Kernel.h"
#include "toolkit/platform/Registry.h"

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <climits>
#include <cmath>
#include <cstring>
#include <fcntl.h>
#include <functional>
#include <random>
#include <sys/stat.h>
#include <unistd.h>

namespace qel {

// ---- Message model -------------------------------------------------------------------------

namespace {
// Freeing an item takes it out of its collection. An index out of range is shown by the
// application's exception handler and leaves the collection as it was.
bool DeleteItem(TCollection& Collection, int Index) {
    try {
        delete Collection.Items(Index);
        return true;
    } catch (const std::exception&) {
        QELHandleException(&Collection);
        return false;
    }
}
} // namespace

TQELAttachment::TQELAttachment(TCollection* Collection)
    : TCollectionItem(Collection), EncodedLines_(std::make_unique<TQELPackedStrings>()),
      Content_(std::make_unique<TMemoryStream>()) {
    if (auto* Owner = dynamic_cast<TQELAttachments*>(Collection)) Message_ = Owner->OwnerMessage();
}

TQELAttachment::~TQELAttachment() = default;

void TQELAttachment::SaveToFile(const std::string& FileName) {
    if (!Content_) throw EInvalidOperation("Invalid Operation");
    try {
        Content_->SaveToFile(FileName);
    } catch (const std::exception&) {
        QELHandleException(this);
    }
}

void TQELAttachment::Assign(const TPersistent* Source) {
    if (auto* A = dynamic_cast<const TQELAttachment*>(Source)) {
        FileName_ = A->FileName_;
        PathName_ = A->PathName_;
        MimeType_ = A->MimeType_;
        EncodedLines_->Assign(A->EncodedLines_.get());
        if (A->Content_) {
            auto C = std::make_unique<TMemoryStream>();
            C->WriteBuffer(A->Content_->Memory(), A->Content_->Size());
            C->SetPosition(0);
            Content_ = std::move(C);
        } else {
            Content_.reset();
        }
        return;
    }
    TCollectionItem::Assign(Source);
}

std::string TQELAttachment::GetDisplayName() const {
    return "Mail Attachment";
}

void TQELAttachment::DefineProperties(TFiler& Filer) {
    TCollectionItem::DefineProperties(Filer);
    Filer.DefineProperty(
        "PathName", [this](TReader& R) { PathName_ = R.ReadString(); },
        [this](TWriter& W) { W.WriteString(PathName_); },
        !PathName_.empty() && PathName_ != FileName_);
}

TQELAttachments::TQELAttachments(TQELMessage* Message)
    : TCollection(TQELAttachment::StaticClass()), Message_(Message) {}

TQELAttachment* TQELAttachments::Add(const std::string& FileName) {
    auto* Item = static_cast<TQELAttachment*>(TCollection::Add());
    std::size_t Slash = FileName.find_last_of("/\\");
    Item->SetFileName(Slash == std::string::npos ? FileName : FileName.substr(Slash + 1));
    Item->SetPathName(FileName);
    Item->SetMimeType(GetMimeType(FileName));
    return Item;
}

std::string TQELAttachments::GetMimeType(const std::string& FileName) {
    const std::string Fallback = "application/octet-stream";
    std::size_t Slash = FileName.find_last_of("/\\");
    std::size_t Dot = FileName.rfind('.');
    if (Dot == std::string::npos || (Slash != std::string::npos && Dot < Slash)) return Fallback;
    const std::string Ext = FileName.substr(Dot);
    if (Ext.size() < 2) return Fallback;
    try {
        TRegistry Reg(KEY_READ);
        Reg.SetRootKey(HKEY_CLASSES_ROOT);
        if (!Reg.KeyExists(Ext)) return Fallback;
        if (!Reg.OpenKey(Ext, false)) return Fallback;
        std::string Type = Reg.ValueExists("Content Type") ? Reg.ReadString("Content Type") : "";
        Reg.CloseKey();
        return Type.empty() ? Fallback : Type;
    } catch (const ERegistryException&) {
        // An unreadable store must not stop a mail from going out with a generic type.
        return Fallback;
    }
}

bool TQELAttachments::Delete(int Index) {
    return DeleteItem(*this, Index);
}

TPersistent* TQELAttachments::GetOwner() const {
    return Message_;
}

TQELMessage::TQELMessage(TCollection* Collection)
    : TCollectionItem(Collection), Message_(std::make_unique<TStringList>()),
      Attachments_(std::make_unique<TQELAttachments>(this)) {
    if (auto* Owner = dynamic_cast<TQELMessages*>(Collection)) Host_ = Owner->Host();
}

TQELMessage::~TQELMessage() = default;

void TQELMessage::SetMessage(TStrings* Value) {
    Message_->Assign(Value);
}

void TQELMessage::SetAttachments(TQELAttachments* Value) {
    Attachments_->Assign(Value);
}

void TQELMessage::Assign(const TPersistent* Source) {
    if (auto* M = dynamic_cast<const TQELMessage*>(Source)) {
        FromMail_ = M->FromMail_;
        ReplyTo_ = M->ReplyTo_;
        SendTo_ = M->SendTo_;
        Subject_ = M->Subject_;
        FromName_ = M->FromName_;
        Message_->Assign(M->Message_.get());
        Attachments_->Assign(M->Attachments_.get());
        MessageId_ = M->MessageId_;
        InReplyTo_ = M->InReplyTo_;
        Date_ = M->Date_;
        ParseError_ = M->ParseError_;
        return;
    }
    TCollectionItem::Assign(Source);
}

bool TQELMessage::DecodeDate(std::time_t& When) const {
    return maildate::ParseMailDate(Date_, When);
}

std::string TQELMessage::GetDisplayName() const {
    return Host_ && Host_->Is<TQELSMTPMail>() ? "Outgoing Message" : "Incoming Message";
}

TQELMessages::TQELMessages(TQELMailHost* Host)
    : TCollection(TQELMessage::StaticClass()), Host_(Host) {}

TQELMessage* TQELMessages::Add() {
    return static_cast<TQELMessage*>(TCollection::Add());
}

bool TQELMessages::Delete(int Index) {
    return DeleteItem(*this, Index);
}

TPersistent* TQELMessages::GetOwner() const {
    return Host_;
}

namespace {
void DescribeAttachment(TClassBuilder<TQELAttachment>& B) {
    B.String("FileName", &TQELAttachment::FileName, &TQELAttachment::SetFileName);
}
void DescribeMessage(TClassBuilder<TQELMessage>& B) {
    B.String("FromMail", &TQELMessage::FromMail, &TQELMessage::SetFromMail);
    B.String("ReplyTo", &TQELMessage::ReplyTo, &TQELMessage::SetReplyTo);
    B.String("SendTo", &TQELMessage::SendTo, &TQELMessage::SetSendTo);
    B.String("Subject", &TQELMessage::Subject, &TQELMessage::SetSubject);
    B.String("FromName", &TQELMessage::FromName, &TQELMessage::SetFromName);
    B.Strings("Message", &TQELMessage::Message, &TQELMessage::SetMessage);
    B.Collection("Attachments", &TQELMessage::Attachments, &TQELMessage::SetAttachments);
}
} // namespace

QEL_IMPLEMENT_CLASS(TQELAttachment, TCollectionItem, DescribeAttachment)
QEL_IMPLEMENT_CLASS(TQELAttachments, TCollection, NoProperties<TQELAttachments>)
QEL_IMPLEMENT_CLASS(TQELMessage, TCollectionItem, DescribeMessage)
QEL_IMPLEMENT_CLASS(TQELMessages, TCollection, NoProperties<TQELMessages>)

// ---- TQELMailHost --------------------------------------------------------------------------

TQELMailHost::TQELMailHost(TComponent* AOwner)
    : TQELMailsComponent(AOwner), Messages_(std::make_unique<TQELMessages>(this)) {}

TQELMailHost::~TQELMailHost() {
    EndTls();
    Stream_.reset();
    Socket_.reset();
}

void TQELMailHost::SetMessages(TQELMessages* Value) {
    Messages_->Assign(Value);
}

void TQELMailHost::SetProgressStep(TQELPStep Value) {
    ProgressStep_ = static_cast<TQELPStep>(std::clamp<int>(Value, 1, 100));
}

bool TQELMailHost::Execute() {
    if (OnExecute) OnExecute(this);
    return true;
}

namespace {
void DescribeMailHost(TClassBuilder<TQELMailHost>& B) {
    B.Collection("Messages", &TQELMailHost::Messages, &TQELMailHost::SetMessages);
    B.Event("OnExecute", &TQELMailHost::OnExecute);
    // Always written, whatever its value.
    B.Integer("ProgressStep", &TQELMailHost::ProgressStep, &TQELMailHost::SetProgressStep)
        .NoDefault();
    B.String("Port", &TQELMailHost::Port, &TQELMailHost::SetPort);
    B.String("Host", &TQELMailHost::Host, &TQELMailHost::SetHost);
}
} // namespace

QEL_IMPLEMENT_ABSTRACT(TQELMailHost, TQELMailsComponent, DescribeMailHost)

} // namespace qel
