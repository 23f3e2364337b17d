#include "ombra/evaluator.h"

#include <utility>
#include <vector>

#include "ombra/builtins.h"
#include "ombra/operators.h"

namespace Ombra {

bool Evaluator::Run(const Block& program) {
    return ExecBlock(program) != Flow::Fail;
}

Evaluator::Flow Evaluator::ExecBlock(const Block& block) {
    for (const Stmt& stmt : block) {
        Flow flow = Exec(stmt);
        if (flow != Flow::Next) return flow;
    }
    return Flow::Next;
}

Evaluator::Flow Evaluator::Exec(const Stmt& stmt) {
    line_ = stmt.line;
    return std::visit([&](const auto& node) { return ExecNode(node, stmt.line); }, stmt.node);
}

Evaluator::Flow Evaluator::ExecNode(const AssignStmt& assign, int) {
    ScriptValue value;
    if (!Eval(*assign.value, value)) return Flow::Fail;
    variables_[assign.target.key] = std::move(value);
    return Flow::Next;
}

// All values are evaluated before anything is written, so a failing PRINT writes nothing.
Evaluator::Flow Evaluator::ExecNode(const PrintStmt& print, int) {
    std::string text;
    for (const ExprPtr& expr : print.values) {
        ScriptValue value;
        if (!Eval(*expr, value)) return Flow::Fail;
        if (&expr != &print.values.front()) text += ' ';
        text += FormatValue(value);
    }
    out_ << text << '\n' << std::flush;
    return out_ ? Flow::Next : Abort("PRINT could not write its output");
}

Evaluator::Flow Evaluator::ExecNode(const IfStmt& branch, int) {
    bool truth = false;
    if (!EvalTruth(*branch.condition, "the IF condition", truth)) return Flow::Fail;
    return ExecBlock(truth ? branch.thenBlock : branch.elseBlock);
}

Evaluator::Flow Evaluator::ExecNode(const ForStmt& loop, int line) {
    ScriptValue start;
    ScriptValue limit;
    ScriptValue step = int32_t{1};
    if (!Eval(*loop.start, start) || !Eval(*loop.limit, limit) ||
        (loop.step && !Eval(*loop.step, step))) {
        return Flow::Fail;
    }
    if (!IsNumber(start) || !IsNumber(limit) || !IsNumber(step)) {
        return Abort("FOR needs numbers for its start, limit and step");
    }
    if (ToReal(step) == 0) return Abort("FOR with a STEP of zero would never end");
    bool upwards = ToReal(step) > 0;
    variables_[loop.variable.key] = start;
    for (;;) {
        line_ = line;
        bool ended = false;
        if (!ForHasEnded(loop, limit, upwards, ended)) return Flow::Fail;
        if (ended) return Flow::Next;
        Flow flow = ExecBlock(loop.body);
        if (flow != Flow::Next) return flow;
        line_ = line;
        ScriptValue& variable = variables_[loop.variable.key];
        ScriptValue next;
        std::string error;
        if (!ApplyBinary(BinaryOp::Add, variable, step, next, error)) {
            return Abort("FOR cannot step " + loop.variable.spelling + ": " + error);
        }
        variable = std::move(next);
    }
}

// The loop ends when its variable has passed the limit in the direction of the step.
bool Evaluator::ForHasEnded(const ForStmt& loop, const ScriptValue& limit, bool upwards,
                            bool& ended) {
    BinaryOp passed = upwards ? BinaryOp::Greater : BinaryOp::Less;
    ScriptValue result;
    std::string error;
    if (!ApplyBinary(passed, variables_[loop.variable.key], limit, result, error)) {
        return Fail("FOR cannot compare " + loop.variable.spelling + " with its limit: " + error);
    }
    ended = std::get<int32_t>(result) != 0;
    return true;
}

Evaluator::Flow Evaluator::ExecNode(const WhileStmt& loop, int line) {
    for (;;) {
        line_ = line;
        bool truth = false;
        if (!EvalTruth(*loop.condition, "the WHILE condition", truth)) return Flow::Fail;
        if (!truth) return Flow::Next;
        Flow flow = ExecBlock(loop.body);
        if (flow != Flow::Next) return flow;
    }
}

Evaluator::Flow Evaluator::ExecNode(const EndStmt&, int) {
    ended_ = true;
    return Flow::Stop;
}

bool Evaluator::Eval(const Expr& expr, ScriptValue& result) {
    return std::visit([&](const auto& node) { return EvalNode(node, result); }, expr.node);
}

bool Evaluator::EvalNode(const ScriptValue& literal, ScriptValue& result) {
    result = literal;
    return true;
}

bool Evaluator::EvalNode(const VariableRef& variable, ScriptValue& result) {
    auto found = variables_.find(variable.key);
    if (found == variables_.end()) {
        return Fail("variable '" + variable.spelling + "' is used before it is assigned");
    }
    result = found->second;
    return true;
}

bool Evaluator::EvalNode(const UnaryExpr& unary, ScriptValue& result) {
    ScriptValue operand;
    std::string error;
    if (!Eval(*unary.operand, operand)) return false;
    return ApplyUnary(unary.op, operand, result, error) || Fail(error);
}

bool Evaluator::EvalNode(const BinaryExpr& binary, ScriptValue& result) {
    ScriptValue left;
    ScriptValue right;
    std::string error;
    if (!Eval(*binary.left, left)) return false;
    bool isAnd = binary.op == BinaryOp::And;
    if (isAnd || binary.op == BinaryOp::Or) {
        bool truth = false;
        const char* role = isAnd ? "an operand of AND" : "an operand of OR";
        if (!Truth(left, role, truth, error)) return Fail(error);
        if (truth != isAnd) {  // false AND ..., true OR ...: decided by the left operand
            result = int32_t{truth ? 1 : 0};
            return true;
        }
    }
    if (!Eval(*binary.right, right)) return false;
    return ApplyBinary(binary.op, left, right, result, error) || Fail(error);
}

bool Evaluator::EvalNode(const CallExpr& call, ScriptValue& result) {
    ScriptValue argument;
    std::string error;
    if (!Eval(*call.argument, argument)) return false;
    return CallBuiltin(call.function, argument, result, error) || Fail(error);
}

bool Evaluator::EvalTruth(const Expr& expr, const char* role, bool& truth) {
    ScriptValue value;
    std::string error;
    if (!Eval(expr, value)) return false;
    return Truth(value, role, truth, error) || Fail(error);
}

bool Evaluator::Fail(std::string message) {
    error_ = Diagnostic{line_, std::move(message)};
    return false;
}

Evaluator::Flow Evaluator::Abort(std::string message) {
    Fail(std::move(message));
    return Flow::Fail;
}

}  // namespace Ombra
