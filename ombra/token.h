#pragma once

#include <string>
#include <string_view>

#include "ombra/value.h"

namespace Ombra {

enum class TokenKind {
    // Literals, names and layout.
    Number,
    String,
    Name,
    Newline,
    EndOfScript,
    // Keywords.
    And,
    Close,
    Do,
    Else,
    End,
    EndIf,
    EndWhile,
    For,
    If,
    Input,
    Mod,
    Next,
    Not,
    Open,
    Or,
    Output,
    Print,
    Step,
    Then,
    To,
    While,
    // Operators and punctuation.
    Plus,
    Minus,
    Star,
    Slash,
    Caret,
    Equal,
    NotEqual,
    Less,
    Greater,
    LessEqual,
    GreaterEqual,
    LeftParen,
    RightParen,
    Comma,
};

struct Token {
    TokenKind kind = TokenKind::EndOfScript;
    int line = 0;
    // Names and keywords: as spelled in the script. Strings: the characters between the quotes.
    // Numbers: the literal as written.
    std::string text;
    // Numbers only: the literal's value (an integer or a real).
    ScriptValue number;
};

// How a token is named in a syntax error, e.g. "'THEN'", "end of line", "name 'total'".
std::string DescribeToken(const Token& token);

// The spelling of a keyword or operator kind, e.g. "NEXT" or "<=".
const char* KindSpelling(TokenKind kind);

// Names and keywords are case-insensitive: this is the form under which they are compared.
std::string FoldCase(std::string_view name);

// Finds the keyword spelled `upperName` (already in upper case).
bool LookupKeyword(const std::string& upperName, TokenKind& kind);

// Finds the operator or punctuation spelled exactly `text`, e.g. "<>" or ",".
bool LookupOperator(std::string_view text, TokenKind& kind);

}  // namespace Ombra
