// The transport of the internet mail sessions: the socket stream in plain text, or the TLS
// channel over the same connection once the session has switched to it.
#include "mail/QELMailTls.h"
#include "mail/QELMimeText.h"
#include "mail/QELTIEmails.h"

namespace qel {

bool TQELMailHost::TlsActive() const {
    return Tls_ && Tls_->Active();
}

bool TQELMailHost::StartTls(int TimeoutMs, std::string& Why) {
    EndTls();
    if (!Socket_ || !Socket_->Socket()->Connected()) {
        Why = "Not Connected";
        return false;
    }
    Tls_ = std::make_unique<TQELTlsChannel>();
    const TQELTlsSettings Settings{Host(), VerifyCertificate(), CAFile()};
    if (Tls_->Handshake(Socket_->Socket()->SocketHandle(), Settings, TimeoutMs, Why)) return true;
    Tls_.reset();
    return false;
}

void TQELMailHost::EndTls() noexcept {
    // The descriptor must still be open here: close_notify goes out on it.
    if (Tls_) Tls_->Close();
    Tls_.reset();
}

bool TQELMailHost::SessionWait(int TimeoutMs) {
    if (Tls_) return Tls_->WaitForData(TimeoutMs);
    return Stream_ && Stream_->WaitForData(TimeoutMs);
}

int TQELMailHost::SessionRead(void* Buffer, int Count, int TimeoutMs, std::string& Why) {
    if (Tls_) return Tls_->Read(Buffer, Count, TimeoutMs, Why);
    if (!Stream_) return 0;
    const int Saved = Stream_->TimeOut();
    Stream_->SetTimeOut(TimeoutMs);
    const int N = Stream_->Read(Buffer, Count);
    if (Stream_) Stream_->SetTimeOut(Saved);
    return N;
}

TQELMailHost::TSessionChunk
TQELMailHost::ReadSessionChunk(std::chrono::steady_clock::time_point Deadline) {
    // Slices short enough that the application stays responsive; a TLS record announced by
    // the wait arrives whole well within the read's own limit.
    constexpr int Slice = 200, RecordWait = 100, Chunk = 1024;
    char Buf[Chunk];
    for (;;) {
        if (!Socket_ || !Stream_ || !Socket_->Socket()->Connected())
            return {TSessionChunk::Closed, {}, {}};
        if (SessionWait(Slice)) {
            std::string Why;
            const int N = SessionRead(Buf, Chunk, RecordWait, Why);
            if (N > 0)
                return {TSessionChunk::Data, std::string(Buf, static_cast<std::size_t>(N)), {}};
            if (N < 0) return {TSessionChunk::Failed, {}, Why};
            // Readable but nothing read: the peer closed its side, which the next turn sees.
        } else {
            QELProcessMessages();
        }
        if (std::chrono::steady_clock::now() >= Deadline) return {TSessionChunk::TimedOut, {}, {}};
    }
}

bool TQELMailHost::SessionWrite(const void* Buffer, std::size_t Count, int TimeoutMs,
                                std::string& Why) {
    if (Tls_) return Tls_->Write(Buffer, Count, TimeoutMs, Why);
    if (!Stream_) return true;
    const int Saved = Stream_->TimeOut();
    Stream_->SetTimeOut(TimeoutMs);
    Stream_->Write(Buffer, static_cast<int>(Count));
    if (Stream_) Stream_->SetTimeOut(Saved);
    return true;
}

std::string TQELMailHost::WithoutSecret(std::string Text, const std::string& Secret) {
    if (Secret.empty()) return Text;
    for (const std::string& Form : {Secret, mimetext::Base64Encode(Secret)}) {
        for (std::size_t At = Text.find(Form); At != std::string::npos; At = Text.find(Form, At))
            Text.replace(At, Form.size(), "****");
    }
    return Text;
}

} // namespace qel
