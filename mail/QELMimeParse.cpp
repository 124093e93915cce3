#include "mail/QELMimeParse.h"

#include "toolkit/core/TextUtils.h"

#include <algorithm>
#include <array>
#include <cfenv>
#include <cmath>
#include <utility>

namespace qel {

namespace {

// Columns below are 1-based and counts are maximal lengths, as in the mail header layout the
// parser reads: a header's value starts at a fixed column as if one space followed the colon.
std::string Copy(const std::string& S, std::size_t Index, std::size_t Count = std::string::npos) {
    if (Index < 1 || Index > S.size()) return {};
    return S.substr(Index - 1, Count);
}

} // namespace

TMimeLines SplitMailLines(std::string_view Text) {
    TMimeLines Lines;
    std::size_t P = 0, N = Text.size();
    while (P < N) {
        std::size_t E = P;
        while (E < N && Text[E] != '\r' && Text[E] != '\n')
            ++E;
        Lines.emplace_back(Text.substr(P, E - P));
        if (E < N && Text[E] == '\r') ++E;
        if (E < N && Text[E] == '\n') ++E;
        P = E;
    }
    return Lines;
}

bool FindInHeaders(const std::string& S, const TMimeLines& List, int& Index) {
    for (std::size_t I = 0; I < List.size(); ++I) {
        const std::string& L = List[I];
        if (L.size() < S.size()) continue;
        if (UpperCase(L.substr(0, S.size())) == S) {
            Index = static_cast<int>(I);
            return true;
        }
    }
    return false;
}

bool FindInStringList(const std::string& S, const TMimeLines& List, int& Position, int& Index) {
    for (std::size_t I = 0; I < List.size(); ++I) {
        std::size_t P = UpperCase(List[I]).find(S);
        if (P != std::string::npos) {
            Position = static_cast<int>(P) + 1;
            Index = static_cast<int>(I);
            return true;
        }
    }
    return false;
}

bool FindInStringListCS(const std::string& S, const TMimeLines& List, int& /*Position*/,
                        int& Index) {
    for (std::size_t I = 0; I < List.size(); ++I) {
        if (List[I].find(S) != std::string::npos) {
            Index = static_cast<int>(I);
            return true;
        }
    }
    return false;
}

bool GetUUAttachments(const TMimeLines& List, int& Index, std::string& FileName) {
    for (std::size_t I = 0; I < List.size(); ++I) {
        const std::string& L = List[I];
        if (L.size() <= 10) continue;
        if (LowerCase(L.substr(0, 5)) != "begin") continue;
        std::string Mode = L.substr(6, 3);
        if (!std::all_of(Mode.begin(), Mode.end(), [](char C) { return C >= '0' && C <= '9'; }))
            continue;
        if (std::stoi(Mode) >= 777) continue;
        FileName = Copy(L, 11, 64);
        Index = static_cast<int>(I);
        return true;
    }
    return false;
}

std::string QELAttachmentFileName(const std::string& Path) {
    std::size_t P = Path.find_last_of("/\\");
    return P == std::string::npos ? Path : Path.substr(P + 1);
}

// ---------------------------------------------------------------------------------------------
// Progress

TQELMimeProgress::TQELMimeProgress(int Step, std::uint16_t& LastPercent,
                                   std::function<void(std::uint16_t)> Event)
    : Step_(Step), Threshold_(Step), Last_(LastPercent), Event_(std::move(Event)) {}

std::uint16_t TQELMimeProgress::Percentage(double Done, double Total) {
    if (Total <= 0) return 100;
    // nearbyint follows the current rounding mode, which is to-nearest-even by default.
    double R = std::nearbyint(Done * 100.0 / Total);
    if (R < 0) R = 0;
    return static_cast<std::uint16_t>(static_cast<std::uint32_t>(std::fmod(R, 65536.0)));
}

void TQELMimeProgress::Update(double Done, double Total) {
    UpdatePercent(Percentage(Done, Total));
}

void TQELMimeProgress::UpdatePercent(std::uint16_t Percent) {
    Last_ = Percent;
    if (Percent >= Threshold_) {
        if (Event_) Event_(Percent);
        Threshold_ += Step_;
    }
}

void TQELMimeProgress::UpdatePercent(std::uint16_t Percent, std::size_t Times) {
    if (Times == 0) return;
    Last_ = Percent;
    // Once the threshold has passed the percentage, the remaining calls would change nothing.
    for (; Times > 0 && Percent >= Threshold_; --Times) {
        if (Event_) Event_(Percent);
        Threshold_ += Step_;
    }
}

void TQELMimeProgress::Finish() {
    if (Last_ < 100 && Event_) Event_(100);
}

// ---------------------------------------------------------------------------------------------
// Decoders

namespace {

// Base64 values; 64 is the pad character, 255 marks characters outside the alphabet.
constexpr std::array<std::uint8_t, 256> MakeBase64Table() {
    std::array<std::uint8_t, 256> T{};
    for (auto& V : T)
        V = 255;
    for (int I = 0; I < 26; ++I) {
        T['A' + I] = static_cast<std::uint8_t>(I);
        T['a' + I] = static_cast<std::uint8_t>(26 + I);
    }
    for (int I = 0; I < 10; ++I)
        T['0' + I] = static_cast<std::uint8_t>(52 + I);
    T['+'] = 62;
    T['/'] = 63;
    T['='] = 64;
    return T;
}
constexpr auto kBase64 = MakeBase64Table();

// Uudecode values; a space counts as 0, 255 marks a character outside the alphabet.
constexpr std::array<std::uint8_t, 256> MakeUUTable() {
    std::array<std::uint8_t, 256> T{};
    for (auto& V : T)
        V = 255;
    for (int C = 33; C <= 95; ++C)
        T[C] = static_cast<std::uint8_t>(C - 32);
    T['`'] = 0;
    T[' '] = 0;
    return T;
}
constexpr auto kUU = MakeUUTable();

std::size_t TotalSize(const TMimeLines& Lines) {
    std::size_t N = 0;
    for (const auto& L : Lines)
        N += L.size();
    return N;
}

} // namespace

void QELBase64Decode(const TMimeLines& Lines, const std::string& FileName, std::string& Out,
                     const TQELDecodeEvents& Events, int ProgressStep, std::uint16_t& LastPercent) {
    if (Events.OnDecodeStart) Events.OnDecodeStart(FileName, static_cast<int>(Lines.size()));
    Out.clear();
    Out.reserve(TotalSize(Lines) / 4 * 3 + 3);
    TQELMimeProgress Progress(ProgressStep, LastPercent, Events.OnDecodeProgress);
    const double Count = static_cast<double>(Lines.size());
    std::uint8_t V[4];
    int Pos = 0;
    for (std::size_t LineIndex = 0; LineIndex < Lines.size(); ++LineIndex) {
        // Every group is one unit of progress; its percentage is that of its line. A line
        // of several groups can therefore fire several events while the threshold catches
        // up with a percentage that jumped more than one step.
        const std::uint16_t Percent =
            TQELMimeProgress::Percentage(static_cast<double>(LineIndex), Count);
        const std::string& Line = Lines[LineIndex];
        const auto* P = reinterpret_cast<const unsigned char*>(Line.data());
        const auto* const End = P + Line.size();
        // Whole groups of four data characters, nearly every group of a line, go straight
        // through in batches; a pad or a stray character hands the rest of the line to the
        // careful loop below.
        bool Plain = Pos == 0;
        while (Plain && End - P >= 4) {
            char Batch[3 * 64];
            std::size_t Groups = 0;
            for (; Groups < 64 && End - P >= 4; ++Groups, P += 4) {
                const std::uint8_t A = kBase64[P[0]], B = kBase64[P[1]], C = kBase64[P[2]],
                                   D = kBase64[P[3]];
                if ((A | B | C | D) >= 64) {
                    Plain = false;
                    break;
                }
                char* O = Batch + Groups * 3;
                O[0] = static_cast<char>(A << 2 | B >> 4);
                O[1] = static_cast<char>(B << 4 | C >> 2);
                O[2] = static_cast<char>(C << 6 | D);
            }
            Out.append(Batch, Groups * 3);
            Progress.UpdatePercent(Percent, Groups);
        }
        for (; P < End; ++P) {
            std::uint8_t X = kBase64[*P];
            // Characters outside the alphabet (spaces, stray line noise) are skipped so that
            // they cannot shift the following groups.
            if (X == 255) continue;
            V[Pos++] = X;
            if (Pos < 4) continue;
            Pos = 0;
            int N = 3;
            if (V[0] == 64) N = 0;
            if (V[2] == 64) {
                V[2] = 0;
                V[3] = 0;
                N = 1;
            }
            if (V[3] == 64) {
                V[3] = 0;
                N = 2;
            }
            if (N > 0) {
                char B[3] = {static_cast<char>(V[0] * 4 + V[1] / 16),
                             static_cast<char>((V[1] & 15) * 16 + V[2] / 4),
                             static_cast<char>((V[2] & 3) * 64 + V[3])};
                Out.append(B, static_cast<std::size_t>(N));
            }
            Progress.UpdatePercent(Percent);
        }
        if (Events.ProcessMessages) Events.ProcessMessages();
    }
    Progress.Finish();
    if (Events.OnDecodeEnd) Events.OnDecodeEnd();
}

void QELUUDecode(const TMimeLines& Lines, const std::string& FileName, std::string& Out,
                 const TQELDecodeEvents& Events, int ProgressStep, std::uint16_t& LastPercent) {
    if (Events.OnDecodeStart) Events.OnDecodeStart(FileName, static_cast<int>(Lines.size()));
    std::string Decoded;
    Decoded.reserve(TotalSize(Lines) / 4 * 3);
    TQELMimeProgress Progress(ProgressStep, LastPercent, Events.OnDecodeProgress);
    const double Count = static_cast<double>(Lines.size());
    bool Bad = false;
    for (std::size_t I = 1; I < Lines.size(); ++I) {
        const std::string& L = Lines[I];
        // An "end" line directly after the begin line means an empty file; it is no data line.
        if (L == "end") break;
        if (!L.empty()) {
            std::uint8_t N = kUU[static_cast<unsigned char>(L[0])];
            if (N == 255) {
                Bad = true;
                break;
            }
            std::size_t Chars = (N * 4 / 3 == 60) ? 60 : std::min<std::size_t>(L.size() - 1, 60);
            std::uint8_t Bytes[45] = {};
            std::uint32_t Acc = 0;
            int Bits = 0;
            std::size_t Filled = 0;
            for (std::size_t K = 1; K <= Chars; ++K) {
                std::uint8_t X = K < L.size() ? kUU[static_cast<unsigned char>(L[K])] : 0;
                if (X == 255) {
                    Bad = true;
                    break;
                }
                Acc = (Acc << 6) | X;
                Bits += 6;
                if (Bits >= 8) {
                    Bits -= 8;
                    if (Filled < 45) Bytes[Filled++] = static_cast<std::uint8_t>(Acc >> Bits);
                    Acc &= (1u << Bits) - 1;
                }
            }
            if (Bad) break;
            Decoded.append(reinterpret_cast<const char*>(Bytes), std::min<std::size_t>(N, 45));
        }
        Progress.Update(static_cast<double>(I), Count);
        if (Events.ProcessMessages) Events.ProcessMessages();
        if (I + 1 < Lines.size() && (Lines[I + 1] == "end" || Lines[I + 1] == "`")) break;
    }
    Out = std::move(Decoded);
    Progress.Finish();
    if (Events.OnDecodeEnd) Events.OnDecodeEnd();
    if (Bad) throw EQELMessageFormatError();
}

} // namespace qel
