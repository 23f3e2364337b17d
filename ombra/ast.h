#pragma once

#include <memory>
#include <string>
#include <variant>
#include <vector>

#include "ombra/value.h"

namespace Ombra {

// The tree the parser builds and the evaluator walks. A statement occupies one line, so only
// statements carry a line number; an error inside an expression belongs to its statement's line.

enum class UnaryOp { Negate, Plus, Not };

enum class BinaryOp {
    Add,
    Subtract,
    Multiply,
    Divide,
    Power,
    Modulo,
    Equal,
    NotEqual,
    Less,
    Greater,
    LessEqual,
    GreaterEqual,
    And,
    Or,
};

enum class Builtin { Str, Strlen, Int, Abs };

struct Expr;
using ExprPtr = std::unique_ptr<Expr>;

// A variable as named in the script; `key` is the case-folded name under which it is stored.
struct VariableRef {
    std::string key;
    std::string spelling;
};

struct UnaryExpr {
    UnaryOp op;
    ExprPtr operand;
};

struct BinaryExpr {
    BinaryOp op;
    ExprPtr left;
    ExprPtr right;
};

struct CallExpr {
    Builtin function;
    ExprPtr argument;
};

// OPEN(type, name, parameters): gives the channel the data statements use.
struct OpenExpr {
    ExprPtr type;
    ExprPtr name;
    ExprPtr parameters;
};

// INPUT(channel, key, field, target, ...): gives the number of values delivered.
struct InputExpr {
    ExprPtr channel;
    ExprPtr key;
    ExprPtr field;
    std::vector<VariableRef> targets;  // at least one
};

struct Expr {
    std::variant<ScriptValue, VariableRef, UnaryExpr, BinaryExpr, CallExpr, OpenExpr, InputExpr>
        node;
};

struct Stmt;
using Block = std::vector<Stmt>;

struct AssignStmt {
    VariableRef target;
    ExprPtr value;
};

struct PrintStmt {
    std::vector<ExprPtr> values;
};

struct IfStmt {
    ExprPtr condition;
    Block thenBlock;
    Block elseBlock;
};

struct ForStmt {
    VariableRef variable;
    ExprPtr start;
    ExprPtr limit;
    ExprPtr step;  // null when the loop has no STEP: the step is then 1
    Block body;
};

struct WhileStmt {
    ExprPtr condition;
    Block body;
};

struct OutputStmt {
    ExprPtr channel;
    ExprPtr key;
    ExprPtr field;
    std::vector<ExprPtr> values;
};

struct CloseStmt {
    ExprPtr channel;
};

struct EndStmt {};

struct Stmt {
    int line = 0;
    std::variant<AssignStmt, PrintStmt, IfStmt, ForStmt, WhileStmt, OutputStmt, CloseStmt, EndStmt>
        node;
};

}  // namespace Ombra
