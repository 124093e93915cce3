// SPDX-License-Identifier: MIT
// Uses the mail package and, through it, the toolkit from an installed prefix.
#include <qel/mail/Corvex40.h>
#include <qel/mail/QELTIEmails.h>
#include <qel/toolkit/core/Component.h>

#include <cstdio>
#include <memory>

int main() {
    qel::RegisterCorvex40Classes();
    const qel::TClass* C = qel::GetClass("TQELSMTPMail");
    if (!C) {
        std::fprintf(stderr, "TQELSMTPMail is not registered\n");
        return 1;
    }
    std::unique_ptr<qel::TObject> Mail(C->CreateInstance(nullptr));
    const std::uint8_t Bytes[] = {'h', 'i'};
    const std::string Tail = qel::mailwire::Base64EncodeTail(Bytes, 2);
    std::printf("%s %s\n", Mail->ClassName().c_str(), Tail.c_str());
    return Tail == "aGk=" ? 0 : 1;
}
