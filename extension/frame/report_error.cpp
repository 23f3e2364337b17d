#include "extension/frame/report_error.h"

#include <algorithm>
#include <initializer_list>
#include <new>
#include <string>
#include <string_view>

#include "extension/frame/host_services.h"

namespace DataOmbraPlugin {

namespace {

// Every text of a report is held in buffers of this size: 255 characters and a terminator.
constexpr USize ReportBufferSize = 256;
constexpr Int16 FrameString = 1;
// Length of the "  1 " prefix of every error message, which is never shown.
constexpr size_t MessagePrefixLength = 4;

// `format` with each successive "%s" replaced, verbatim, by the next of `values` (a "%s" beyond
// the values stays as it is), shortened to ReportBufferSize - 1 bytes.
std::string Substitute(std::string_view format, std::initializer_list<std::string_view> values) {
    std::string out;
    auto value = values.begin();
    for (size_t at = 0; at < format.size(); ++at) {
        if (value != values.end() && format.compare(at, 2, "%s") == 0) {
            out += *value++;
            ++at;
        } else {
            out += format[at];
        }
    }
    if (out.size() >= ReportBufferSize) out.resize(ReportBufferSize - 1);
    return out;
}

// The list and position of an error's message: file errors in list 3 at their magnitude,
// parameter errors in list 4 at their number.
void MessageLocation(Int32 errorNumber, Int16& listId, Int16& index) {
    const bool fileError = errorNumber < 0;
    listId = fileError ? FileErrorList : ParameterErrorList;
    index = Int16(fileError ? 0u - UInt32(errorNumber) : UInt32(errorNumber));
}

// The fetched message without its prefix, the argument in place of its "%s" when given.
std::string MessageText(const char* fetched, const char* argument) {
    std::string_view text = fetched;
    text.remove_prefix(std::min(text.size(), MessagePrefixLength));
    if (argument == nullptr) return std::string(text);
    return Substitute(text, {argument});
}

}  // namespace

ZR::UniString ShownFileName(const IO::Location& location) {
    IO::Name name;
    location.GetLastLocalName(&name);  // an empty location shows an empty name
    return name.GetText();
}

void ReportError(Int32 errorNumber, const IO::Location& location, StringFetcherProc messageFetcher,
                 const char* argument) {
    ReportError(errorNumber, ShownFileName(location), messageFetcher, argument);
}

void ReportError(Int32 errorNumber, const ZR::UniString& fileName, StringFetcherProc messageFetcher,
                 const char* argument) {
    if (errorNumber == 0 || messageFetcher == nullptr) return;
    char frame[ReportBufferSize] = {};
    char message[ReportBufferSize] = {};
    messageFetcher(frame, FrameList, FrameString, GetResourceModule());
    Int16 listId = 0, index = 0;
    MessageLocation(errorNumber, listId, index);
    messageFetcher(message, listId, index, GetResourceModule());
    frame[ReportBufferSize - 1] = message[ReportBufferSize - 1] = '\0';
    const std::string text = MessageText(message, argument);
    const std::string shownName = fileName.ToCStr(CC_Default).Get();
    const std::string report = Substitute(frame, {text, shownName});
    ReportText(report.c_str());
}

Int32 ErrorOfException(Int32 otherwise) noexcept {
    try {
        throw;
    } catch (const ZR::OutOfMemoryException&) {
        return ErrorMemoryFull;
    } catch (const ZR::BMOutOfMemoryException&) {
        return ErrorMemoryFull;
    } catch (const std::bad_alloc&) {
        return ErrorMemoryFull;
    } catch (...) {
        return otherwise;
    }
}

}  // namespace DataOmbraPlugin
