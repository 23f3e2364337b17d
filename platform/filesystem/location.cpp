// Locations: parsing, editing, display and operating-system paths, and their serialized form.
//
// Parsing keeps every non-empty component as it is written: "." and ".." are ordinary names
// here, left for the operating system to interpret. A name never holds "/" (it would stand for
// two components in the path); "\" inside a name is allowed by the editing calls, since the
// operating system allows it, but is a separator again when a location is parsed from text.
#include <algorithm>
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

// Where the last component of `components` starts.
USize LastStart(const std::u16string& components) {
    const std::size_t slash = components.rfind(u'/');
    return slash == std::u16string::npos ? 0 : USize(slash + 1);
}

}  // namespace

Location::Location(const ZR::UniString& path) {
    const std::u16string& units = path.Get();
    absolute = !units.empty() && IsSeparator(units.front());
    std::u16string joined;
    joined.reserve(units.size());
    for (std::size_t i = 0; i < units.size();) {
        while (i < units.size() && IsSeparator(units[i])) ++i;
        const std::size_t start = i;
        while (i < units.size() && !IsSeparator(units[i])) ++i;
        if (i == start) break;  // only separators were left
        if (!joined.empty()) joined += u'/';
        joined.append(units, start, i - start);
    }
    components = ZR::UniString(std::move(joined));
}

UInt32 Location::GetLocalLength() const {
    const std::u16string& units = components.Get();
    return units.empty() ? 0 : UInt32(1 + std::count(units.begin(), units.end(), u'/'));
}

Location Location::FromPath(const std::string& path) {
    return Location(ZR::UniString(path.data(), USize(path.size()), CC_UTF8));
}

ZRErrCode Location::AppendToLocal(const Name& name) {
    if (!IsValidName(name)) return ErrBadName;
    return CatchMemoryFull([&] {
        if (!components.IsEmpty()) components.Append(u'/');
        components.Append(name.GetText());
        return NoError;
    });
}

ZRErrCode Location::GetLastLocalName(Name* name) const {
    if (name == nullptr) return ErrParam;
    if (components.IsEmpty()) {
        *name = Name();
        return ErrBadName;
    }
    const USize start = LastStart(components.Get());
    *name = Name(components.GetSubstring(start, components.GetLength() - start));
    return NoError;
}

ZRErrCode Location::SetLastLocalName(const Name& name) {
    if (components.IsEmpty() || !IsValidName(name)) return ErrBadName;
    return CatchMemoryFull([&] {
        const USize start = LastStart(components.Get());
        components.Delete(start, components.GetLength() - start);
        components.Append(name.GetText());
        return NoError;
    });
}

ZRErrCode Location::DeleteLastLocalName() {
    if (components.IsEmpty()) return ErrBadName;
    const USize start = LastStart(components.Get());
    // The "/" before the last component goes with it.
    components.Delete(start == 0 ? 0 : start - 1, components.GetLength());
    return NoError;
}

ZR::UniString Location::ToDisplayText() const {
    if (!absolute) return components;
    ZR::UniString text(u"/");
    return text.Append(components);
}

std::string Location::ToPath() const {
    std::string path = absolute ? std::string("/") : BaseFolderPath();
    if (!components.IsEmpty() && !path.empty() && path.back() != '/') path += '/';
    components.AppendBytes(path, CC_UTF8);
    return path.empty() ? std::string(".") : path;
}

ZRErrCode Location::Write(ZR::OChannel& channel) const {
    ZRErrCode status = channel.Write(UInt8(absolute ? 1 : 0));
    if (status == NoError) status = channel.Write(GetLocalLength());
    const std::u16string& units = components.Get();
    for (std::size_t start = 0; status == NoError && start < units.size();) {
        const std::size_t end = std::min(units.find(u'/', start), units.size());
        status = ZR::UniString(units.data() + start, USize(end - start)).Write(channel);
        start = end + 1;
    }
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
