#include "ombra/lexer.h"

#include <algorithm>
#include <string>
#include <utility>

#include "ombra/utf8.h"
#include "platform/interpreter/number_literal.h"

namespace Ombra {
namespace {

constexpr std::string_view kByteOrderMark = "\xEF\xBB\xBF";

bool IsDigit(char c) {
    return c >= '0' && c <= '9';
}
bool IsLetter(char c) {
    return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || c == '_';
}
bool IsNameChar(char c) {
    return IsLetter(c) || IsDigit(c);
}

class Lexer {
public:
    explicit Lexer(std::string_view source) : source_(source) {}

    bool Run(std::vector<Token>& tokens, Diagnostic& error);

private:
    char Peek(size_t ahead = 0) const {
        return pos_ + ahead < source_.size() ? source_[pos_ + ahead] : '\0';
    }
    bool CheckEncoding();
    void SkipComment();
    bool LexToken();
    bool LexLineEnd();
    bool LexNumber();
    bool LexString();
    void LexName();
    bool LexOperator();
    void Add(TokenKind kind, std::string text);
    bool Fail(std::string message);

    std::string_view source_;
    size_t pos_ = 0;
    int line_ = 1;
    std::vector<Token> tokens_;
    Diagnostic error_;
};

bool Lexer::Run(std::vector<Token>& tokens, Diagnostic& error) {
    if (source_.starts_with(kByteOrderMark)) source_.remove_prefix(kByteOrderMark.size());
    bool ok = CheckEncoding();
    while (ok && pos_ < source_.size()) {
        char c = Peek();
        if (c == ' ' || c == '\t') {
            ++pos_;
        } else if (c == '!') {
            SkipComment();
        } else {
            ok = LexToken();
        }
    }
    if (!ok) {
        error = error_;
        return false;
    }
    if (tokens_.empty() || tokens_.back().kind != TokenKind::Newline) {
        Add(TokenKind::Newline, "");
    }
    Add(TokenKind::EndOfScript, "");
    tokens = std::move(tokens_);
    return true;
}

bool Lexer::CheckEncoding() {
    size_t badOffset = 0;
    if (IsValidUtf8(source_, badOffset)) return true;
    line_ += static_cast<int>(std::count(source_.begin(), source_.begin() + badOffset, '\n'));
    return Fail("the script is not valid UTF-8");
}

void Lexer::SkipComment() {
    while (pos_ < source_.size() && Peek() != '\n') ++pos_;
}

bool Lexer::LexToken() {
    char c = Peek();
    if (c == '\n' || c == '\r') return LexLineEnd();
    if (IsDigit(c) || (c == '.' && IsDigit(Peek(1)))) return LexNumber();
    if (c == '"' || c == '\'') return LexString();
    if (IsLetter(c)) {
        LexName();
        return true;
    }
    return LexOperator();
}

bool Lexer::LexLineEnd() {
    if (Peek() == '\r') {
        if (Peek(1) != '\n') return Fail("carriage return without a line feed");
        ++pos_;
    }
    ++pos_;
    Add(TokenKind::Newline, "");
    ++line_;
    return true;
}

// The literal runs over digits and points, then an exponent part; letters glued to it make it
// malformed rather than starting a name, so "12abc" is reported as one bad number.
bool Lexer::LexNumber() {
    size_t start = pos_;
    while (IsDigit(Peek()) || Peek() == '.') ++pos_;
    if (Peek() == 'e' || Peek() == 'E') {
        ++pos_;
        if (Peek() == '+' || Peek() == '-') ++pos_;
    }
    while (IsNameChar(Peek())) ++pos_;
    std::string text(source_.substr(start, pos_ - start));
    EE::NumericLiteral literal;
    if (!EE::ParseNumericLiteral(text, literal)) return Fail("malformed number '" + text + "'");
    Add(TokenKind::Number, text);
    if (literal.isInteger) {
        tokens_.back().number = literal.integer;
    } else {
        tokens_.back().number = literal.real;
    }
    return true;
}

bool Lexer::LexString() {
    char quote = Peek();
    size_t start = ++pos_;
    while (pos_ < source_.size() && Peek() != quote && Peek() != '\n' && Peek() != '\r') ++pos_;
    if (Peek() != quote) return Fail("unterminated string");
    Add(TokenKind::String, std::string(source_.substr(start, pos_ - start)));
    ++pos_;
    return true;
}

void Lexer::LexName() {
    size_t start = pos_;
    while (IsNameChar(Peek())) ++pos_;
    std::string text(source_.substr(start, pos_ - start));
    TokenKind kind = TokenKind::Name;
    LookupKeyword(FoldCase(text), kind);
    Add(kind, std::move(text));
}

bool Lexer::LexOperator() {
    TokenKind kind = TokenKind::EndOfScript;
    for (size_t length : {2, 1}) {
        std::string_view text = source_.substr(pos_, length);
        if (text.size() == length && LookupOperator(text, kind)) {
            pos_ += length;
            Add(kind, std::string(text));
            return true;
        }
    }
    auto lead = static_cast<unsigned char>(Peek());
    if (lead < 0x20 || lead == 0x7F) {
        return Fail("unexpected control character (code " + std::to_string(lead) + ")");
    }
    size_t length = SequenceLength(lead);
    return Fail("unexpected character '" + std::string(source_.substr(pos_, length)) + "'");
}

void Lexer::Add(TokenKind kind, std::string text) {
    tokens_.push_back(Token{kind, line_, std::move(text), ScriptValue()});
}

bool Lexer::Fail(std::string message) {
    error_ = Diagnostic{line_, std::move(message)};
    return false;
}

}  // namespace

bool Tokenize(std::string_view source, std::vector<Token>& tokens, Diagnostic& error) {
    return Lexer(source).Run(tokens, error);
}

}  // namespace Ombra
