#include "extension/entry/entry_call.h"

#include "extension/frame/channel_table.h"
#include "extension/frame/host_services.h"

namespace DataOmbraPlugin {

EntryCall::EntryCall(UInt32 channelNumber, ErrorNumber exceptionError)
    : channel(FindChannelRecord(channelNumber)), exceptionError(exceptionError) {
    InterpreterServiceRecord services;  // only the fetchers are read, which GetServiceRecord sets
    GetServiceRecord(services);
    fetcher = services.messageStringFetcher;
}

void EntryCall::Report(ErrorNumber error) const {
    if (shownName != nullptr) {
        ReportError(error, *shownName, fetcher);
    } else if (foundAt != nullptr) {
        ReportError(error, *foundAt, fetcher);
    } else {
        // An unknown location only leaves the message without a name.
        IO::Location location;
        if (channel != nullptr && channel->file != nullptr) channel->file->GetLocation(&location);
        ReportError(error, location, fetcher);
    }
}

Int16 EntryCall::FailUnnamed(ErrorNumber error) const {
    ReportError(error, IO::Location(), fetcher);
    return StatusReportedError;
}

Int16 EntryCall::FailOnException() const noexcept {
    if (exceptionError == 0) return StatusReportedError;
    try {
        return Fail(ErrorOfException(exceptionError));
    } catch (...) {
        return StatusReportedError;
    }
}

}  // namespace DataOmbraPlugin
