// The plan of one copy: which entries of the playlist a run copies, where to, with which cover
// art and lyrics, and why it leaves the others out. It is made once, when the user confirms a
// target in the copy dialog: the room there is weighed on it, the shell copies from it, the
// playlist file is written from it and the check after the copy reads it.
//
// The copy dialog owns it (ShowCopyDialog): it frees it when the run is over, or when the user
// goes back to the dialog. Its memory is two blocks: the records, sized for the entries before
// they are gone through, and the texts, which grow as they are written.
#pragma once
#include <windows.h>
#include <stddef.h>
#include <stdint.h>
#include "files/text_set.h"
#include "plan/copy_target.h"
#include "plan/skipped_entries.h"
#include "state/plugin_state.h"

// Why an entry is, or is not, copied.
enum class EntryFate : uint8_t {
    Copied,      // its song goes to the shell
    Missing,     // no file at its path, or no path
    Folder,      // its path names a folder
    NoName,      // no name Windows takes fits the target
    Unchanged,   // its copy is there already and unchanged (a folder kept in step)
    DoesNotFit,  // left out for room, at the user's word
};

const uint32_t NoCopy = 0xFFFFFFFF;
const uint32_t NoText = 0xFFFFFFFF;

// One file the plan copies: a song, or a song's lyrics or its folder's cover.
struct PlannedCopy {
    uint32_t source, destination;  // offsets in the plan's texts
    uint64_t size;                 // the source's
    uint32_t lyrics, cover;        // a song's companions, NoCopy when it has none
    bool converted;                // a song the device cannot play: converted, not copied
    bool unchanged;                // there already and unchanged: not handed to the shell
    bool leftOut;                  // left out for room
    bool inPlace;                  // after the copy: a file of its source's size
    // Weighed against the room (room/room.h): what it takes in whole clusters less what the
    // file it replaces takes, and the deepest folder it goes in.
    int64_t takes;
    uint32_t folder;
    // After the copy: this run wrote the file (the shell changed what was there, or a
    // conversion made it; or what stands there is the source's copy already), and its size
    // then. A file of the user's that they declined to replace, or a source, is not.
    bool written;
    uint64_t writtenSize;
};

// One entry of the playlist, or of the selection, as the plan takes it.
struct PlannedEntry {
    int32_t index;     // in the playlist; its copy's number is index + 1
    EntryFate fate;
    uint32_t song;     // its copy (shared with an earlier entry of the same file when kept in
                       // step), NoCopy when it has none
    uint32_t title;    // in the texts when a playlist file is written, else NoText
    int32_t seconds;   // its length, -1 when unknown
    uint32_t lineBytes;  // its two lines in the playlist file, once weighed (room/room.h)
};

struct CopyPlan {
    // The confirmed target: its folder part, and the playlist file's name after it when one is
    // written.
    wchar_t target[PathCapacity];
    int folderLength;
    bool writesPlaylist;

    PlannedEntry* entries;  // null: no plan (no memory); the records block starts here
    uint32_t entryCount;
    PlannedCopy* copies;  // the songs first, in playlist order, then their companions
    uint32_t copyCount, songCount, copyCapacity;
    wchar_t* texts;
    size_t textLength, textCapacity;  // in units

    // Keeping a folder in step, or telling this run's copies from those the previous playlist
    // file named: every copy by its source and by its destination.
    bool indexed;
    bool keepInStep;  // each source copied once, each copy a name of its own, unchanged ones kept
    TextSet sources, destinations;

    // The target is on FAT or exFAT: its entries stand in the order written, so the run puts
    // the folders it changes in play order (order/play_order.h), after a rewrite cut short every
    // folder; and it keeps local times, which seem an hour off once the clocks change.
    bool onFatVolume;
    bool reorderEveryFolder;

    int considered;          // the entries gone through: the playlist's, or the selection's
    SkippedEntries skipped;  // those left out as missing, folders, or for want of a name

    // Converting what the device cannot play: the format's code (0: no conversion), the
    // extension its files get, with its dot, and the conversions' own state, in the records
    // block, where the player finds each request until it has ended.
    int convertTo;
    wchar_t convertedExtension[10];
    struct ConversionWork* conversion;
};

void FreeCopyPlan(CopyPlan* plan);

// A text of the plan, by its offset.
inline const wchar_t* PlanText(const CopyPlan& plan, uint32_t offset) { return plan.texts + offset; }
// The target is a drive's root ("E:\\"), which has no parent to hold anything beside it.
inline bool IsDriveRoot(const CopyPlan& plan) { return plan.folderLength == 3 && plan.target[1] == L':'; }
// A copy's destination relative to the target.
const wchar_t* RelativeDestination(const CopyPlan& plan, const PlannedCopy& copy);
// Whether the run makes this copy: not unchanged, not left out; and whether the shell makes it
// (a converted song is made by the player's encoder).
inline bool IsToCopy(const PlannedCopy& copy) { return !copy.unchanged && !copy.leftOut; }
inline bool IsForTheShell(const PlannedCopy& copy) { return IsToCopy(copy) && !copy.converted; }

// The copy of this run whose source, or whose destination, is `path` (as Windows compares
// names); NoCopy when none is, or the plan keeps no index.
uint32_t FindCopyBySource(const CopyPlan& plan, const wchar_t* path);
uint32_t FindCopyByDestination(const CopyPlan& plan, const wchar_t* path);
// The copy whose destination starts at `offset` in the texts; NoCopy when none does.
uint32_t CopyWithDestinationAt(const CopyPlan& plan, int64_t offset);
