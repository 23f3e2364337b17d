#include "ombra/token_cursor.h"

#include <utility>

namespace Ombra {
namespace {

std::string DescribeExpected(TokenKind kind) {
    switch (kind) {
        case TokenKind::Name:
            return "a name";
        case TokenKind::Newline:
            return "end of line";
        default:
            return std::string("'") + KindSpelling(kind) + "'";
    }
}

}  // namespace

const Token& TokenCursor::Advance() {
    const Token& token = tokens_[pos_];
    if (token.kind != TokenKind::EndOfScript) ++pos_;
    return token;
}

bool TokenCursor::Accept(TokenKind kind) {
    if (!Check(kind)) return false;
    Advance();
    return true;
}

bool TokenCursor::Expect(TokenKind kind, std::string_view context) {
    if (Accept(kind)) return true;
    return Fail("expected " + DescribeExpected(kind) + " " + std::string(context) + ", found " +
                DescribeToken(Peek()));
}

bool TokenCursor::FailAt(int line, std::string message) {
    if (!failed_) {
        failed_ = true;
        failedAtEnd_ = Check(TokenKind::EndOfScript);
        error_ = Diagnostic{line, std::move(message)};
    }
    return false;
}

}  // namespace Ombra
