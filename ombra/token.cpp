#include "ombra/token.h"

#include <array>
#include <span>

namespace Ombra {
namespace {

struct Spelling {
    TokenKind kind;
    const char* text;
};

constexpr std::array kKeywords = {
    Spelling{TokenKind::And, "AND"},
    Spelling{TokenKind::Close, "CLOSE"},
    Spelling{TokenKind::Do, "DO"},
    Spelling{TokenKind::Else, "ELSE"},
    Spelling{TokenKind::End, "END"},
    Spelling{TokenKind::EndIf, "ENDIF"},
    Spelling{TokenKind::EndWhile, "ENDWHILE"},
    Spelling{TokenKind::For, "FOR"},
    Spelling{TokenKind::If, "IF"},
    Spelling{TokenKind::Input, "INPUT"},
    Spelling{TokenKind::Mod, "MOD"},
    Spelling{TokenKind::Next, "NEXT"},
    Spelling{TokenKind::Not, "NOT"},
    Spelling{TokenKind::Open, "OPEN"},
    Spelling{TokenKind::Or, "OR"},
    Spelling{TokenKind::Output, "OUTPUT"},
    Spelling{TokenKind::Print, "PRINT"},
    Spelling{TokenKind::Step, "STEP"},
    Spelling{TokenKind::Then, "THEN"},
    Spelling{TokenKind::To, "TO"},
    Spelling{TokenKind::While, "WHILE"},
};

constexpr std::array kOperators = {
    Spelling{TokenKind::Plus, "+"},          Spelling{TokenKind::Minus, "-"},
    Spelling{TokenKind::Star, "*"},          Spelling{TokenKind::Slash, "/"},
    Spelling{TokenKind::Caret, "^"},         Spelling{TokenKind::Equal, "="},
    Spelling{TokenKind::NotEqual, "<>"},     Spelling{TokenKind::Less, "<"},
    Spelling{TokenKind::Greater, ">"},       Spelling{TokenKind::LessEqual, "<="},
    Spelling{TokenKind::GreaterEqual, ">="}, Spelling{TokenKind::LeftParen, "("},
    Spelling{TokenKind::RightParen, ")"},    Spelling{TokenKind::Comma, ","},
};

const char* FindSpelling(std::span<const Spelling> table, TokenKind kind) {
    for (const Spelling& entry : table) {
        if (entry.kind == kind) return entry.text;
    }
    return nullptr;
}

bool FindKind(std::span<const Spelling> table, std::string_view text, TokenKind& kind) {
    for (const Spelling& entry : table) {
        if (text == entry.text) {
            kind = entry.kind;
            return true;
        }
    }
    return false;
}

}  // namespace

const char* KindSpelling(TokenKind kind) {
    if (const char* text = FindSpelling(kKeywords, kind)) return text;
    if (const char* text = FindSpelling(kOperators, kind)) return text;
    switch (kind) {
        case TokenKind::Number:
            return "number";
        case TokenKind::String:
            return "string";
        case TokenKind::Name:
            return "name";
        case TokenKind::Newline:
            return "end of line";
        default:
            return "end of script";
    }
}

std::string FoldCase(std::string_view name) {
    std::string upper(name);
    for (char& c : upper) {
        if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
    }
    return upper;
}

bool LookupKeyword(const std::string& upperName, TokenKind& kind) {
    return FindKind(kKeywords, upperName, kind);
}

bool LookupOperator(std::string_view text, TokenKind& kind) {
    return FindKind(kOperators, text, kind);
}

std::string DescribeToken(const Token& token) {
    switch (token.kind) {
        case TokenKind::Number:
            return "number " + token.text;
        case TokenKind::String:
            return "string \"" + token.text + "\"";
        case TokenKind::Name:
            return "name '" + token.text + "'";
        case TokenKind::Newline:
        case TokenKind::EndOfScript:
            return KindSpelling(token.kind);
        default:
            return std::string("'") + KindSpelling(token.kind) + "'";
    }
}

}  // namespace Ombra
