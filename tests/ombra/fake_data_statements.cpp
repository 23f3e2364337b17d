#include "fake_data_statements.h"

namespace Ombra::Testing {

bool FakeDataStatements::Failing(const std::string& statement, DataStatus& status) const {
    auto found = failures.find(statement);
    if (found == failures.end()) return false;
    status = found->second;
    return true;
}

DataStatus FakeDataStatements::Open(const std::string& type, const std::string& name,
                                    const std::string& parameters, int32_t& channel) {
    calls.push_back("OPEN " + type + "|" + name + "|" + parameters);
    DataStatus status;
    if (Failing("OPEN", status)) return status;
    channel = nextChannel_++;
    open_.insert(channel);
    return status;
}

DataStatus FakeDataStatements::Input(int32_t channel, const std::string& key,
                                     const std::string& field, int32_t count,
                                     std::vector<ScriptValue>& delivered) {
    calls.push_back("INPUT " + std::to_string(channel) + " key=" + key + " field=" + field +
                    " count=" + std::to_string(count));
    DataStatus status;
    if (Failing("INPUT", status)) return status;
    if (open_.count(channel) == 0) return {DataStatus::kHostFailure, "channel is not open"};
    const std::vector<ScriptValue>& stored = records[{key, field}];
    size_t size = deliverAll ? stored.size() : std::min(stored.size(), size_t(count));
    delivered.assign(stored.begin(), stored.begin() + static_cast<ptrdiff_t>(size));
    return status;
}

DataStatus FakeDataStatements::Output(int32_t channel, const std::string& key,
                                      const std::string& field,
                                      const std::vector<ScriptValue>& values) {
    calls.push_back("OUTPUT " + std::to_string(channel) + " key=" + key + " field=" + field +
                    " values=" + std::to_string(values.size()));
    DataStatus status;
    if (Failing("OUTPUT", status)) return status;
    if (open_.count(channel) == 0) return {DataStatus::kHostFailure, "channel is not open"};
    records[{key, field}] = values;
    return status;
}

DataStatus FakeDataStatements::Close(int32_t channel) {
    calls.push_back("CLOSE " + std::to_string(channel));
    DataStatus status;
    if (Failing("CLOSE", status)) return status;
    if (open_.erase(channel) == 0) return {DataStatus::kHostFailure, "channel is not open"};
    return status;
}

}  // namespace Ombra::Testing
