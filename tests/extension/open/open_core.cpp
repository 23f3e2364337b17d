#include "tests/extension/open/open_core.h"

#include "platform/extension_host/string_fetchers.h"

namespace OpenTest {

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
