// qel-mail encode FILE: the base64 lines an attachment is sent with, written to standard
// output one per line (the same text as `base64 FILE`).
#include "mail/QELTIEmails.h"
#include "toolkit/controls/Forms.h"
#include "tools/qel-mail/Commands.h"

#include <cerrno>
#include <climits>
#include <cstring>
#include <iostream>
#include <sys/uio.h>
#include <unistd.h>
#include <vector>

namespace qel {

namespace {

// Writes every iovec whole, going on after short writes and interruptions.
bool WriteAll(int Fd, iovec* Vec, int Count) {
    while (Count > 0) {
        ssize_t N = ::writev(Fd, Vec, Count);
        if (N < 0 && errno == EINTR) continue;
        if (N < 0) return false;
        auto Done = static_cast<std::size_t>(N);
        while (Count > 0 && Done >= Vec->iov_len) {
            Done -= Vec->iov_len;
            ++Vec;
            --Count;
        }
        if (Count > 0) {
            Vec->iov_base = static_cast<char*>(Vec->iov_base) + Done;
            Vec->iov_len -= Done;
        }
    }
    return true;
}

int RunEncode(const std::vector<std::string>& Args) {
    if (Args.size() != 1) {
        return CommandUsageError("encode", "encode takes one file");
    }
    try {
        TQELSMTPMail Mail(nullptr);
        TQELMessage* Msg = Mail.Messages()->Add();
        TQELAttachment* A = Msg->Attachments()->Add(Args[0]);
        Mail.Base64Encode(A);
        // The lines go out straight from the list, each followed by a line feed.
        const TQELPackedStrings* Lines = A->EncodedLines();
        static char LineFeed = '\n';
        std::vector<iovec> Vec;
        Vec.reserve(IOV_MAX);
        for (int I = 0; I < Lines->Count(); ++I) {
            const std::string_view L = Lines->Line(I);
            Vec.push_back({const_cast<char*>(L.data()), L.size()});
            Vec.push_back({&LineFeed, 1});
            if (Vec.size() + 2 > IOV_MAX || I + 1 == Lines->Count()) {
                if (!WriteAll(STDOUT_FILENO, Vec.data(), static_cast<int>(Vec.size()))) {
                    std::cerr << "qel-mail encode: " << std::strerror(errno) << "\n";
                    return 1;
                }
                Vec.clear();
            }
        }
        return 0;
    } catch (const std::exception& E) {
        std::cerr << "qel-mail encode: " << E.what() << "\n";
        return 1;
    }
}

const bool Registered = RegisterMailCommand(
    {"encode", "encode FILE", RunEncode,
     "Writes FILE in base64 the way the mail component encodes attachments, 76 characters a\n"
     "line, to standard output.\n"});

} // namespace

} // namespace qel
