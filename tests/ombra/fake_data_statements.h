#pragma once

#include <map>
#include <set>
#include <string>
#include <utility>
#include <vector>

#include "ombra/data_statements.h"
#include "ombra/script.h"

namespace Ombra::Testing {

// An in-memory stand-in for the extension modules: OUTPUT stores the values under (key, field),
// INPUT gives them back (at most as many as asked for). Every call is logged as one line of
// text, and any statement can be made to fail with a chosen status.
class FakeDataStatements : public DataStatements {
public:
    DataStatus Open(const std::string& type, const std::string& name, const std::string& parameters,
                    int32_t& channel) override;
    DataStatus Input(int32_t channel, const std::string& key, const std::string& field,
                     int32_t count, std::vector<ScriptValue>& delivered) override;
    DataStatus Output(int32_t channel, const std::string& key, const std::string& field,
                      const std::vector<ScriptValue>& values) override;
    DataStatus Close(int32_t channel) override;

    std::map<std::pair<std::string, std::string>, std::vector<ScriptValue>> records;
    std::vector<std::string> calls;              // e.g. "INPUT 1 key=7 field=2 count=3"
    std::map<std::string, DataStatus> failures;  // by statement name, e.g. "INPUT"
    bool deliverAll = false;                     // INPUT ignores the count it was given

private:
    bool Failing(const std::string& statement, DataStatus& status) const;

    std::set<int32_t> open_;
    int32_t nextChannel_ = 1;
};

// What a script run leaves behind.
struct RunResult {
    int exitStatus = -1;
    std::string out;
    std::string err;
};


}  // namespace Ombra::Testing
