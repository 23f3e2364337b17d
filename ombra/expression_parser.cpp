#include "ombra/expression_parser.h"

#include <array>
#include <optional>
#include <span>
#include <utility>

#include "ombra/builtins.h"

namespace Ombra {
namespace {

// Operator precedence, from loosest to tightest binding:
//   OR;  AND;  NOT;  = <> < > <= >= (one per comparison);  + -;  * / MOD;  unary - +;  ^ (right).
// Unary minus binds looser than '^', so -2^2 is -4, while 2^-1 is 0.5.
class ExpressionParser {
public:
    explicit ExpressionParser(TokenCursor& cursor) : cursor_(cursor) {}

    ExprPtr ParseOr();

private:
    ExprPtr ParseAnd();
    ExprPtr ParseNot();
    ExprPtr ParseComparison();
    ExprPtr ParseSum();
    ExprPtr ParseTerm();
    ExprPtr ParseUnary();
    ExprPtr ParsePower();
    ExprPtr ParsePrimary();
    ExprPtr ParseParenthesized();
    ExprPtr ParseName();
    ExprPtr ParseOpen();
    ExprPtr ParseInput();
    bool ParseArgument(ExprPtr& argument, bool last, const char* context);

    TokenCursor& cursor_;
};

ExprPtr MakeExpr(auto node) {
    return std::make_unique<Expr>(Expr{std::move(node)});
}

ExprPtr MakeBinary(BinaryOp op, ExprPtr left, ExprPtr right) {
    if (!left || !right) return nullptr;
    return MakeExpr(BinaryExpr{op, std::move(left), std::move(right)});
}

ExprPtr MakeUnary(UnaryOp op, ExprPtr operand) {
    if (!operand) return nullptr;
    return MakeExpr(UnaryExpr{op, std::move(operand)});
}

struct OperatorEntry {
    TokenKind token;
    BinaryOp op;
};

std::optional<BinaryOp> FindOperator(std::span<const OperatorEntry> table, TokenKind kind) {
    for (const OperatorEntry& entry : table) {
        if (entry.token == kind) return entry.op;
    }
    return std::nullopt;
}

constexpr std::array kComparisons = {
    OperatorEntry{TokenKind::Equal, BinaryOp::Equal},
    OperatorEntry{TokenKind::NotEqual, BinaryOp::NotEqual},
    OperatorEntry{TokenKind::Less, BinaryOp::Less},
    OperatorEntry{TokenKind::Greater, BinaryOp::Greater},
    OperatorEntry{TokenKind::LessEqual, BinaryOp::LessEqual},
    OperatorEntry{TokenKind::GreaterEqual, BinaryOp::GreaterEqual},
};
constexpr std::array kSumOperators = {
    OperatorEntry{TokenKind::Plus, BinaryOp::Add},
    OperatorEntry{TokenKind::Minus, BinaryOp::Subtract},
};
constexpr std::array kTermOperators = {
    OperatorEntry{TokenKind::Star, BinaryOp::Multiply},
    OperatorEntry{TokenKind::Slash, BinaryOp::Divide},
    OperatorEntry{TokenKind::Mod, BinaryOp::Modulo},
};

// expr -> andexpr {OR andexpr}
ExprPtr ExpressionParser::ParseOr() {
    NestingGuard nesting(cursor_);
    if (!nesting.Deepen()) return nullptr;
    ExprPtr left = ParseAnd();
    while (left && cursor_.Accept(TokenKind::Or)) {
        if (!nesting.Deepen()) return nullptr;
        left = MakeBinary(BinaryOp::Or, std::move(left), ParseAnd());
    }
    return left;
}

// andexpr -> notexpr {AND notexpr}
ExprPtr ExpressionParser::ParseAnd() {
    NestingGuard nesting(cursor_);
    ExprPtr left = ParseNot();
    while (left && cursor_.Accept(TokenKind::And)) {
        if (!nesting.Deepen()) return nullptr;
        left = MakeBinary(BinaryOp::And, std::move(left), ParseNot());
    }
    return left;
}

// notexpr -> NOT notexpr | comparison
ExprPtr ExpressionParser::ParseNot() {
    if (!cursor_.Accept(TokenKind::Not)) return ParseComparison();
    NestingGuard nesting(cursor_);
    if (!nesting.Deepen()) return nullptr;
    return MakeUnary(UnaryOp::Not, ParseNot());
}

// comparison -> sum [('=' | '<>' | '<' | '>' | '<=' | '>=') sum]
ExprPtr ExpressionParser::ParseComparison() {
    ExprPtr left = ParseSum();
    std::optional<BinaryOp> op = FindOperator(kComparisons, cursor_.Peek().kind);
    if (!left || !op) return left;
    cursor_.Advance();
    return MakeBinary(*op, std::move(left), ParseSum());
}

// sum -> term {('+' | '-') term}
ExprPtr ExpressionParser::ParseSum() {
    NestingGuard nesting(cursor_);
    ExprPtr left = ParseTerm();
    while (left) {
        std::optional<BinaryOp> op = FindOperator(kSumOperators, cursor_.Peek().kind);
        if (!op) break;
        if (!nesting.Deepen()) return nullptr;
        cursor_.Advance();
        left = MakeBinary(*op, std::move(left), ParseTerm());
    }
    return left;
}

// term -> unary {('*' | '/' | MOD) unary}
ExprPtr ExpressionParser::ParseTerm() {
    NestingGuard nesting(cursor_);
    ExprPtr left = ParseUnary();
    while (left) {
        std::optional<BinaryOp> op = FindOperator(kTermOperators, cursor_.Peek().kind);
        if (!op) break;
        if (!nesting.Deepen()) return nullptr;
        cursor_.Advance();
        left = MakeBinary(*op, std::move(left), ParseUnary());
    }
    return left;
}

// unary -> ('-' | '+') unary | power
ExprPtr ExpressionParser::ParseUnary() {
    bool negate = cursor_.Check(TokenKind::Minus);
    if (!negate && !cursor_.Check(TokenKind::Plus)) return ParsePower();
    cursor_.Advance();
    NestingGuard nesting(cursor_);
    if (!nesting.Deepen()) return nullptr;
    return MakeUnary(negate ? UnaryOp::Negate : UnaryOp::Plus, ParseUnary());
}

// power -> primary ['^' unary]
ExprPtr ExpressionParser::ParsePower() {
    ExprPtr base = ParsePrimary();
    if (!base || !cursor_.Accept(TokenKind::Caret)) return base;
    NestingGuard nesting(cursor_);
    if (!nesting.Deepen()) return nullptr;
    return MakeBinary(BinaryOp::Power, std::move(base), ParseUnary());
}

// primary -> number | string | name | call | '(' expr ')' | openexpr | inputexpr
ExprPtr ExpressionParser::ParsePrimary() {
    const Token& token = cursor_.Peek();
    switch (token.kind) {
        case TokenKind::Number:
            return MakeExpr(cursor_.Advance().number);
        case TokenKind::String:
            return MakeExpr(ScriptValue(cursor_.Advance().text));
        case TokenKind::Name:
            return ParseName();
        case TokenKind::LeftParen:
            return ParseParenthesized();
        case TokenKind::Open:
            return ParseOpen();
        case TokenKind::Input:
            return ParseInput();
        default:
            cursor_.Fail("expected an expression, found " + DescribeToken(token));
            return nullptr;
    }
}

ExprPtr ExpressionParser::ParseParenthesized() {
    cursor_.Advance();
    ExprPtr inner = ParseOr();
    if (!inner || !cursor_.Expect(TokenKind::RightParen, "to close '('")) return nullptr;
    return inner;
}

// name -> NAME | call;   call -> NAME '(' expr ')'   (NAME one of STR, STRLEN, INT, ABS)
ExprPtr ExpressionParser::ParseName() {
    const Token& name = cursor_.Advance();
    VariableRef variable{FoldCase(name.text), name.text};
    if (!cursor_.Accept(TokenKind::LeftParen)) return MakeExpr(std::move(variable));
    Builtin function = Builtin::Str;
    if (!LookupBuiltin(variable.key, function)) {
        cursor_.Fail("unknown function '" + variable.spelling + "'");
        return nullptr;
    }
    ExprPtr argument = ParseOr();
    std::string context = "after the argument of " + variable.key;
    if (!argument || !cursor_.Expect(TokenKind::RightParen, context)) return nullptr;
    return MakeExpr(CallExpr{function, std::move(argument)});
}

// Parses one argument and the ',' after it, or the ')' after the last one.
bool ExpressionParser::ParseArgument(ExprPtr& argument, bool last, const char* context) {
    argument = ParseOr();
    if (!argument) return false;
    return cursor_.Expect(last ? TokenKind::RightParen : TokenKind::Comma, context);
}

// openexpr -> OPEN '(' expr ',' expr ',' expr ')'
ExprPtr ExpressionParser::ParseOpen() {
    cursor_.Advance();
    OpenExpr open;
    const char* context = "in OPEN(type, name, parameters)";
    bool ok = cursor_.Expect(TokenKind::LeftParen, "after OPEN") &&
              ParseArgument(open.type, false, context) &&
              ParseArgument(open.name, false, context) &&
              ParseArgument(open.parameters, true, context);
    return ok ? MakeExpr(std::move(open)) : nullptr;
}

// inputexpr -> INPUT '(' expr ',' expr ',' expr ',' name {',' name} ')'
ExprPtr ExpressionParser::ParseInput() {
    cursor_.Advance();
    InputExpr input;
    const char* context = "in INPUT(channel, key, field, variable, ...)";
    bool ok = cursor_.Expect(TokenKind::LeftParen, "after INPUT") &&
              ParseArgument(input.channel, false, context) &&
              ParseArgument(input.key, false, context) &&
              ParseArgument(input.field, false, context);
    if (!ok) return nullptr;
    do {
        VariableRef& target = input.targets.emplace_back();
        if (!ParseVariable(cursor_, "to receive a value of INPUT", target)) return nullptr;
    } while (cursor_.Accept(TokenKind::Comma));
    if (!cursor_.Expect(TokenKind::RightParen, context)) return nullptr;
    return MakeExpr(std::move(input));
}

}  // namespace

ExprPtr ParseExpression(TokenCursor& cursor) {
    return ExpressionParser(cursor).ParseOr();
}

bool ParseVariable(TokenCursor& cursor, const char* context, VariableRef& variable) {
    if (!cursor.Check(TokenKind::Name)) return cursor.Expect(TokenKind::Name, context);
    const Token& token = cursor.Advance();
    variable = VariableRef{FoldCase(token.text), token.text};
    return true;
}

}  // namespace Ombra
