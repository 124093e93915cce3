// The decoders of header and body text: quoted-printable, encoded words, header parameters
// with RFC 2231 sections, charset conversion and dates. Any input decodes without a crash, a
// hang or output out of proportion to it; what the encoders write decodes back unchanged.
#include "mail/QELMailDate.h"
#include "mail/QELMimeText.h"
#include "mail/QELMimeWords.h"

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <ctime>
#include <string>
#include <string_view>

using namespace qel;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* Data, std::size_t Size) {
    const std::string_view Text(reinterpret_cast<const char*>(Data), Size);
    // A replacement character is three bytes for one, and no decoder grows text otherwise.
    const std::size_t Bound = 3 * Size + 16;

    if (mimetext::QuotedPrintableDecode(Text).size() > Bound) std::abort();
    if (mimetext::Base64DecodeText(Text).size() > Size) std::abort();
    if (mimewords::DecodeEncodedWords(Text).size() > Bound) std::abort();
    const mimewords::THeaderValue V = mimewords::ParseHeaderValue(Text);
    for (const auto& [Name, Value] : V.Params)
        if (Name.size() + Value.size() > Bound) std::abort();
    // The first line names a charset for the rest.
    const std::size_t Nl = Text.find('\n');
    if (Nl != std::string_view::npos && Nl < 40)
        if (mimetext::ToUtf8(Text.substr(Nl + 1), Text.substr(0, Nl)).size() > Bound) std::abort();
    std::time_t When = 0;
    // Up to the year 3000, so that no zone can carry the written year past four digits.
    if (maildate::ParseMailDate(Text, When) && When >= 0 && When < 32503680000) {
        std::time_t Again = 0;
        if (!maildate::ParseMailDate(maildate::InternetDate(When), Again) || Again != When)
            std::abort();
    }

    // Round trips: the writers' output reads back as the input.
    if (mimetext::IsValidUtf8(Text) && Text.find_first_of("\r\n") == std::string_view::npos) {
        std::string Words;
        for (const std::string& W : mimewords::EncodeWords(Text))
            Words += (Words.empty() ? "" : "\r\n ") + W;
        if (mimewords::DecodeEncodedWords(Words) != Text) std::abort();
        std::string Header = "attachment";
        for (const std::string& P : mimewords::EncodeParam("filename", Text))
            Header += ";\r\n " + P;
        if (mimewords::ParseHeaderValue(Header).Param("filename") != Text) std::abort();
        const std::string Qp = mimetext::QuotedPrintableEncodeLine(Text);
        if (mimetext::QuotedPrintableDecode(Qp) != Text) std::abort();
    }
    return 0;
}
