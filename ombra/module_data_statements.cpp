#include "ombra/module_data_statements.h"

#include "platform/extension_host/value_records.h"

namespace Ombra {
namespace {

ZR::UniString FromUtf8(const std::string& text) {
    return ZR::UniString(text.data(), USize(text.size()), CC_UTF8);
}

DataStatus HostFailure(std::string detail) {
    return {DataStatus::kHostFailure, std::move(detail)};
}

DataStatus NotOpen(int32_t channel) {
    return HostFailure("channel " + std::to_string(channel) + " is not open");
}

// The host's arrays raise when they cannot grow; that must not cross into the evaluator.
template <class Call>
DataStatus Guarded(Call&& call) {
    try {
        return call();
    } catch (const std::exception& failure) {
        return HostFailure(std::string("the values could not be passed (") + failure.what() + ")");
    }
}

}  // namespace

DataStatus ModuleDataStatements::Open(const std::string& type, const std::string& name,
                                      const std::string& parameters, int32_t& channel) {
    const ExtensionLoader* module = modules.ServerOf(type);
    if (module == nullptr) {
        return HostFailure("no extension module serves file type '" + type + "'");
    }
    const int32_t number = FreeChannel();
    const Int16 status = module->Entries().openChannel(UInt32(number), FromUtf8(name),
                                                       FromUtf8(parameters), &fileInfoHandle);
    if (status != 0) return {status, {}};
    channels[number] = module;
    channel = number;
    return {};
}

DataStatus ModuleDataStatements::Input(int32_t channel, const std::string& key,
                                       const std::string& field, int32_t count,
                                       std::vector<ScriptValue>& delivered) {
    const ExtensionLoader* module = Holder(channel);
    if (module == nullptr) return NotOpen(channel);
    return Guarded([&]() -> DataStatus {
        ZR::Array<OmbraValueRecord> records;
        ZR::Array<ZR::UniString> strings;
        Int32 valuesRead = 0;
        const Int16 status =
            module->Entries().inputChannel(UInt32(channel), FromUtf8(key), FromUtf8(field), count,
                                           &valuesRead, &records, &strings);
        if (status != 0) return {status, {}};
        if (DecodeValues(records, strings, valuesRead, delivered) != NoError) {
            return HostFailure("the module delivered malformed values");
        }
        return {};
    });
}

DataStatus ModuleDataStatements::Output(int32_t channel, const std::string& key,
                                        const std::string& field,
                                        const std::vector<ScriptValue>& values) {
    const ExtensionLoader* module = Holder(channel);
    if (module == nullptr) return NotOpen(channel);
    return Guarded([&]() -> DataStatus {
        ZR::Array<OmbraValueRecord> records;
        ZR::Array<ZR::UniString> strings;
        EncodeValues(values, records, strings);
        const Int16 status = module->Entries().outputChannel(UInt32(channel), FromUtf8(key),
                                                             FromUtf8(field), &records, &strings);
        return {status, {}};
    });
}

DataStatus ModuleDataStatements::Close(int32_t channel) {
    const ExtensionLoader* module = Holder(channel);
    if (module == nullptr) return NotOpen(channel);
    channels.erase(channel);
    return {module->Entries().closeChannel(UInt32(channel)), {}};
}

std::vector<ModuleDataStatements::CloseFailure> ModuleDataStatements::CloseAll() {
    std::vector<CloseFailure> failures;
    while (!channels.empty()) {
        const int32_t channel = channels.begin()->first;
        DataStatus status = Close(channel);
        if (!status.ok()) failures.push_back({channel, std::move(status)});
    }
    return failures;
}

// The numbers in use are the map's keys in ascending order: the first gap is the free number.
int32_t ModuleDataStatements::FreeChannel() const {
    int32_t candidate = 1;
    for (const auto& [channel, module] : channels) {
        if (channel != candidate) break;
        ++candidate;
    }
    return candidate;
}

const ExtensionLoader* ModuleDataStatements::Holder(int32_t channel) const {
    const auto found = channels.find(channel);
    return found != channels.end() ? found->second : nullptr;
}

}  // namespace Ombra
