#include "extension/frame/host_services.h"

#include <cstdio>
#include <cstring>

namespace DataOmbraPlugin {

namespace {

// The module's process-wide state; entry operations are called one at a time, so no locks.
HostEnvironment hostEnvironment{};
UInt16 importedValue = 0;
ZRInstance moduleInstance = nullptr;
ZRResModule resourceModule = InvalidResModule;
char keywordTable[KeywordSlots][KeywordSlotSize] = {};
char modeTable[ModeSlots][ModeSlotSize] = {};

constexpr Int16 KeywordList = 1;
constexpr Int16 ModeList = 2;

// Reads "<number> <word>" from string `index` of list `listId` and copies the word, shortened to
// fit, into `slot`. A string that does not scan leaves the slot as it was.
void LoadWordSlot(char* slot, USize slotSize, StringFetcherProc fetcher, Int16 listId,
                  Int16 index) {
    char text[FetchedStringSize] = {};
    char word[FetchedStringSize] = {};
    fetcher(text, listId, index, GetResourceModule());
    text[FetchedStringSize - 1] = '\0';
    int number = 0;
    if (std::sscanf(text, "%d %255s", &number, word) != 2) return;
    CHCopyC(word, slot, slotSize);
}

}  // namespace

void RecordModuleInstance(ZRInstance instance) {
    moduleInstance = instance;
    resourceModule = InvalidResModule;
}

Int16 BindHostEnvironment(const HostEnvironment* environment) {
    std::memcpy(&hostEnvironment, environment, sizeof(HostEnvironment));
    if (resourceModule == InvalidResModule)
        resourceModule = RSAddModule_ResetCurrentModule(moduleInstance);
    return NoError;
}

Int16 StoreImportedValue(const UInt16* value) {
    importedValue = *value;
    return NoError;
}

void UnregisterResources() {
    if (resourceModule == InvalidResModule) return;
    RSRemoveModule(resourceModule);
    resourceModule = InvalidResModule;
}

void LoadWordTables(StringFetcherProc fetcher) {
    for (Int16 i = 1; i < KeywordSlots; ++i)
        LoadWordSlot(keywordTable[i], KeywordSlotSize, fetcher, KeywordList, i);
    for (Int16 i = 1; i < ModeSlots; ++i)
        LoadWordSlot(modeTable[i], ModeSlotSize, fetcher, ModeList, i);
}

ZRResModule GetResourceModule() {
    return resourceModule;
}

void GetServiceRecord(InterpreterServiceRecord& record) {
    // The host fills the two fetchers; the rest of the record is the host's and never read here.
    record.fixedStringFetcher = nullptr;
    record.messageStringFetcher = nullptr;
    if (hostEnvironment.serviceRecord != nullptr) hostEnvironment.serviceRecord(&record);
}

void ReportText(const char* text) {
    if (hostEnvironment.report != nullptr) hostEnvironment.report(text, 1, 0);
}

Int16 FindLibraryFileByHost(const ZR::UniString& name, IO::Location& location) {
    constexpr Int16 NotFound = 1;
    if (hostEnvironment.libraryLookup == nullptr) return NotFound;
    return hostEnvironment.libraryLookup(name, location);
}

const char* KeywordAt(Int32 slot) {
    return slot >= 0 && slot < KeywordSlots ? keywordTable[slot] : "";
}

const char* ModeWordAt(Int32 slot) {
    return slot >= 0 && slot < ModeSlots ? modeTable[slot] : "";
}

ResHandling::ResHandling() : previousModule(RSSetActiveModule(GetResourceModule())) {}

ResHandling::~ResHandling() {
    RSSetActiveModule(previousModule);
}

}  // namespace DataOmbraPlugin
