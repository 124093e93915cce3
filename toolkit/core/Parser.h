#pragma once
// Tokenizer of text form files. Strings are decoded while scanning ('…' parts and #nn
// character codes run together) and limited in size; every error names the line.
#include "toolkit/core/Export.h"

#include <cstdint>
#include <string>
#include <string_view>

QEL_PUBLIC_BEGIN

namespace qel {

enum TToken : char {
    toEOF = 0,
    toSymbol = 1,  // identifier
    toString = 2,  // decoded, UTF-8
    toInteger = 3, // decimal or $hex, optionally negative
    toFloat = 4,   // FloatSuffix tells single ('s'), currency ('c'), date ('d') or none
    // any other value is the punctuation character itself: = : [ ] , ( ) { } < > + .
};

class TParser {
  public:
    explicit TParser(std::string_view Text);

    TToken Token() const { return Token_; }
    TToken NextToken();
    int SourceLine() const { return TokenLine_; }
    const std::string& TokenString() const { return TokenString_; }
    std::int64_t TokenInt() const { return TokenInt_; }
    double TokenFloat() const { return TokenFloat_; }
    char FloatSuffix() const { return FloatSuffix_; }
    // Currency literals are kept exact, scaled by 10000.
    std::int64_t TokenCurrency() const { return TokenCurrency_; }

    bool TokenSymbolIs(std::string_view S) const;
    void CheckToken(TToken T);
    void CheckTokenSymbol(std::string_view S);
    // Reads the hexadecimal digits after '{' up to and including '}'.
    std::string HexToBinary(std::int64_t Limit);

    [[noreturn]] void Error(const std::string& Message) const;

  private:
    void SkipBlanks();
    void ScanString();
    void ScanNumber();

    std::string_view Text_;
    std::size_t Pos_ = 0;
    int Line_ = 1;
    int TokenLine_ = 1;
    TToken Token_ = toEOF;
    std::string TokenString_;
    std::int64_t TokenInt_ = 0;
    double TokenFloat_ = 0;
    std::int64_t TokenCurrency_ = 0;
    char FloatSuffix_ = 0;
};

} // namespace qel

QEL_PUBLIC_END
