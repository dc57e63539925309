// Finds, without regard to case, the copies a run has listed so far by their source or by
// their destination, as Windows compares file names. A folder kept in step with the playlist
// needs it to copy each source once and to give each copy a name of its own, and to tell a
// copy the previous playlist file named from one this run makes.
//
// Nothing here allocates: each set or index lives in a block the caller sizes and owns.
#pragma once
#include <stddef.h>
#include <stdint.h>

// Texts kept elsewhere in one buffer, each known by its offset there.
struct TextSet {
    uint32_t* slots;  // offset + 1, 0 for a free slot
    uint32_t mask;    // slot count - 1; the count is a power of two
};

// The bytes a set for up to `count` texts needs.
size_t TextSetBytes(size_t count);
// A set in `block` (TextSetBytes(count) bytes, 4-byte aligned), empty.
TextSet PlaceTextSet(void* block, size_t count);
// The offset of a text in `base` equal to `text`, or -1 when there is none.
int64_t FindInTextSet(const TextSet& set, const wchar_t* base, const wchar_t* text);
void AddText(TextSet* set, const wchar_t* base, uint32_t offset);

// One copy of a run, in the order the lists hold them.
struct CopyRecord {
    uint32_t source;       // offset of its path in the source list
    uint32_t destination;  // offset of its path in the destination list
    uint32_t unchanged;    // nonzero: already there and unchanged, left out of the shell copy
};

struct CopyIndex {
    CopyRecord* records;  // null: the run keeps no index
    uint32_t count;
    TextSet sources, destinations;
};

size_t CopyIndexBytes(size_t entries);
CopyIndex PlaceCopyIndex(void* block, size_t entries);
void AddCopyRecord(CopyIndex* index, const wchar_t* sourceList, const wchar_t* destinationList,
                   uint32_t source, uint32_t destination);
// The record whose source, or whose destination, is `path`; null when none is.
CopyRecord* FindBySource(const CopyIndex& index, const wchar_t* sourceList, const wchar_t* path);
CopyRecord* FindByDestination(const CopyIndex& index, const wchar_t* destinationList,
                              const wchar_t* path);
