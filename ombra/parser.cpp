#include "ombra/parser.h"

#include <utility>

#include "ombra/expression_parser.h"
#include "ombra/token_cursor.h"

namespace Ombra {
namespace {

bool IsBlockEnd(TokenKind kind) {
    return kind == TokenKind::Else || kind == TokenKind::EndIf || kind == TokenKind::Next ||
           kind == TokenKind::EndWhile || kind == TokenKind::EndOfScript;
}

const char* OpenerOf(TokenKind closer) {
    switch (closer) {
        case TokenKind::Next:
            return "FOR";
        case TokenKind::EndWhile:
            return "WHILE";
        default:
            return "IF";
    }
}

class StatementParser {
public:
    explicit StatementParser(TokenCursor& cursor) : cursor_(cursor) {}

    bool ParseProgram(Block& program);

private:
    bool ParseBlock(Block& block);
    bool ParseStatement(Stmt& stmt, bool afterThen);
    bool ParseAssign(Stmt& stmt);
    bool ParsePrint(Stmt& stmt);
    bool ParseIf(Stmt& stmt, bool afterThen);
    bool ParseIfBlocks(IfStmt& branch, int line);
    bool ParseFor(Stmt& stmt);
    bool ParseNext(const ForStmt& loop);
    bool ParseWhile(Stmt& stmt);
    bool ParseOutput(Stmt& stmt);
    bool ParseClose(Stmt& stmt);
    bool ParseExpr(ExprPtr& expr);
    bool ExpectCloser(TokenKind closer, int openLine);

