// The data store on a data file of arbitrary bytes: OPEN (mode WA), lookups of keys taken from the
// file and from the input, OUTPUTs, and CLOSE with its save. After every step each key read back
// must give the line a plain model of the file gives (the last line of the key counts, deletion
// lines remove it); after CLOSE the file must hold exactly the model's records, every line of a
// key that no OUTPUT touched byte for byte, and a saved file must be sorted with unique keys.

#include <cstdio>
#include <optional>
#include <string>

#include "extension/frame/channel_table.h"
#include "extension/frame/close.h"
#include "extension/open/open.h"
#include "extension/store/lookup.h"
#include "extension/write/output.h"
#include "fuzz/data_file_case.h"
#include "fuzz/fuzz_check.h"
#include "fuzz/input_check.h"
#include "fuzz/module_binding.h"
#include "tests/support/data_file_model.h"
#include "tests/support/temp_folder.h"

namespace {

using namespace OmbraFuzz;
using OmbraTest::Records;

constexpr UInt32 Channel = 1;
constexpr size_t MaxLookups = 32;

// One folder for the life of the process (scripts/fuzz.sh puts it on the memory file system:
// saves sync their files, which a disk makes slow).
const OmbraTest::TempFolder& WorkFolder() {
    static const OmbraTest::TempFolder folder;
    return folder;
}

std::string ReadBytes(const std::string& name) {
    const std::optional<std::string> bytes = WorkFolder().ReadFile(name);
    FUZZ_CHECK(bytes.has_value());
    return *bytes;
}

ZR::UniString Decode(const std::string& bytes, bool utf8) {
    return ZR::UniString(bytes.data(), USize(bytes.size()), utf8 ? CC_UTF8 : CC_Default);
}

ZR::UniString OpenParameters(char separator) {
    return ZR::UniString((std::string("SEPARATOR='") + separator + "', MODE=WA").c_str());
}

// The key's line read through the store equals the model's.
// The line of `key`, or "" when the record is absent or deleted.
std::string LineOf(const Records& model, const std::string& key) {
    const auto found = model.find(key);
    return found == model.end() ? std::string() : found->second;
}

void CheckLookup(const Records& model, const std::string& key, bool utf8) {
    ZR::UniString line;
    FUZZ_CHECK(DataOmbraPlugin::ReadChannelRecord(Channel, Decode(key, utf8), line) == NoError);
    std::string bytes;
    line.AppendBytes(bytes, utf8 ? CC_UTF8 : CC_Default);
    FUZZ_CHECK(bytes == LineOf(model, key));
}

void LookUpKeys(const Records& model, const DataCase& dataCase, bool utf8) {
    size_t looked = 0;
    for (const auto& [key, line] : model) {
        if (++looked > MaxLookups) break;
        CheckLookup(model, key, utf8);
        CheckInputValues(Channel, key, "1", line, dataCase.separator, utf8);
    }
    for (const OutputStep& step : dataCase.steps) CheckLookup(model, step.key, utf8);
}

// One OUTPUT; the model follows what it was asked to do.
void ApplyStep(Records& model, const OutputStep& step, const DataCase& dataCase, bool utf8) {
    ZR::Array<OmbraValueRecord> records;
    ZR::Array<ZR::UniString> strings;
    MakeValueArrays(step, utf8, records, strings);
    const ZR::UniString fieldId(step.fieldId.data(), USize(step.fieldId.size()), CC_Default);
    const Int16 status = DataOmbraPlugin::OutputToChannel(Channel, Decode(step.key, utf8), fieldId,
                                                          &records, &strings);
    // The field number only counts by its sign: out-of-range numbers keep theirs.
    long field = 0;
    if (std::sscanf(step.fieldId.c_str(), "%ld", &field) != 1) {
        FUZZ_CHECK(status == -1111);
        return;
    }
    FUZZ_CHECK(status == NoError);
    const std::string line = RecordLine(step, dataCase.separator);
    const bool deletes = field <= 0 || line.empty() ||
                         line == OmbraTest::DeletionLine(step.key, dataCase.separator, utf8);
    OmbraTest::Apply(model, {step.key, deletes ? std::nullopt : std::optional(line)});
    CheckLookup(model, step.key, utf8);
    CheckInputValues(Channel, step.key, step.fieldId, LineOf(model, step.key), dataCase.separator,
                     utf8);
}

void CheckClosedFile(const Records& model, const std::string& name, bool saved,
                     const DataCase& dataCase, bool utf8) {
    const std::string bytes = ReadBytes(name);
    if (saved) FUZZ_CHECK(OmbraTest::SavedFormError(bytes, dataCase.separator, utf8).empty());
    FUZZ_CHECK(OmbraTest::ReadRecords(bytes, dataCase.separator).lines == model);
    FUZZ_CHECK(!WorkFolder().Exists(name + ".tmp"));
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    BindModuleCode();
    const DataCase dataCase = ReadDataCase(data, size);
    const std::string name = "data.txt";
    FUZZ_CHECK(WorkFolder().WriteFile(name, dataCase.file));
    const std::string path = WorkFolder().PathOf(name);
    ZRHandle fileInfo = nullptr;
    FUZZ_CHECK(DataOmbraPlugin::OpenDataChannel(Channel, ZR::UniString(path.c_str(), CC_UTF8),
                                                OpenParameters(dataCase.separator),
                                                &fileInfo) == NoError);
    const OmbraTest::FileRecords before = OmbraTest::ReadRecords(dataCase.file, dataCase.separator);
    const bool utf8 = before.utf8;
    Records model = before.lines;
    LookUpKeys(model, dataCase, utf8);
    for (const OutputStep& step : dataCase.steps) ApplyStep(model, step, dataCase, utf8);
    const DataOmbraPlugin::ChannelInfo* info = DataOmbraPlugin::FindChannelRecord(Channel);
    FUZZ_CHECK(info != nullptr);
    const bool saved = info->modified != 0;
    DataOmbraPlugin::CloseDataChannel(Channel);
    FUZZ_CHECK(DataOmbraPlugin::FindChannelRecord(Channel) == nullptr);
    CheckClosedFile(model, name, saved, dataCase, utf8);
    TakeReports();
    return 0;
}
