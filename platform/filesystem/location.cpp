// Locations: parsing, editing, display and operating-system paths, and their serialized form.
//
// Parsing keeps every non-empty component as it is written: "." and ".." are ordinary names
// here, left for the operating system to interpret. A name never holds "/" (it would stand for
// two components in the path); "\" inside a name is allowed by the editing calls, since the
// operating system allows it, but is a separator again when a location is parsed from text.
#include <utility>

#include "host/filesystem.h"
#include "platform/filesystem/base_folder.h"
#include "platform/filesystem/memory_guard.h"

namespace IO {

namespace {

bool IsSeparator(ZR::UniChar ch) {
    return ch == u'/' || ch == u'\\';
}

// A name that can stand as one component of an operating-system path.
bool IsValidName(const Name& name) {
    return !name.IsEmpty() && name.GetText().FindFirst(u'/') == MaxUIndex;
}

// Appends "/" (unless the path already ends with one) and the name's lossless UTF-8 bytes.
void AppendComponent(std::string& path, const Name& name) {
    if (!path.empty() && path.back() != '/') path += '/';
    name.GetText().AppendBytes(path, CC_UTF8);
}

}  // namespace

Location::Location(const ZR::UniString& path) {
    const std::u16string& units = path.Get();
    absolute = !units.empty() && IsSeparator(units.front());
    // Room for every component at once: each begins with a unit that follows a separator or
    // the start and is none itself.
    std::size_t components = 0;
    for (std::size_t i = 0; i < units.size(); ++i)
        if (!IsSeparator(units[i]) && (i == 0 || IsSeparator(units[i - 1]))) ++components;
    names.reserve(components);
    std::size_t start = 0;
    for (std::size_t i = 0; i <= units.size(); ++i) {
        if (i < units.size() && !IsSeparator(units[i])) continue;
        if (i > start) names.emplace_back(ZR::UniString(units.data() + start, USize(i - start)));
        start = i + 1;
    }
}

Location Location::FromPath(const std::string& path) {
    return Location(ZR::UniString(path.data(), USize(path.size()), CC_UTF8));
}

ZRErrCode Location::AppendToLocal(const Name& name) {
    if (!IsValidName(name)) return ErrBadName;
    return CatchMemoryFull([&] {
        names.push_back(name);
        return NoError;
    });
}

ZRErrCode Location::GetLastLocalName(Name* name) const {
    if (name == nullptr) return ErrParam;
    *name = names.empty() ? Name() : names.back();
    return names.empty() ? ErrBadName : NoError;
}

ZRErrCode Location::SetLastLocalName(const Name& name) {
    if (names.empty() || !IsValidName(name)) return ErrBadName;
    names.back() = name;
    return NoError;
}

ZRErrCode Location::DeleteLastLocalName() {
    if (names.empty()) return ErrBadName;
    names.pop_back();
    return NoError;
}

ZR::UniString Location::ToDisplayText() const {
    ZR::UniString text;
    if (absolute) text.Append(u'/');
    for (std::size_t i = 0; i < names.size(); ++i) {
        if (i > 0) text.Append(u'/');
        text.Append(names[i].GetText());
    }
    return text;
}

std::string Location::ToPath() const {
    std::string path = absolute ? std::string("/") : BaseFolderPath();
    for (const Name& name : names) AppendComponent(path, name);
    return path.empty() ? std::string(".") : path;
}

ZRErrCode Location::Write(ZR::OChannel& channel) const {
    ZRErrCode status = channel.Write(UInt8(absolute ? 1 : 0));
    if (status == NoError) status = channel.Write(UInt32(names.size()));
    for (std::size_t i = 0; status == NoError && i < names.size(); ++i)
        status = names[i].GetText().Write(channel);
    return status;
}

ZRErrCode Location::Read(ZR::IChannel& channel) {
    return CatchMemoryFull([&] {
        UInt8 flag = 0;
        UInt32 count = 0;
        ZRErrCode status = channel.Read(flag);
        if (status == NoError) status = channel.Read(count);
        if (status == NoError && flag > 1) status = ErrBadName;
        Location result;
        result.absolute = flag == 1;
        // No reservation from `count`: a corrupt count ends at the end of the input instead of
        // asking for memory it does not describe.
        for (UInt32 i = 0; status == NoError && i < count; ++i) {
            ZR::UniString text;
            status = text.Read(channel);
            if (status == NoError) status = result.AppendToLocal(Name(text));
        }
        if (status == NoError) *this = std::move(result);
        return status;
    });
}

}  // namespace IO
