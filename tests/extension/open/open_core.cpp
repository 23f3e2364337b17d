#include "tests/extension/open/open_core.h"

#include <utility>

#include "extension/frame/host_services.h"
#include "platform/interpreter/string_fetchers.h"
#include "tests/extension/frame/core_binding.h"

// The binding itself is the frame's test helper; OPEN also needs the keyword tables loaded.
namespace OpenTest {

void BindCore() {
    FrameTest::BindCore();
    static const bool initialised = DataOmbraPlugin::InitExtension() == NoError;
    (void)initialised;
}

void SetCoreFetchers(StringFetcherProc fixedFetcher, StringFetcherProc messageFetcher) {
    FrameTest::SetCoreFetchers(fixedFetcher, messageFetcher);
}

void SetCoreLibraryLookup(std::function<Int16(const ZR::UniString&, IO::Location&)> lookup) {
    FrameTest::SetCoreLibraryLookup(std::move(lookup));
}

std::vector<std::string> TakeCoreReports() {
    return FrameTest::TakeCoreReports();
}

StringFetcherProc CoreMessageFetcher() {
    return FetchMessageString;
}

ZR::UniString U(const std::string& text) {
    return ZR::UniString(text.c_str(), USize(text.size()), CC_UTF8);
}

std::string Utf8(const ZR::UniString& text) {
    return text.ToCStr(CC_UTF8).GetBytes();
}

std::string PathOf(const IO::Location& location) {
    return location.ToPath();
}

}  // namespace OpenTest
