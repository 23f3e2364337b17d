// What every entry operation does once, before its own steps: find the channel's record, take the
// host's message fetcher, and know which file its reports name. The operations below the entry
// floor take the record (ChannelInfo&), never a channel number; they return statuses, and where
// they raise, Run is the one place where the exception becomes the operation's status: none leaves
// the module.
#pragma once

#include "extension/frame/channel_info.h"
#include "extension/frame/report_error.h"

namespace DataOmbraPlugin {

class EntryCall {
public:
    // Finds the record of `channel` (none when the channel is not open) and takes the message
    // fetcher. `exceptionError` is what an exception that leaves the operation's steps reports
    // (memory exhaustion reports ErrorMemoryFull instead); 0 reports nothing.
    EntryCall(UInt32 channel, ErrorNumber exceptionError);

    // The channel's record; nullptr when the channel is not open.
    ChannelInfo* Channel() const { return channel; }
    // False when the host gives no message fetcher: the operation returns -7003 without a message.
    bool CanReport() const { return fetcher != nullptr; }
    StringFetcherProc Fetcher() const { return fetcher; }

    // From now on reports name the file as `name` shows it, or by the last name of `location`
    // (OPEN: the name as the script wrote it, then the file it found). Both must outlive the call.
    // Until then they name the channel's file, or no file when the channel is not open.
    void NameFile(const ZR::UniString& name) {
        shownName = &name;
        foundAt = nullptr;
    }
    void NameFile(const IO::Location& location) {
        foundAt = &location;
        shownName = nullptr;
    }

    // Reports `error` about the file the call names.
    void Report(ErrorNumber error) const;
    // Reports `error` about the file the call names and returns -7003.
    Int16 Fail(ErrorNumber error) const {
        Report(error);
        return StatusReportedError;
    }
    // Reports `error` with no file name and returns -7003.
    Int16 FailUnnamed(ErrorNumber error) const;

    // Runs the operation's steps and returns their status; an exception that leaves them returns
    // -7003 after the report that `exceptionError` asks for. Never throws.
    template <class Steps>
    Int16 Run(Steps steps) noexcept {
        try {
            return steps();
        } catch (...) {
            return FailOnException();
        }
    }

private:
    Int16 FailOnException() const noexcept;

    ChannelInfo* channel;
    StringFetcherProc fetcher = nullptr;
    ErrorNumber exceptionError;
    const ZR::UniString* shownName = nullptr;
    const IO::Location* foundAt = nullptr;
};

}  // namespace DataOmbraPlugin
