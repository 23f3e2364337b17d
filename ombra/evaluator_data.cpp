// The data statements of the evaluator: OPEN, INPUT, OUTPUT and CLOSE, carried out through the
// DataStatements interface.
#include <utility>
#include <vector>

#include "ombra/evaluator.h"

namespace Ombra {

bool Evaluator::EvalNode(const OpenExpr& open, ScriptValue& result) {
    std::string type;
    std::string name;
    std::string parameters;
    if (!EvalText(*open.type, type) || !EvalText(*open.name, name) ||
        !EvalText(*open.parameters, parameters)) {
        return false;
    }
    int32_t channel = 0;
    if (!CheckData("OPEN", data_.Open(type, name, parameters, channel))) return false;
    result = channel;
    return true;
}

// Assigns the delivered values to the first variables in order; the others keep their state,
// assigned or not. The result is the number of values delivered.
bool Evaluator::EvalNode(const InputExpr& input, ScriptValue& result) {
    int32_t channel = 0;
    std::string key;
    std::string field;
    if (!EvalChannel(*input.channel, channel) || !EvalText(*input.key, key) ||
        !EvalText(*input.field, field)) {
        return false;
    }
    std::vector<ScriptValue> delivered;
    auto count = static_cast<int32_t>(input.targets.size());
    if (!CheckData("INPUT", data_.Input(channel, key, field, count, delivered))) return false;
    if (delivered.size() > input.targets.size()) {
        return Fail("INPUT received " + std::to_string(delivered.size()) + " values for " +
                    std::to_string(count) + " variables");
    }
    for (size_t i = 0; i < delivered.size(); ++i) {
        variables_[input.targets[i].key] = std::move(delivered[i]);
    }
    result = static_cast<int32_t>(delivered.size());
    return true;
}

Evaluator::Flow Evaluator::ExecNode(const OutputStmt& output, int) {
    int32_t channel = 0;
    std::string key;
    std::string field;
    if (!EvalChannel(*output.channel, channel) || !EvalText(*output.key, key) ||
        !EvalText(*output.field, field)) {
        return Flow::Fail;
    }
    std::vector<ScriptValue> values(output.values.size());
    for (size_t i = 0; i < values.size(); ++i) {
        if (!Eval(*output.values[i], values[i])) return Flow::Fail;
    }
    bool ok = CheckData("OUTPUT", data_.Output(channel, key, field, values));
    return ok ? Flow::Next : Flow::Fail;
}

Evaluator::Flow Evaluator::ExecNode(const CloseStmt& close, int) {
    int32_t channel = 0;
    if (!EvalChannel(*close.channel, channel)) return Flow::Fail;
    return CheckData("CLOSE", data_.Close(channel)) ? Flow::Next : Flow::Fail;
}

// Keys, fields and the texts of OPEN reach the module as the STR form of their values.
bool Evaluator::EvalText(const Expr& expr, std::string& text) {
    ScriptValue value;
    if (!Eval(expr, value)) return false;
    text = FormatValue(value);
    return true;
}

bool Evaluator::EvalChannel(const Expr& expr, int32_t& channel) {
    ScriptValue value;
    if (!Eval(expr, value)) return false;
    if (!IsInteger(value))
        return Fail(std::string("a channel must be an integer, not a ") + TypeName(value));
    channel = std::get<int32_t>(value);
    return true;
}

bool Evaluator::CheckData(const char* statement, const DataStatus& status) {
    if (status.ok()) return true;
    std::string message = std::string(statement) + " failed";
    if (status.status == DataStatus::kHostFailure) return Fail(message + ": " + status.detail);
    message += " with status " + std::to_string(status.status);
    if (!status.detail.empty()) message += " (" + status.detail + ")";
    return Fail(message);
}

}  // namespace Ombra
