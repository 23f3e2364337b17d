#include "extension/entry/init.h"

#include "extension/frame/host_services.h"

namespace DataOmbraPlugin {

Int16 InitExtension() {
    InterpreterServiceRecord record;
    GetServiceRecord(record);
    if (record.fixedStringFetcher == nullptr) return StatusReportedError;
    LoadWordTables(record.fixedStringFetcher);
    return NoError;
}

Int16 ReleaseAllChannels() {
    return NoError;
}

}  // namespace DataOmbraPlugin
