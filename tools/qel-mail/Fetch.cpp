// qel-mail fetch --host H --port P --user U --password-file F [--delete] [--save DIR]:
// retrieves every waiting mail over POP3, saves the attachments and prints one line per mail.
#include "mail/QELTIEmails.h"
#include "toolkit/controls/Dialogs.h"
#include "tools/qel-mail/Commands.h"
#include "tools/qel-mail/MailOutput.h"

#include <fstream>
#include <iostream>
#include <optional>
#include <string>
#include <vector>

namespace qel {

namespace {

const char kUsage[] =
    "usage: qel-mail fetch --host H --port P --user U --password-file F [--delete] [--save DIR]\n";

std::string ReadPassword(const std::string& Path) {
    std::ifstream In(Path, std::ios::binary);
    if (!In) throw EFOpenError("Cannot open file \"" + Path + "\"");
    std::string Line;
    std::getline(In, Line);
    while (!Line.empty() && (Line.back() == '\r' || Line.back() == '\n'))
        Line.pop_back();
    return Line;
}

int RunFetch(const std::vector<std::string>& Args) {
    std::string Host, Port = "110", User, PasswordFile, SaveDir;
    bool Delete = false;
    for (std::size_t I = 0; I < Args.size(); ++I) {
        const std::string& A = Args[I];
        bool HasValue = I + 1 < Args.size();
        if (A == "--delete") {
            Delete = true;
        } else if (A == "--host" && HasValue) {
            Host = Args[++I];
        } else if (A == "--port" && HasValue) {
            Port = Args[++I];
        } else if (A == "--user" && HasValue) {
            User = Args[++I];
        } else if (A == "--password-file" && HasValue) {
            PasswordFile = Args[++I];
        } else if (A == "--save" && HasValue) {
            SaveDir = Args[++I];
        } else {
            std::cerr << kUsage;
            return 2;
        }
    }
    if (Host.empty() || User.empty() || PasswordFile.empty()) {
        std::cerr << kUsage;
        return 2;
    }
    try {
        TQELPOPMail Pop(nullptr);
        Pop.SetHost(Host);
        Pop.SetPort(Port);
        Pop.SetUsername(User);
        Pop.SetPassword(ReadPassword(PasswordFile));
        Pop.SetDeleteOfServer(Delete);
        bool Failed = false;
        Pop.OnError = [&](TObject*, int Code, const std::string& Text) {
            Failed = true;
            std::cerr << "qel-mail fetch: error " << Code << ": " << Text << "\n";
        };
        // A console has nobody to click a message box away: what the component shows goes to
        // standard error and counts as a failure.
        bool Told = false;
        TMessageDlgAnswerHook Previous = SetMessageDlgAnswerHook(
            [&](const std::string& Msg, TMsgDlgType, TMsgDlgButtons) -> std::optional<int> {
                Told = true;
                std::cerr << "qel-mail fetch: " << Msg << "\n";
                return mrOk;
            });
        bool Ok = Pop.Execute();
        SetMessageDlgAnswerHook(std::move(Previous));
        TSavedNames Names;
        TQELMessages* Msgs = Pop.Messages();
        for (int I = 0; I < Msgs->Count(); ++I) {
            TQELMessage* M = Msgs->GetQELMessage(I);
            TQELAttachments* Atts = M->Attachments();
            std::cout << (I + 1) << "\t" << M->FromMail() << "\t" << M->Subject() << "\t"
                      << Atts->Count() << " attachment(s)";
            for (int K = 0; K < Atts->Count(); ++K) {
                TQELAttachment* A = Atts->GeTQELAttachment(K);
                std::cout << "\t" << A->FileName();
                if (!SaveDir.empty() && A->Content()) {
                    TMemoryStream* C = A->Content();
                    WriteAttachmentFile(SaveDir, Names.Next(A->FileName()),
                                        std::string_view(reinterpret_cast<const char*>(C->Memory()),
                                                         static_cast<std::size_t>(C->Size())));
                }
            }
            std::cout << "\n";
        }
        return Ok && !Failed && !Told ? 0 : 1;
    } catch (const std::exception& E) {
        std::cerr << "qel-mail fetch: " << E.what() << "\n";
        return 1;
    }
}

const bool Registered = RegisterMailCommand(
    {"fetch", "fetch --host H --port P --user U --password-file F [--delete] [--save DIR]",
     RunFetch});

} // namespace

} // namespace qel
