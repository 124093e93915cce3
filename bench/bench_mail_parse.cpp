// Decoding and parsing of a received mail with one large base64 attachment. One iteration
// each: the figures are meant to be set against other programs doing the same work
// (scripts/bench-mail-parse.sh runs them on the identical input).
//   bench_mail_parse [--size BYTES] [--write-message FILE] [--write-base64 FILE] [gbench flags]
#include "mail/QELMimeParse.h"

#include <benchmark/benchmark.h>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <random>
#include <string>
#include <vector>

namespace {

std::size_t AttachmentSize = 50'000'000;

const char Alphabet[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";

std::string Attachment() {
    std::string Bytes(AttachmentSize, '\0');
    std::mt19937_64 Rng(2026);
    for (std::size_t I = 0; I < Bytes.size(); I += 8) {
        std::uint64_t V = Rng();
        std::memcpy(&Bytes[I], &V, std::min<std::size_t>(8, Bytes.size() - I));
    }
    return Bytes;
}

// 76-character lines, as mail programs write them.
qel::TMimeLines Base64Lines(const std::string& In) {
    qel::TMimeLines Lines;
    std::string Line;
    auto Put = [&](char C) {
        Line += C;
        if (Line.size() == 76) {
            Lines.push_back(std::move(Line));
            Line.clear();
        }
    };
    std::size_t I = 0;
    for (; I + 3 <= In.size(); I += 3) {
        auto B0 = static_cast<std::uint8_t>(In[I]), B1 = static_cast<std::uint8_t>(In[I + 1]),
             B2 = static_cast<std::uint8_t>(In[I + 2]);
        Put(Alphabet[B0 >> 2]);
        Put(Alphabet[(B0 & 3) << 4 | B1 >> 4]);
        Put(Alphabet[(B1 & 15) << 2 | B2 >> 6]);
        Put(Alphabet[B2 & 63]);
    }
    if (In.size() - I == 1) {
        auto B0 = static_cast<std::uint8_t>(In[I]);
        for (char C : {Alphabet[B0 >> 2], Alphabet[(B0 & 3) << 4], '=', '='})
            Put(C);
    } else if (In.size() - I == 2) {
        auto B0 = static_cast<std::uint8_t>(In[I]), B1 = static_cast<std::uint8_t>(In[I + 1]);
        for (char C :
             {Alphabet[B0 >> 2], Alphabet[(B0 & 3) << 4 | B1 >> 4], Alphabet[(B1 & 15) << 2], '='})
            Put(C);
    }
    if (!Line.empty()) Lines.push_back(Line);
    return Lines;
}

std::string MessageText(const qel::TMimeLines& B64) {
    std::string M = "From: \"Bench\" <bench@example.test>\r\nTo: alice@example.test\r\n"
                    "Subject: large attachment\r\nMIME-Version: 1.0\r\n"
                    "Content-Type: multipart/mixed; boundary=\"---QELMAILbenchboundary\"\r\n\r\n"
                    "-----QELMAILbenchboundary\r\nContent-Type: text/plain\r\n\r\n"
                    "See the attachment.\r\n\r\n"
                    "-----QELMAILbenchboundary\r\n"
                    "Content-Type: application/octet-stream; name=\"data.bin\"\r\n"
                    "Content-Transfer-Encoding: base64\r\n"
                    "Content-Disposition: attachment; filename=\"data.bin\"\r\n\r\n";
    M.reserve(M.size() + B64.size() * 78 + 64);
    for (const auto& L : B64)
        M += L + "\r\n";
    M += "\r\n-----QELMAILbenchboundary--\r\n";
    return M;
}

struct TInput {
    std::string Bytes;
    qel::TMimeLines Lines;
    std::string Message;
};

TInput& Input() {
    static TInput In = [] {
        TInput I;
        I.Bytes = Attachment();
        I.Lines = Base64Lines(I.Bytes);
        I.Message = MessageText(I.Lines);
        return I;
    }();
    return In;
}

void BM_Base64Decode(benchmark::State& State) {
    TInput& In = Input();
    std::uint16_t Last = 0;
    std::string Out;
    for (auto _ : State) {
        qel::QELBase64Decode(In.Lines, "data.bin", Out, {}, 1, Last);
        benchmark::DoNotOptimize(Out.data());
    }
    if (Out != In.Bytes) State.SkipWithError("decoded bytes differ");
    State.SetBytesProcessed(static_cast<std::int64_t>(In.Bytes.size()));
}
BENCHMARK(BM_Base64Decode)->Iterations(1)->Unit(benchmark::kMillisecond);

void BM_ParseMessage(benchmark::State& State) {
    TInput& In = Input();
    qel::TQELParsedMessage Out;
    for (auto _ : State) {
        qel::TQELMimeParser Parser;
        Out = {};
        Parser.Parse(qel::SplitMailLines(In.Message), Out);
    }
    if (Out.Attachments.size() != 1 || Out.Attachments[0].Content != In.Bytes)
        State.SkipWithError("parsed attachment differs");
    State.SetBytesProcessed(static_cast<std::int64_t>(In.Message.size()));
}
BENCHMARK(BM_ParseMessage)->Iterations(1)->Unit(benchmark::kMillisecond);

} // namespace

int main(int argc, char** argv) {
    std::string MessageFile, Base64File;
    std::vector<char*> Rest{argv[0]};
    for (int I = 1; I < argc; ++I) {
        std::string A = argv[I];
        if (A == "--size" && I + 1 < argc)
            AttachmentSize = std::strtoull(argv[++I], nullptr, 10);
        else if (A == "--write-message" && I + 1 < argc)
            MessageFile = argv[++I];
        else if (A == "--write-base64" && I + 1 < argc)
            Base64File = argv[++I];
        else
            Rest.push_back(argv[I]);
    }
    if (!MessageFile.empty() || !Base64File.empty()) {
        TInput& In = Input();
        if (!MessageFile.empty()) std::ofstream(MessageFile, std::ios::binary) << In.Message;
        if (!Base64File.empty()) {
            std::ofstream F(Base64File, std::ios::binary);
            for (const auto& L : In.Lines)
                F << L << '\n';
        }
        return 0;
    }
    int N = static_cast<int>(Rest.size());
    benchmark::Initialize(&N, Rest.data());
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
