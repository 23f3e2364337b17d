#pragma once

#include <ostream>
#include <string>
#include <unordered_map>

#include "ombra/ast.h"
#include "ombra/data_statements.h"
#include "ombra/diagnostic.h"
#include "ombra/value.h"

namespace Ombra {

// Walks a parsed script and carries out its statements.
//
// Variables spring into being when first assigned; reading one before that is an error. PRINT
// writes its values to `out` separated by one blank and ended by a line feed, and flushes the
// stream so that a watcher sees each line as it is printed. Conditions (IF, WHILE, AND, OR, NOT)
// take numbers, non-zero meaning true; AND and OR skip their right operand when the left one
// decides. A FOR loop evaluates its start, limit and step once; it runs while the variable has
// not passed the limit (upwards for a positive step, downwards for a negative one), and the
// variable keeps the first value that passed it. OPEN and INPUT may appear in any expression;
// the data statements pass their texts (type, name, parameters, key, field) as the STR form of
// their values, and channels must be integers.
class Evaluator {
public:
    // `data` and `out` must outlive the evaluator.
    Evaluator(DataStatements& data, std::ostream& out) : data_(data), out_(out) {}

    // Runs `program` until its end or an END statement (true), or until a runtime error
    // (false; Error() then tells the line and the fault).
    bool Run(const Block& program);
    const Diagnostic& Error() const { return error_; }
    // True once an END statement has run. Variables outlive Run, so that a session can run
    // statement after statement in one evaluator.
    bool Ended() const { return ended_; }

private:
    enum class Flow { Next, Stop, Fail };

    Flow ExecBlock(const Block& block);
    Flow Exec(const Stmt& stmt);
    Flow ExecNode(const AssignStmt& assign, int line);
    Flow ExecNode(const PrintStmt& print, int line);
    Flow ExecNode(const IfStmt& branch, int line);
    Flow ExecNode(const ForStmt& loop, int line);
    Flow ExecNode(const WhileStmt& loop, int line);
    Flow ExecNode(const OutputStmt& output, int line);
    Flow ExecNode(const CloseStmt& close, int line);
    Flow ExecNode(const EndStmt& end, int line);
    bool ForHasEnded(const ForStmt& loop, const ScriptValue& limit, bool upwards, bool& ended);

    bool Eval(const Expr& expr, ScriptValue& result);
    bool EvalNode(const ScriptValue& literal, ScriptValue& result);
    bool EvalNode(const VariableRef& variable, ScriptValue& result);
    bool EvalNode(const UnaryExpr& unary, ScriptValue& result);
    bool EvalNode(const BinaryExpr& binary, ScriptValue& result);
    bool EvalNode(const CallExpr& call, ScriptValue& result);
    bool EvalNode(const OpenExpr& open, ScriptValue& result);
    bool EvalNode(const InputExpr& input, ScriptValue& result);
    bool EvalTruth(const Expr& expr, const char* role, bool& truth);
    bool EvalText(const Expr& expr, std::string& text);
    bool EvalChannel(const Expr& expr, int32_t& channel);
    bool CheckData(const char* statement, const DataStatus& status);

    // Record a runtime error on the current line and return false or Flow::Fail.
    bool Fail(std::string message);
    Flow Abort(std::string message);

    DataStatements& data_;
    std::ostream& out_;
    std::unordered_map<std::string, ScriptValue> variables_;  // by case-folded name
    int line_ = 0;  // line of the statement being carried out
    Diagnostic error_;
    bool ended_ = false;
};

}  // namespace Ombra
