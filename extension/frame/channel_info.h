// The record of one open channel and the index entries of its data file.
#pragma once

#include <memory>
#include <string>
#include <string_view>

#include "extension/frame/key_store.h"
#include "host/base.h"
#include "host/filesystem.h"

namespace DataOmbraPlugin {

// One index entry: the line of a record in the data file.
struct RecInfoRec {
    UInt32 keyIndex =
        0;  // 1-based position of the key in keyStore; EndEntryKeyIndex in an end entry
    UInt32 filePos =
        0;  // offset of the line's first byte; in an end entry, just past the last line
    const KeyStore* keyStore = nullptr;  // the owning index's recordKeys

    bool IsEndEntry() const { return keyIndex == EndEntryKeyIndex; }
    std::u16string_view GetKey() const { return (*keyStore)[keyIndex]; }

    static constexpr UInt32 EndEntryKeyIndex = 0xFFFFFFFF;
};

// The channel number of a record bound to no channel.
constexpr UInt32 UnboundChannel = 0xFFFFFFFF;

// Open modes as a channel stores them.
constexpr Int32 ModeReadOnly = 0;     // "RO": the file must exist; OUTPUT is refused
constexpr Int32 ModeWriteEmpty = 2;   // "WO": the file is emptied at OPEN
constexpr Int32 ModeWriteAppend = 4;  // "WA": the file's content stays and is extended

constexpr ZR::UniChar DefaultSeparator = 9;  // TAB

// The separator and the open mode that OPEN parses and the channel keeps.
struct OpenSettings {
    ZR::UniChar separator = DefaultSeparator;
    Int32 mode = ModeReadOnly;
};

// Offsets of index entries must fit in 31 bits: the file position is set with a signed 32-bit
// offset.
constexpr UInt32 MaxFileOffset = 0x7FFFFFFF;

// Most entries in sortedIndex (besides its end entry), however long the leading run is.
constexpr UInt32 MaxSortedSamples = 32000;
// OUTPUT compacts the file when tailIndex holds this many entries, end entry included.
constexpr USize CompactionEntries = 1024;

// A data file's record index, as a load builds it. Not copied or moved once built: every entry's
// keyStore points into its own recordKeys.
//
// Invariants of a complete index:
// - sortedIndex holds at most MaxSortedSamples entries of lines of the leading run (the longest
//   initial run of strictly ascending keys), in file order, then an end entry whose filePos is the
//   offset of the first line after the run;
// - tailIndex holds one entry per distinct key after the run, strictly ascending by key, each at
//   the newest line of its key, then an end entry whose filePos is the length of the file (where
//   OUTPUT appends);
// - recordKeys holds the key of every entry; every filePos fits in 31 bits.
struct RecordIndex {
    RecordIndex() = default;
    RecordIndex(const RecordIndex&) = delete;
    RecordIndex& operator=(const RecordIndex&) = delete;

    ZR::VAArray<RecInfoRec> sortedIndex;
    ZR::VAArray<RecInfoRec> tailIndex;
    KeyStore recordKeys;
    // Search aid built with sortedIndex (extension/store/sample_search.h): per sample, eight
    // code units of its key (two numbers) after the `samplePrefixLength` units all samples share.
    ZR::Array<UInt64> samplePrefixes;
    UInt32 samplePrefixLength = 0;
    // The same for the entries of tailIndex, built with it at a load.
    ZR::Array<UInt64> tailPrefixes;
    UInt32 tailPrefixLength = 0;

    // Empties the index.
    void ClearIndex();
};

// One open channel. Records are not copied or moved once made (the channel table holds them by
// pointer), so the keyStore of every entry of its own index stays valid for the life of the
// record.
//
// The channel's own index (the RecordIndex it is) is the one a writing channel builds and changes.
// A reading channel may instead read an immutable index that it shares with other channels of
// the same file content (extension/store/index_cache.h); its own index is then empty. Index()
// is the index in use while `loaded` is 1.
struct ChannelInfo : RecordIndex {
    ChannelInfo() = default;
    ~ChannelInfo();  // closes and destroys the file, if any; saves nothing
    ChannelInfo(const ChannelInfo&) = delete;
    ChannelInfo& operator=(const ChannelInfo&) = delete;

    // Identity.
    UInt32 channelNumber = UnboundChannel;
    std::unique_ptr<IO::File> file;
    IO::FileLock writeLock;  // held by a WA or WO channel from OPEN to CLOSE (extension/open)
    ZR::UniChar separator = DefaultSeparator;
    Int32 openMode = ModeReadOnly;
    // Content.
    UInt8 modified = 0;  // lines were appended since the last load or save: a save is due
    // The file's last byte is known to end a line: set by an append, cleared by a load.
    UInt8 endsWithLineEnd = 0;
    std::shared_ptr<const RecordIndex> sharedIndex;  // set only on a reading channel
    UInt8 loaded = 0;
    // The bytes that the last scan between two samples read (extension/store/lookup.cpp): kept,
    // so that the storage of at most one span (64 KiB) serves every lookup of the channel.
    std::string scanBytes;
    // Text.
    UInt8 utf8 = 0;        // UTF-8 text after a byte-order mark; otherwise the default code page
    UInt8 bomPending = 0;  // the byte-order mark is still to be written by the first OUTPUT
    // A reading channel's `utf8` is still to be read from the file's mark, at its first load:
    // a load that finds the index of the unchanged content cached takes it from there, without
    // reading the file.
    UInt8 markUnread = 0;

    // The index that lookups read: the shared one when there is one, else the channel's own.
    const RecordIndex& Index() const { return sharedIndex ? *sharedIndex : *this; }
    // Empties the channel's own index, lets go of a shared one and clears `loaded`.
    void DropContent();
    // Where the first line starts: after the byte-order mark of a UTF-8 file.
    UInt32 DataStart() const { return utf8 ? 3 : 0; }
    // The character code of the channel's text: UTF-8 or the default code page.
    ZRCharCode CharCode() const { return utf8 ? CC_UTF8 : CC_Default; }
};

// Closes `file` (its status is not looked at) and destroys the file object; the file on disk
// stays. Does nothing for a null file.
void CloseAndDestroyFile(std::unique_ptr<IO::File>& file);

}  // namespace DataOmbraPlugin
