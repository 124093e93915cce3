// qel-mail parse FILE [--json] [--save DIR]: parses one raw mail (the lines a POP3 server sends
// between its status line and the final ".") and prints what the receiver would make of it.
#include "mail/QELMimeParse.h"
#include "tools/qel-mail/Commands.h"
#include "tools/qel-mail/Json.h"
#include "tools/qel-mail/MailOutput.h"
#include "tools/qel-mail/Sha256.h"

#include <cstdio>
#include <fstream>
#include <iostream>
#include <sstream>
#include <string>
#include <utility>
#include <vector>

namespace qel {

namespace {

std::string ReadWholeFile(const std::string& Path) {
    std::ifstream In(Path, std::ios::binary);
    if (!In) throw EFOpenError("Cannot open file \"" + Path + "\"");
    std::ostringstream S;
    S << In.rdbuf();
    return S.str();
}

std::string JoinLines(const TMimeLines& Lines) {
    std::string S;
    for (std::size_t I = 0; I < Lines.size(); ++I) {
        if (I) S += '\n';
        S += Lines[I];
    }
    return S;
}

std::string ToJson(const TQELParsedMessage& M) {
    std::string J = "{";
    auto Field = [&](const char* Name, const std::string& Value) {
        J += JsonString(Name) + ": " + JsonString(Value) + ", ";
    };
    Field("from_mail", M.FromMail);
    Field("from_name", M.FromName);
    Field("reply_to", M.ReplyTo);
    Field("send_to", M.SendTo);
    Field("subject", M.Subject);
    Field("message_id", M.MessageId);
    Field("in_reply_to", M.InReplyTo);
    Field("date", M.Date);
    Field("text", JoinLines(M.Message));
    J += "\"attachments\": [";
    for (std::size_t I = 0; I < M.Attachments.size(); ++I) {
        const auto& A = M.Attachments[I];
        if (I) J += ", ";
        J += "{\"file_name\": " + JsonString(A.FileName) +
             ", \"size\": " + std::to_string(A.Content.size()) +
             ", \"sha256\": " + JsonString(TSha256::HexDigest(A.Content)) + "}";
    }
    J += "]}";
    return J;
}

int RunParse(const std::vector<std::string>& Args) {
    std::string File, SaveDir;
    bool Json = false;
    for (std::size_t I = 0; I < Args.size(); ++I) {
        if (Args[I] == "--json") {
            Json = true;
        } else if (Args[I] == "--save" && I + 1 < Args.size()) {
            SaveDir = Args[++I];
        } else if (!Args[I].empty() && Args[I][0] != '-' && File.empty()) {
            File = Args[I];
        } else {
            return CommandUsageError("parse", Args[I][0] == '-' ? "unknown option or missing value: " + Args[I]
                                                                : "more than one file: " + Args[I]);
        }
    }
    if (File.empty()) return CommandUsageError("parse", "no mail file given");
    try {
        TQELMimeParser Parser;
        TQELParsedMessage M;
        TMimeLines Lines;
        {
            // The raw text goes before parsing starts, so a large mail is held only once.
            const std::string Raw = ReadWholeFile(File);
            Lines = SplitMailLines(Raw);
        }
        Parser.Parse(std::move(Lines), M);
        if (!SaveDir.empty()) {
            TSavedNames Names;
            for (const auto& A : M.Attachments)
                WriteAttachmentFile(SaveDir, Names.Next(A.FileName), A.Content);
        }
        if (Json) {
            std::cout << ToJson(M) << "\n";
        } else {
            std::cout << "From: " << M.FromMail << "\nSubject: " << M.Subject
                      << "\nLines: " << M.Message.size() << "\n";
            for (const auto& A : M.Attachments)
                std::cout << "Attachment: " << A.FileName << " (" << A.Content.size()
                          << " bytes)\n";
        }
        return 0;
    } catch (const std::exception& E) {
        if (Json)
            std::cout << "{\"error\": " << JsonString(E.what()) << "}\n";
        else
            std::cerr << "qel-mail parse: " << E.what() << "\n";
        return 1;
    }
}

const bool Registered = RegisterMailCommand(
    {"parse", "parse FILE [--json] [--save DIR]", RunParse,
     "Parses one raw message with the mail parser and prints its headers, text and\n"
     "attachments.\n"
     "\n"
     "Options:\n"
     "  --json       print the message as one JSON object\n"
     "  --save DIR   save the decoded attachments into DIR\n"});

} // namespace

} // namespace qel
