#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "ombra/diagnostic.h"
#include "ombra/token.h"

namespace Ombra {

// The parser's position in the token list, and the first syntax error it met.
class TokenCursor {
public:
    // REQUIRES: `tokens` ends with an EndOfScript token and outlives the cursor.
    explicit TokenCursor(const std::vector<Token>& tokens) : tokens_(tokens) {}

    const Token& Peek() const { return tokens_[pos_]; }
    bool Check(TokenKind kind) const { return Peek().kind == kind; }
    // Returns the current token and moves past it; the cursor never moves past EndOfScript.
    const Token& Advance();
    // Moves past the current token if it is of `kind`.
    bool Accept(TokenKind kind);
    // Like Accept, but a token of another kind is a syntax error:
    // "expected <kind> <context>, found <token>".
    bool Expect(TokenKind kind, std::string_view context);

    // Record a syntax error on the current token's line (or on `line`) and return false. Only
    // the first error is kept.
    bool Fail(std::string message) { return FailAt(Peek().line, std::move(message)); }
    bool FailAt(int line, std::string message);
    const Diagnostic& Error() const { return error_; }
    // True when the first error was met at the end of the tokens: the text stopped inside an
    // unfinished construct rather than holding a wrong token.
    bool FailedAtEnd() const { return failedAtEnd_; }

private:
    friend class NestingGuard;

    const std::vector<Token>& tokens_;
    size_t pos_ = 0;
    int depth_ = 0;
    bool failed_ = false;
    bool failedAtEnd_ = false;
    Diagnostic error_;
};

// Counts the levels the parser descends while building one construct: nested blocks, nested
// subexpressions and chained operators (each of which deepens the tree by one). Nesting deeper
// than kMaxNesting is a syntax error, so that no script can exhaust the stack of the parser or of
// the evaluator that walks the tree. The levels are given back when the guard goes out of scope.
class NestingGuard {
public:
    static constexpr int kMaxNesting = 200;

    explicit NestingGuard(TokenCursor& cursor) : cursor_(cursor) {}
    ~NestingGuard() { cursor_.depth_ -= levels_; }
    NestingGuard(const NestingGuard&) = delete;
    NestingGuard& operator=(const NestingGuard&) = delete;

    // Adds a level; false, with the syntax error recorded, when the nesting becomes too deep.
    bool Deepen() {
        ++levels_;
        ++cursor_.depth_;
        return cursor_.depth_ <= kMaxNesting || cursor_.Fail("the script is nested too deeply");
    }

private:
    TokenCursor& cursor_;
    int levels_ = 0;
};

}  // namespace Ombra
