// qel-mail fetch --host H --port P --user U --password-file F [--delete] [--save DIR] and the
// secured-session options: retrieves every waiting mail over POP3 (with --keep-on-server only
// the mail whose IDs the seen file does not list), saves the attachments and prints one line
// per mail.
#include "mail/QELTIEmails.h"
#include "toolkit/controls/Dialogs.h"
#include "tools/qel-mail/Commands.h"
#include "tools/qel-mail/MailOutput.h"
#include "tools/qel-mail/Progress.h"
#include "tools/qel-mail/SecureOptions.h"

#include <cstdio>
#include <fstream>
#include <iostream>
#include <optional>
#include <string>
#include <vector>

namespace qel {

namespace {
// The IDs of the seen file, one a line; none when the file does not exist yet.
void ReadSeen(const std::string& Path, TStrings& Seen) {
    std::ifstream In(Path, std::ios::binary);
    std::string Line;
    while (std::getline(In, Line))
        if (!Line.empty()) Seen.Add(Line);
}

bool WriteSeen(const std::string& Path, const TStrings& Seen) {
    const std::string Tmp = Path + ".tmp";
    {
        std::ofstream Out(Tmp, std::ios::binary | std::ios::trunc);
        for (int I = 0; I < Seen.Count(); ++I)
            Out << Seen.Get(I) << "\n";
        if (!Out.flush()) return false;
    }
    return std::rename(Tmp.c_str(), Path.c_str()) == 0;
}

int RunFetch(const std::vector<std::string>& Args) {
    std::string Host, Port = "110", User, SaveDir, SeenFile;
    bool Delete = false, Apop = false, Keep = false;
    TSecureOptions Secure;
    auto Progress = TProgressDisplay::TMode::Auto;
    for (std::size_t I = 0; I < Args.size(); ++I) {
        const std::string& A = Args[I];
        bool HasValue = I + 1 < Args.size();
        bool UsedValue = false;
        std::string Why;
        if (Secure.Take(A, HasValue ? &Args[I + 1] : nullptr, UsedValue, Why)) {
            if (!Why.empty()) return CommandUsageError("fetch", Why);
            if (UsedValue) ++I;
            continue;
        }
        if (A == "--delete") {
            Delete = true;
        } else if (A == "--apop") {
            Apop = true;
        } else if (A == "--keep-on-server") {
            Keep = true;
        } else if (A == "--seen-file" && HasValue) {
            SeenFile = Args[++I];
        } else if (A == "--progress" || A == "--quiet") {
            Progress =
                A == "--progress" ? TProgressDisplay::TMode::On : TProgressDisplay::TMode::Off;
        } else if (A == "--host" && HasValue) {
            Host = Args[++I];
        } else if (A == "--port" && HasValue) {
            Port = Args[++I];
        } else if (A == "--user" && HasValue) {
            User = Args[++I];
        } else if (A == "--save" && HasValue) {
            SaveDir = Args[++I];
        } else {
            return CommandUsageError("fetch", HasValue || A.rfind("--", 0) != 0
                                                  ? "unknown option " + A
                                                  : "missing value for " + A);
        }
    }
    if (Host.empty() || User.empty() || Secure.PasswordFile.empty())
        return CommandUsageError("fetch", "--host, --user and --password-file are required");
    if (Keep != !SeenFile.empty())
        return CommandUsageError("fetch", "--keep-on-server and --seen-file go together");
    try {
        TQELPOPMail Pop(nullptr);
        Pop.SetHost(Host);
        Pop.SetPort(Port);
        Pop.SetUsername(User);
        Pop.SetPassword(ReadPasswordFile(Secure.PasswordFile));
        Pop.SetDeleteOfServer(Delete);
        Secure.ApplyTo(Pop);
        Pop.SetUseAPOP(Apop);
        Pop.SetKeepOnServer(Keep);
        if (Keep) ReadSeen(SeenFile, *Pop.SeenIDs());
        TProgressDisplay Display(Progress);
        int Index = 0;
        std::string Decoding;
        Pop.BeforeRetrieve = [&](TObject*, std::uint16_t I) { Index = I; };
        Pop.OnRetrieveProgress = [&](TObject*, std::uint16_t P) {
            Display.Show("retrieve " + std::to_string(Index), P);
        };
        Pop.OnDecodeStart = [&](TObject*, const std::string& File, int) {
            std::size_t Slash = File.find_last_of('/');
            Decoding = "decode " + (Slash == std::string::npos ? File : File.substr(Slash + 1));
        };
        Pop.OnDecodeProgress = [&](TObject*, std::uint16_t P) { Display.Show(Decoding, P); };
        bool Failed = false;
        Pop.OnError = [&](TObject*, int Code, const std::string& Text) {
            Failed = true;
            Display.Note("");
            std::cerr << "qel-mail fetch: error " << Code << ": " << Text << "\n";
        };
        // A console has nobody to click a message box away: what the component shows goes to
        // standard error and counts as a failure.
        bool Told = false;
        TMessageDlgAnswerHook Previous = SetMessageDlgAnswerHook(
            [&](const std::string& Msg, TMsgDlgType, TMsgDlgButtons) -> std::optional<int> {
                Told = true;
                Display.Note("");
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
        // The seen IDs are kept even after a failure part-way: the mail fetched before it
        // has been printed and saved and must not come again.
        if (Keep && !WriteSeen(SeenFile, *Pop.SeenIDs())) {
            std::cerr << "qel-mail fetch: cannot write " << SeenFile << "\n";
            return 1;
        }
        return Ok && !Failed && !Told ? 0 : 1;
    } catch (const std::exception& E) {
        std::cerr << "qel-mail fetch: " << E.what() << "\n";
        return 1;
    }
}

const bool Registered = RegisterMailCommand(
    {"fetch",
     "fetch --host H [--port P] --user U --password-file F [--delete] [--save DIR]\n"
     "                [--progress | --quiet] [--security none|starttls|tls] [--ca-file F]\n"
     "                [--no-verify] [--apop] [--keep-on-server --seen-file F]",
     RunFetch,
     "Retrieves every waiting mail over POP3 and prints one line per mail: its number, sender,\n"
     "subject and attachments.\n"
     "\n"
     "Options:\n"
     "  --host H            the POP3 server (required)\n"
     "  --port P            its port (default 110)\n"
     "  --user U            the user name (required)\n"
     "  --password-file F   the file whose first line is the password (required)\n"
     "  --delete            delete each mail on the server once it is retrieved\n"
     "  --save DIR          save the attachments into DIR\n"
     "  --progress          show the retrieval and decoding progress even when standard error\n"
     "                      is not a terminal (on a terminal it is shown unless --quiet)\n"
     "  --quiet             show no progress\n"
     "  --security S        none (plain text, the default), starttls (STLS after connecting;\n"
     "                      the session fails when the server refuses it) or tls (TLS from\n"
     "                      the first byte, usually port 995)\n"
     "  --ca-file F         trust the certificates in F (PEM) instead of the system's\n"
     "  --no-verify         accept any server certificate (testing only)\n"
     "  --apop              log in with APOP, which never sends the password\n"
     "  --keep-on-server    fetch only mail whose unique ID the seen file does not list, and\n"
     "                      add the IDs of what was fetched to it\n"
     "  --seen-file F       the file of seen IDs, one a line (with --keep-on-server)\n"});

} // namespace

} // namespace qel
