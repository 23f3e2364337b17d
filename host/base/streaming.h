// Class information and object streaming. A frame brackets the serialized form of one object of
// a class: OutputFrame writes the frame start (class and version) when made and the frame end when
// destroyed; InputFrame reads and checks the start when made and consumes the end when destroyed.
// Any bytes that do not read as a frame of the expected class give a non-zero status.
#pragma once

#include "host/base/api.h"
#include "host/base/channels.h"
#include "host/base/types.h"

namespace ZR {

// The bytes do not read as a frame of the expected class (or of a version it can read).
constexpr ZRErrCode ErrBadFrame = -1401;

struct ClassVersion {
    UInt16 major = 0;
    UInt16 minor = 0;
};

class HOST_API ClassInfo {
public:
    ClassInfo(const char* name, ClassVersion version);
    const char* GetName() const { return name; }
    ClassVersion GetVersion() const { return version; }

private:
    const char* name;
    ClassVersion version;
};

// The class information of the base library's arrays, used to frame a stored list.
namespace ArrayPrivate {
HOST_API extern const ClassInfo classInfo;
}

class HOST_API OutputFrame {
public:
    OutputFrame(OChannel& channel, const ClassInfo& classInfo);
    ~OutputFrame();  // writes the frame end
    OutputFrame(const OutputFrame&) = delete;
    OutputFrame& operator=(const OutputFrame&) = delete;
    ZRErrCode GetStatus() const { return status; }

private:
    OChannel& channel;
    ZRErrCode status;
};

class HOST_API InputFrame {
public:
    InputFrame(IChannel& channel, const ClassInfo& classInfo);
    ~InputFrame();  // consumes the frame end when the start read well
    InputFrame(const InputFrame&) = delete;
    InputFrame& operator=(const InputFrame&) = delete;
    ZRErrCode GetStatus() const { return status; }
    ClassVersion GetVersion() const { return version; }

private:
    IChannel& channel;
    ZRErrCode status;
    ClassVersion version;
};

}  // namespace ZR
