// qel-mail send: one message through the SMTP component, with optional progress display.
#include "mail/QELTIEmails.h"
#include "toolkit/controls/Forms.h"
#include "tools/qel-mail/Commands.h"

#include <cstdio>
#include <fstream>
#include <iostream>
#include <string>
#include <unistd.h>
#include <vector>

namespace qel {

namespace {

const char Usage[] =
    "send --host H --port P --from A --to B[,C...] --subject S [--body-file F]\n"
    "           [--attach FILE]... [--line-pause MS] [--timeout MS] [--from-name N] [--progress]";

// Progress on a terminal rewrites one line; into a file or pipe each step is a line of its own.
class TProgressDisplay {
  public:
    explicit TProgressDisplay(bool Enabled) : Enabled_(Enabled), Tty_(::isatty(2) != 0) {}
    void Show(const std::string& What, int Percent) {
        if (!Enabled_) return;
        const int Width = 30;
        const int Filled = Percent * Width / 100;
        std::string Bar = "[" + std::string(Filled, '#') + std::string(Width - Filled, ' ') + "]";
        std::string Text = What + " " + Bar + " " + std::to_string(Percent) + "%";
        if (Tty_) {
            std::cerr << "\r" << Text << "\x1b[K" << std::flush;
            Open_ = Percent < 100;
            if (!Open_) std::cerr << "\n";
        } else if (Percent % 10 == 0) {
            // Into a file or pipe every tenth step is enough.
            std::cerr << What << " " << Percent << "%\n";
        }
    }
    void Note(const std::string& Text) {
        if (!Enabled_) return;
        if (Open_) std::cerr << "\n";
        Open_ = false;
        std::cerr << Text << "\n";
    }

  private:
    bool Enabled_;
    bool Tty_;
    bool Open_ = false;
};

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
    std::string Host, Port = "25", From, FromName, To, Subject, BodyFile;
    std::vector<std::string> Attach;
    int LinePause = 40, Timeout = 60000;
    bool Progress = false;
    auto Bad = [](const std::string& Why) {
        std::cerr << "qel-mail send: " << Why << "\nusage: qel-mail " << Usage << "\n";
        return 2;
    };
    auto Number = [](const std::string& S, int& V) {
        return mailwire::TryStrToInt(S, V) && V >= 0;
    };
    for (std::size_t I = 0; I < Args.size(); ++I) {
        const std::string& A = Args[I];
        if (A == "--progress") {
            Progress = true;
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
        else if (A == "--line-pause") {
            if (!Number(V, LinePause)) return Bad("--line-pause needs milliseconds");
        } else if (A == "--timeout") {
            if (!Number(V, Timeout) || Timeout == 0) return Bad("--timeout needs milliseconds");
        } else
            return Bad("unknown option " + A);
    }
    if (Host.empty() || From.empty() || To.empty())
        return Bad("--host, --from and --to are required");

    TQELSMTPMail Mail(nullptr);
    Mail.SetHost(Host);
    Mail.SetPort(Port);
    Mail.SetLinePause(LinePause);
    Mail.SetReplyTimeout(Timeout);
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
        std::cerr << "qel-mail send: " << E.what() << "\n";
    };
    const bool Ran = Mail.Execute();
    Application->OnException = nullptr;
    if (!Ran || ServerFailed || Raised || !Accepted) return 1;
    std::cout << "accepted: " << AcceptText << "\n";
    return 0;
}

const bool Registered = RegisterMailCommand({"send", Usage, RunSend});

} // namespace

} // namespace qel
