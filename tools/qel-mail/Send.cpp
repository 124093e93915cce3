// qel-mail send: one message through the SMTP component, with optional progress display.
#include "mail/QELTIEmails.h"
#include "toolkit/controls/Forms.h"
#include "tools/qel-mail/Commands.h"
#include "tools/qel-mail/Progress.h"
#include "tools/qel-mail/SecureOptions.h"

#include <cstdio>
#include <fstream>
#include <iostream>
#include <string>
#include <unistd.h>
#include <vector>

namespace qel {

namespace {

const char Usage[] =
    "send --host H [--port P] --from A --to B[,C...] [--subject S] [--body-file F]\n"
    "                [--attach FILE]... [--line-pause MS] [--timeout MS] [--from-name N]\n"
    "                [--progress | --quiet] [--security none|starttls|tls] [--ca-file F]\n"
    "                [--no-verify] [--user U --password-file F [--auth auto|plain|login]]";

const char Help[] =
    "Sends one message over SMTP with the mail component.\n"
    "\n"
    "After each line of the message the component pauses (--line-pause; the default is 40 ms a\n"
    "line), so a message takes about 40 ms times its number of lines: a page of text (60\n"
    "lines) about 2.4 seconds, every 100 kB attached (1,800 base64 lines) about 72 seconds,\n"
    "a 1 MB attachment about 12 minutes. --line-pause 0 sends at full speed.\n"
    "\n"
    "Options:\n"
    "  --host H           the SMTP server (required)\n"
    "  --port P           its port (default 25)\n"
    "  --from A           the sender's address (required)\n"
    "  --from-name N      the sender's name\n"
    "  --to B[,C...]      the recipients (required)\n"
    "  --subject S        the subject\n"
    "  --body-file F      the message text, from a file\n"
    "  --attach FILE      attach FILE (base64); may be given more than once\n"
    "  --line-pause MS    the pause after each line (default 40)\n"
    "  --timeout MS       how long to wait for each server reply (default 60000)\n"
    "  --progress         show the encoding and sending progress even when standard error is\n"
    "                     not a terminal (on a terminal it is shown unless --quiet)\n"
    "  --quiet            show no progress\n"
    "  --security S       none (plain text, the default), starttls (upgrade after connecting;\n"
    "                     the session fails when the server does not offer it) or tls (TLS\n"
    "                     from the first byte, usually port 465)\n"
    "  --ca-file F        trust the certificates in F (PEM) instead of the system's\n"
    "  --no-verify        accept any server certificate (testing only)\n"
    "  --user U           log in (SMTP AUTH) as U\n"
    "  --password-file F  the file whose first line is the password (with --user)\n"
    "  --auth M           auto (PLAIN when offered, else LOGIN), plain or login\n";

bool ReadBody(const std::string& Path, TStrings& Body) {
    std::ifstream In(Path, std::ios::binary);
    if (!In) return false;
    std::string Line;
    while (std::getline(In, Line)) {
        if (!Line.empty() && Line.back() == '\r') Line.pop_back();
        Body.Add(Line);
    }
    return true;
}

int RunSend(const std::vector<std::string>& Args) {
    std::string Host, Port = "25", From, FromName, To, Subject, BodyFile, User;
    TSecureOptions Secure;
    TQELAuthMethod Auth = amAutomatic;
    std::vector<std::string> Attach;
    int LinePause = 40, Timeout = 60000;
    auto Progress = TProgressDisplay::TMode::Auto;
    auto Bad = [](const std::string& Why) { return CommandUsageError("send", Why); };
    auto Number = [](const std::string& S, int& V) {
        return mailwire::TryStrToInt(S, V) && V >= 0;
    };
    for (std::size_t I = 0; I < Args.size(); ++I) {
        const std::string& A = Args[I];
        if (A == "--progress" || A == "--quiet") {
            Progress =
                A == "--progress" ? TProgressDisplay::TMode::On : TProgressDisplay::TMode::Off;
            continue;
        }
        bool UsedValue = false;
        std::string Why;
        if (Secure.Take(A, I + 1 < Args.size() ? &Args[I + 1] : nullptr, UsedValue, Why)) {
            if (!Why.empty()) return Bad(Why);
            if (UsedValue) ++I;
            continue;
        }
        if (I + 1 >= Args.size()) return Bad("missing value for " + A);
        const std::string& V = Args[++I];
        if (A == "--host")
            Host = V;
        else if (A == "--port")
            Port = V;
        else if (A == "--from")
            From = V;
        else if (A == "--from-name")
            FromName = V;
        else if (A == "--to")
            To = V;
        else if (A == "--subject")
            Subject = V;
        else if (A == "--body-file")
            BodyFile = V;
        else if (A == "--attach")
            Attach.push_back(V);
        else if (A == "--user")
            User = V;
        else if (A == "--auth") {
            if (V == "auto")
                Auth = amAutomatic;
            else if (V == "plain")
                Auth = amPlain;
            else if (V == "login")
                Auth = amLogin;
            else
                return Bad("--auth needs auto, plain or login");
        } else if (A == "--line-pause") {
            if (!Number(V, LinePause)) return Bad("--line-pause needs milliseconds");
        } else if (A == "--timeout") {
            if (!Number(V, Timeout) || Timeout == 0) return Bad("--timeout needs milliseconds");
        } else
            return Bad("unknown option " + A);
    }
    if (Host.empty() || From.empty() || To.empty())
        return Bad("--host, --from and --to are required");
    if (!User.empty() && Secure.PasswordFile.empty()) return Bad("--user needs --password-file");

    TQELSMTPMail Mail(nullptr);
    Mail.SetHost(Host);
    Mail.SetPort(Port);
    Mail.SetLinePause(LinePause);
    Mail.SetReplyTimeout(Timeout);
    Secure.ApplyTo(Mail);
    Mail.SetUserName(User);
    Mail.SetAuthMethod(Auth);
    if (!User.empty()) {
        try {
            Mail.SetPassword(ReadPasswordFile(Secure.PasswordFile));
        } catch (const std::exception& E) {
            std::cerr << "qel-mail send: " << E.what() << "\n";
            return 1;
        }
    }
    TQELMessage* Msg = Mail.Messages()->Add();
    Msg->SetFromMail(From);
    Msg->SetFromName(FromName);
    Msg->SetSendTo(To);
    Msg->SetSubject(Subject);
    if (!BodyFile.empty() && !ReadBody(BodyFile, *Msg->Message())) {
        std::cerr << "qel-mail send: cannot read " << BodyFile << "\n";
        return 1;
    }
    for (const auto& F : Attach)
        Msg->Attachments()->Add(F);

    TProgressDisplay Display(Progress);
    std::string Encoding;
    Mail.OnEncodeStart = [&](TObject*, const std::string& File, int) {
        std::size_t Slash = File.find_last_of('/');
        Encoding = "encode " + (Slash == std::string::npos ? File : File.substr(Slash + 1));
    };
    Mail.OnEncodeProgress = [&](TObject*, std::uint16_t P) { Display.Show(Encoding, P); };
    Mail.OnSendProgress = [&](TObject*, std::uint16_t P) { Display.Show("send", P); };

    bool ServerFailed = false, Accepted = false;
    Mail.OnError = [&](TObject*, int Code, const std::string& Text) {
        ServerFailed = true;
        Display.Note("");
        std::cerr << "qel-mail send: server error " << Code << ": " << Text << "\n";
    };
    std::string AcceptText;
    Mail.OnSuccessSend = [&](TObject*) {
        Accepted = true;
        AcceptText = Mail.LastReplyCode() + " " + Mail.LastReplyText();
    };
    bool Raised = false;
    Application->OnException = [&](TObject*, const std::exception& E) {
        Raised = true;
        Display.Note(std::string("qel-mail send: ") + E.what());
    };
    const bool Ran = Mail.Execute();
    Application->OnException = nullptr;
    if (!Ran || ServerFailed || Raised || !Accepted) return 1;
    std::cout << "accepted: " << AcceptText << "\n";
    return 0;
}

const bool Registered = RegisterMailCommand({"send", Usage, RunSend, Help});

} // namespace

} // namespace qel
