#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "ombra/value.h"

namespace Ombra {

// The outcome of one data statement. When the extension module ran, `status` is its 16-bit
// result (0 = success) and `detail` may add the module's own explanation. When the host itself
// failed (no module serves the file type, the channel is not open, the module could not be
// loaded...), `status` is kHostFailure and `detail` says what went wrong.
struct DataStatus {
    static constexpr int kHostFailure = 0x10000;  // outside the range of any 16-bit status

    int status = 0;
    std::string detail;

    bool ok() const { return status == 0; }
};

// How the evaluator performs OPEN, INPUT, OUTPUT and CLOSE. The evaluator knows nothing of
// modules: the host's implementation finds the module that serves a file type, converts the
// UTF-8 texts and script values to the module's forms, and keeps track of the channels.
// Any result other than success stops the script with exit status 1 and a message naming the
// script, the line, the statement and the status ("INPUT failed with status -7003").
class DataStatements {
public:
    virtual ~DataStatements() = default;

    // OPEN(type, name, parameters). On success `channel` holds the channel that the other
    // statements name; on failure it is unspecified.
    virtual DataStatus Open(const std::string& type, const std::string& name,
                            const std::string& parameters, int32_t& channel) = 0;

    // INPUT(channel, key, field, ...) with `count` (>= 1) variables to fill. On success
    // `delivered` holds the values the module gave, at most `count`, in order.
    virtual DataStatus Input(int32_t channel, const std::string& key, const std::string& field,
                             int32_t count, std::vector<ScriptValue>& delivered) = 0;

    // OUTPUT channel, key, field, values... (zero or more values).
    virtual DataStatus Output(int32_t channel, const std::string& key, const std::string& field,
                              const std::vector<ScriptValue>& values) = 0;

    // CLOSE channel.
    virtual DataStatus Close(int32_t channel) = 0;
};

}  // namespace Ombra
