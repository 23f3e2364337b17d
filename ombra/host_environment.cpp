#include "ombra/host_environment.h"

#include <cstdio>
#include <cstdlib>
#include <utility>

#include "platform/extension_host/string_fetchers.h"
#include "platform/interpreter/object_library.h"

namespace Ombra {
namespace {

std::vector<IO::Location>& HostLibraryFolders() {
    static std::vector<IO::Location> folders;
    return folders;
}

// Extension modules report in the default code page; the terminal takes UTF-8, so the text is
// converted (a file name such as prix-été.txt would otherwise arrive as invalid UTF-8). Its
// "\r\n" between lines is written as it comes.
void Report(const char* text, UInt8 /*flag*/, Int32 /*reserved*/) {
    std::fputs(ZR::UniString(text, CC_Default).ToCStr(CC_UTF8).Get(), stderr);
    std::fputc('\n', stderr);
    std::fflush(stderr);
}

Int16 LookUpHostLibrary(const ZR::UniString& name, IO::Location& location) {
    return FindFileInFolders(HostLibraryFolders(), name, location);
}

ZRErrCode FillServiceRecord(InterpreterServiceRecord* record) {
    if (record == nullptr) return ErrParam;
    record->fixedStringFetcher = FetchFixedString;
    record->messageStringFetcher = FetchMessageString;
    return NoError;
}

void UnservedSlot() {
    std::fputs("ombra: an extension module called a host service that ombra does not offer\n",
               stderr);
    std::abort();
}

}  // namespace

HostEnvironment MakeHostEnvironment() {
    HostEnvironment environment{};
    environment.report = Report;
    environment.slot1 = environment.slot2 = environment.slot4 = UnservedSlot;
    environment.libraryLookup = LookUpHostLibrary;
    environment.serviceRecord = FillServiceRecord;
    for (UnusedServiceProc& slot : environment.slots6to14) slot = UnservedSlot;
    return environment;
}

void SetHostLibraryFolders(std::vector<IO::Location> folders) {
    HostLibraryFolders() = std::move(folders);
}

}  // namespace Ombra
