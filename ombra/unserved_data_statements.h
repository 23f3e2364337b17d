#pragma once

#include "ombra/data_statements.h"

namespace Ombra {

// The data statements of a host that has no extension module loaded: OPEN fails because no
// module serves the file type, and since no channel is ever open, so do INPUT, OUTPUT and CLOSE.
class UnservedDataStatements : public DataStatements {
public:
    DataStatus Open(const std::string& type, const std::string& name, const std::string& parameters,
                    int32_t& channel) override;
    DataStatus Input(int32_t channel, const std::string& key, const std::string& field,
                     int32_t count, std::vector<ScriptValue>& delivered) override;
    DataStatus Output(int32_t channel, const std::string& key, const std::string& field,
                      const std::vector<ScriptValue>& values) override;
    DataStatus Close(int32_t channel) override;
};

}  // namespace Ombra
