#include "ombra/unserved_data_statements.h"

namespace Ombra {
namespace {

DataStatus NotOpen(int32_t channel) {
    return {DataStatus::kHostFailure, "channel " + std::to_string(channel) + " is not open"};
}

}  // namespace

DataStatus UnservedDataStatements::Open(const std::string& type, const std::string&,
                                        const std::string&, int32_t&) {
    return {DataStatus::kHostFailure, "no extension module serves file type '" + type + "'"};
}

DataStatus UnservedDataStatements::Input(int32_t channel, const std::string&, const std::string&,
                                         int32_t, std::vector<ScriptValue>&) {
    return NotOpen(channel);
}

DataStatus UnservedDataStatements::Output(int32_t channel, const std::string&, const std::string&,
                                          const std::vector<ScriptValue>&) {
    return NotOpen(channel);
}

DataStatus UnservedDataStatements::Close(int32_t channel) {
    return NotOpen(channel);
}

}  // namespace Ombra
