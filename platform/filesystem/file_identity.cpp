// The identity of an open file's content, and whether its times are settled.
#include <sys/stat.h>
#include <time.h>

#include "platform/filesystem/file_impl.h"
#include "platform/filesystem/posix_calls.h"

namespace IO {
namespace {

constexpr Int64 NanosecondsPerSecond = 1000000000;

// A file system that keeps whole seconds stamps every time with nanoseconds 0; the coarsest of
// them (FAT's modification time) counts in steps of two seconds. Every other file system is taken
// to keep the nanoseconds it is given.
constexpr Int64 WholeSecondsGranularity = 2 * NanosecondsPerSecond;

Int64 Nanoseconds(const struct timespec& time) {
    return Int64(time.tv_sec) * NanosecondsPerSecond + Int64(time.tv_nsec);
}

// True when a change made at `now` or later stamps the file with a time other than `stamp`. The
// kernel stamps a change with the coarse clock's time (or a finer one, never an earlier one),
// cut to the file system's granularity: so a stamp more than one granularity before `now` can
// never be given again, and on a file system that keeps nanoseconds, any stamp before `now`.
bool SettledBefore(const struct timespec& stamp, Int64 granularity, Int64 now) {
    return Nanoseconds(stamp) + granularity < now;
}

}  // namespace

ZRErrCode FileImpl::GetIdentity(FileIdentity* identity) const {
    if (!IsOpen()) return ErrNotOpen;
    // The clock is read before the query: every change after the query stamps a time at or
    // after `now`, and the index built from what follows the query may hold such a change.
    struct timespec coarse;
    const bool clockRead = ::clock_gettime(CLOCK_REALTIME_COARSE, &coarse) == 0;
    struct stat info;
    const ZRErrCode status = Posix::GetStatus(fd, path, &info);
    if (status != NoError) return status;
    const bool wholeSeconds = info.st_mtim.tv_nsec == 0 && info.st_ctim.tv_nsec == 0;
    const Int64 granularity = wholeSeconds ? WholeSecondsGranularity : 0;
    const Int64 now = Nanoseconds(coarse);
    identity->device = UInt64(info.st_dev);
    identity->inode = UInt64(info.st_ino);
    identity->size = UInt64(info.st_size);
    identity->modifiedSeconds = Int64(info.st_mtim.tv_sec);
    identity->modifiedNanoseconds = Int64(info.st_mtim.tv_nsec);
    identity->changedSeconds = Int64(info.st_ctim.tv_sec);
    identity->changedNanoseconds = Int64(info.st_ctim.tv_nsec);
    identity->settled = clockRead && SettledBefore(info.st_mtim, granularity, now) &&
                        SettledBefore(info.st_ctim, granularity, now);
    return NoError;
}

}  // namespace IO
