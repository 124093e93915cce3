// qel-mail mapi-send: one mail or fax through the Simple MAPI component.
#include "mail/QELTMapiMail.h"
#include "tools/qel-mail/Commands.h"

#include <fstream>
#include <iostream>
#include <string>
#include <vector>

namespace qel {

namespace {

const char Usage[] =
    "mapi-send --to NAME [--to NAME]... [--cc NAME]... [--bcc NAME]... --subject S\n"
    "           [--body-file F] [--attach FILE]... [--fax NUMBER [--fax-to NAME]] [--receipt]\n"
    "           [--dialog] [--profile P [--password W]]";

int RunMapiSend(const std::vector<std::string>& Args) {
    std::vector<std::string> To, Cc, Bcc, Files;
    std::string Subject, BodyFile, Fax, FaxTo, Profile, Password;
    bool HaveSubject = false, Receipt = false, Dialog = false;
    for (std::size_t I = 0; I < Args.size(); ++I) {
        const std::string& A = Args[I];
        auto Value = [&](std::string& Out) {
            if (I + 1 >= Args.size()) return false;
            Out = Args[++I];
            return true;
        };
        std::string V;
        if (A == "--receipt")
            Receipt = true;
        else if (A == "--dialog")
            Dialog = true;
        else if (!Value(V)) {
            return CommandUsageError("mapi-send", "missing value for " + A);
        } else if (A == "--to")
            To.push_back(V);
        else if (A == "--cc")
            Cc.push_back(V);
        else if (A == "--bcc")
            Bcc.push_back(V);
        else if (A == "--attach")
            Files.push_back(V);
        else if (A == "--subject")
            Subject = V, HaveSubject = true;
        else if (A == "--body-file")
            BodyFile = V;
        else if (A == "--fax")
            Fax = V;
        else if (A == "--fax-to")
            FaxTo = V;
        else if (A == "--profile")
            Profile = V;
        else if (A == "--password")
            Password = V;
        else {
            return CommandUsageError("mapi-send", "unknown option " + A);
        }
    }
    if (!HaveSubject || (To.empty() && Fax.empty()))
        return CommandUsageError("mapi-send", "--subject and --to or --fax are required");
    TQELMapiMail Mail(nullptr);
    if (!Profile.empty()) {
        Mail.SetDefaultProfile(false);
        Mail.SetProfile(Profile);
        Mail.SetPassword(Password);
    }
    TQELMapiMessage* M = Mail.Messages()->Add();
    M->SetSubject(Subject);
    M->SetReceipt(Receipt);
    M->SetDialog(Dialog);
    if (!BodyFile.empty()) {
        std::ifstream In(BodyFile, std::ios::binary);
        if (!In) {
            std::cerr << "qel-mail mapi-send: cannot read " << BodyFile << "\n";
            return 1;
        }
        std::string Line;
        while (std::getline(In, Line)) {
            if (!Line.empty() && Line.back() == '\r') Line.pop_back();
            M->Message()->Add(Line);
        }
    }
    if (!Fax.empty()) {
        M->SetSendMethod(ccFax);
        M->SetFaxNumber(Fax);
        M->SetFaxTo(!FaxTo.empty() ? FaxTo : !To.empty() ? To.front() : std::string());
    } else {
        for (const std::string& R : To)
            M->RecipientsTo()->Add(R);
        for (const std::string& R : Cc)
            M->RecipientsCC()->Add(R);
        for (const std::string& R : Bcc)
            M->RecipientsBC()->Add(R);
        for (const std::string& F : Files)
            M->Attachments()->Add(F);
    }

    bool Unavailable = false, Sent = false;
    int Error = 0;
    Mail.OnMapiNotAvailable = [&](TObject*) { Unavailable = true; };
    Mail.OnLogonFailure = [&](TObject*, int Code) { Error = Code; };
    Mail.OnSendError = [&](TObject*, int Code, TQELMapiMessage*) { Error = Code; };
    Mail.AfterSendMail = [&](TObject*, TQELMapiMessage*) { Sent = true; };
    try {
        Mail.Execute();
    } catch (const std::exception& E) {
        std::cerr << "qel-mail mapi-send: " << E.what() << "\n";
        return 1;
    }
    if (Unavailable) {
        std::cerr << "qel-mail mapi-send: " << SQELMapiUnavailable << "\n";
        return 1;
    }
    if (!Sent) {
        std::cerr << "qel-mail mapi-send: not sent, Simple MAPI error " << Error << "\n";
        return 1;
    }
    std::cout << "sent\n";
    return 0;
}

const bool Registered = RegisterMailCommand(
    {"mapi-send", Usage, RunMapiSend,
     "Sends one mail or fax through the Simple MAPI component and the provider it loads.\n"
     "\n"
     "Options:\n"
     "  --to, --cc, --bcc NAME   a recipient; each may be given more than once\n"
     "  --subject S              the subject (required)\n"
     "  --body-file F            the message text, from a file\n"
     "  --attach FILE            attach FILE; may be given more than once\n"
     "  --fax NUMBER             send a fax to NUMBER (--fax-to names its recipient)\n"
     "  --receipt                ask for a receipt\n"
     "  --dialog                 let the provider show its dialog\n"
     "  --profile P              log on with profile P (--password W) instead of the default\n"});

} // namespace

} // namespace qel
