// qel-mail encode FILE: the base64 lines an attachment is sent with, written to standard
// output one per line (the same text as `base64 FILE`).
#include "mail/QELTIEmails.h"
#include "toolkit/controls/Forms.h"
#include "tools/qel-mail/Commands.h"

#include <cstdio>
#include <iostream>

namespace qel {

namespace {

int RunEncode(const std::vector<std::string>& Args) {
    if (Args.size() != 1) {
        std::cerr << "usage: qel-mail encode FILE\n";
        return 2;
    }
    try {
        TQELSMTPMail Mail(nullptr);
        TQELMessage* Msg = Mail.Messages()->Add();
        TQELAttachment* A = Msg->Attachments()->Add(Args[0]);
        Mail.Base64Encode(A);
        const TQELPackedStrings* Lines = A->EncodedLines();
        std::string Out;
        Out.reserve(1 << 20);
        for (int I = 0; I < Lines->Count(); ++I) {
            Out += Lines->Line(I);
            Out += '\n';
            if (Out.size() >= (1 << 20) - 128) {
                std::fwrite(Out.data(), 1, Out.size(), stdout);
                Out.clear();
            }
        }
        std::fwrite(Out.data(), 1, Out.size(), stdout);
        return std::fflush(stdout) == 0 ? 0 : 1;
    } catch (const std::exception& E) {
        std::cerr << "qel-mail encode: " << E.what() << "\n";
        return 1;
    }
}

const bool Registered = RegisterMailCommand({"encode", "encode FILE", RunEncode});

} // namespace

} // namespace qel