    TokenCursor& cursor_;
};

// program -> block EOF
bool StatementParser::ParseProgram(Block& program) {
    if (!ParseBlock(program)) return false;
    TokenKind kind = cursor_.Peek().kind;
    if (kind == TokenKind::EndOfScript) return true;
    return cursor_.Fail(std::string(KindSpelling(kind)) + " without " + OpenerOf(kind));
}

// block -> {[statement] NEWLINE}   (ends before ELSE, ENDIF, NEXT, ENDWHILE or the end of script)
bool StatementParser::ParseBlock(Block& block) {
    while (!IsBlockEnd(cursor_.Peek().kind)) {
        if (!cursor_.Check(TokenKind::Newline) && !ParseStatement(block.emplace_back(), false)) {
            return false;
        }
        if (!cursor_.Expect(TokenKind::Newline, "after the statement")) return false;
    }
    return true;
}

// statement -> assignstat | printstat | ifstat | forstat | whilestat | outputstat | closestat
//            | END
// After THEN on the same line only statements that end on that line may follow.
bool StatementParser::ParseStatement(Stmt& stmt, bool afterThen) {
    NestingGuard nesting(cursor_);
    if (!nesting.Deepen()) return false;
    stmt.line = cursor_.Peek().line;
    TokenKind kind = cursor_.Peek().kind;
    if (afterThen && (kind == TokenKind::For || kind == TokenKind::While)) {
        return cursor_.Fail(std::string(KindSpelling(kind)) + " cannot follow THEN on one line");
    }
    switch (kind) {
        case TokenKind::Name:
            return ParseAssign(stmt);
        case TokenKind::Print:
            return ParsePrint(stmt);
        case TokenKind::If:
            return ParseIf(stmt, afterThen);
        case TokenKind::For:
            return ParseFor(stmt);
        case TokenKind::While:
            return ParseWhile(stmt);
        case TokenKind::Output:
            return ParseOutput(stmt);
        case TokenKind::Close:
            return ParseClose(stmt);
        case TokenKind::End:
            cursor_.Advance();
            stmt.node = EndStmt{};
            return true;
        default:
            return cursor_.Fail("expected a statement, found " + DescribeToken(cursor_.Peek()));
    }
}

// assignstat -> name '=' expr
bool StatementParser::ParseAssign(Stmt& stmt) {
    AssignStmt assign;
    bool ok = ParseVariable(cursor_, "to assign to", assign.target) &&
              cursor_.Expect(TokenKind::Equal, "after the name '" + assign.target.spelling + "'") &&
              ParseExpr(assign.value);
    stmt.node = std::move(assign);
    return ok;
}

// printstat -> PRINT [expr {',' expr}]
bool StatementParser::ParsePrint(Stmt& stmt) {
    cursor_.Advance();
    PrintStmt print;
    if (!cursor_.Check(TokenKind::Newline)) {
        do {
            if (!ParseExpr(print.values.emplace_back())) return false;
        } while (cursor_.Accept(TokenKind::Comma));
    }
    stmt.node = std::move(print);
    return true;
}

// ifstat -> IF expr THEN (statement | NEWLINE block [ELSE NEWLINE block] ENDIF)
bool StatementParser::ParseIf(Stmt& stmt, bool afterThen) {
    cursor_.Advance();
    IfStmt branch;
    if (!ParseExpr(branch.condition) ||
        !cursor_.Expect(TokenKind::Then, "after the IF condition")) {
        return false;
    }
    bool ok;
    if (!cursor_.Check(TokenKind::Newline)) {
        ok = ParseStatement(branch.thenBlock.emplace_back(), true);
    } else if (afterThen) {
        ok = cursor_.Fail("an IF block cannot follow THEN on one line");
    } else {
        ok = ParseIfBlocks(branch, stmt.line);
    }
    stmt.node = std::move(branch);
    return ok;
}

bool StatementParser::ParseIfBlocks(IfStmt& branch, int line) {
    cursor_.Advance();
    if (!ParseBlock(branch.thenBlock)) return false;
    if (cursor_.Accept(TokenKind::Else)) {
        if (!cursor_.Expect(TokenKind::Newline, "after ELSE") || !ParseBlock(branch.elseBlock)) {
            return false;
        }
    }
    return ExpectCloser(TokenKind::EndIf, line);
}

// forstat -> FOR name '=' expr TO expr [STEP expr] NEWLINE block NEXT name
bool StatementParser::ParseFor(Stmt& stmt) {
    cursor_.Advance();
    ForStmt loop;
    bool ok = ParseVariable(cursor_, "after FOR", loop.variable) &&
              cursor_.Expect(TokenKind::Equal, "after the FOR variable") && ParseExpr(loop.start) &&
              cursor_.Expect(TokenKind::To, "after the start value") && ParseExpr(loop.limit);
    if (ok && cursor_.Accept(TokenKind::Step)) ok = ParseExpr(loop.step);
    ok = ok && cursor_.Expect(TokenKind::Newline, "at the end of the FOR line") &&
         ParseBlock(loop.body) && ExpectCloser(TokenKind::Next, stmt.line) && ParseNext(loop);
    stmt.node = std::move(loop);
    return ok;
}

// The name after NEXT must be the loop's own variable.
bool StatementParser::ParseNext(const ForStmt& loop) {
    int line = cursor_.Peek().line;
    VariableRef next;
    if (!ParseVariable(cursor_, "after NEXT", next)) return false;
    if (next.key == loop.variable.key) return true;
    return cursor_.FailAt(
        line, "NEXT " + next.spelling + " does not match FOR " + loop.variable.spelling);
}

// whilestat -> WHILE expr DO NEWLINE block ENDWHILE
bool StatementParser::ParseWhile(Stmt& stmt) {
    cursor_.Advance();
    WhileStmt loop;
    bool ok = ParseExpr(loop.condition) &&
              cursor_.Expect(TokenKind::Do, "after the WHILE condition") &&
              cursor_.Expect(TokenKind::Newline, "after DO") && ParseBlock(loop.body) &&
              ExpectCloser(TokenKind::EndWhile, stmt.line);
    stmt.node = std::move(loop);
    return ok;
}

// outputstat -> OUTPUT expr ',' expr ',' expr {',' expr}
bool StatementParser::ParseOutput(Stmt& stmt) {
    cursor_.Advance();
    OutputStmt output;
    const char* context = "in OUTPUT channel, key, field, value, ...";
    bool ok = ParseExpr(output.channel) && cursor_.Expect(TokenKind::Comma, context) &&
              ParseExpr(output.key) && cursor_.Expect(TokenKind::Comma, context) &&
              ParseExpr(output.field);
    while (ok && cursor_.Accept(TokenKind::Comma)) ok = ParseExpr(output.values.emplace_back());
    stmt.node = std::move(output);
    return ok;
}

// closestat -> CLOSE expr
bool StatementParser::ParseClose(Stmt& stmt) {
    cursor_.Advance();
    CloseStmt close;
    bool ok = ParseExpr(close.channel);
    stmt.node = std::move(close);
    return ok;
}

bool StatementParser::ParseExpr(ExprPtr& expr) {
    expr = ParseExpression(cursor_);
    return expr != nullptr;
}

// Accepts the keyword that closes a construct opened on `openLine`. A script that ends first
// is reported on the opening line, which is where the missing closer belongs.
bool StatementParser::ExpectCloser(TokenKind closer, int openLine) {
    if (cursor_.Accept(closer)) return true;
    std::string opener = OpenerOf(closer);
    std::string closerText = KindSpelling(closer);
    if (cursor_.Check(TokenKind::EndOfScript)) {
        return cursor_.FailAt(openLine, opener + " is never closed by " + closerText);
    }
    return cursor_.Fail("expected " + closerText + " to close the " + opener + " of line " +
                        std::to_string(openLine) + ", found " + DescribeToken(cursor_.Peek()));
}

}  // namespace

bool Parse(const std::vector<Token>& tokens, Block& program, Diagnostic& error) {
    return ParseSoFar(tokens, program, error) == ParseOutcome::kComplete;
}

// Every line ends in a Newline token, so only a block still waiting for its closer can fail on
// the end of the tokens.
ParseOutcome ParseSoFar(const std::vector<Token>& tokens, Block& program, Diagnostic& error) {
    TokenCursor cursor(tokens);
    if (StatementParser(cursor).ParseProgram(program)) return ParseOutcome::kComplete;
    error = cursor.Error();
    return cursor.FailedAtEnd() ? ParseOutcome::kOpenBlock : ParseOutcome::kError;
}

}  // namespace Ombra
