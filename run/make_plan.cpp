#include "run/make_plan.h"
#include <stdlib.h>
#include <wchar.h>
#include "companions/companions.h"
#include "convert/conversions.h"
#include "convert/device_formats.h"
#include "files/block_layout.h"
#include "files/file_facts.h"
#include "host/host_link.h"
#include "naming/copy_destination.h"
#include "order/folder_rewrite.h"
#include "order/play_order.h"
#include "plan/plan_writing.h"
#include "playlist/playlist_file.h"

// What an entry's texts take, in units, as the first guess of the texts' size: its source and
// destination, its title when a playlist file is written, its lyrics' pair when they go too.
// A plan that needs more grows the block by halves again.
static const size_t GuessedEntryText = 256, GuessedTitle = 64, GuessedCompanions = 192;

// --- Storage ---------------------------------------------------------------------------------

// The records block: the entries, the copies, the conversions' state when the plan converts
// and, when the plan keeps an index, its two sets.
static bool PlaceRecords(CopyPlan* plan, size_t entries, size_t copies)
{
    // Copies are numbered in 32 bits, NoCopy apart.
    if (copies >= NoCopy)
        return false;
    // The entries first: the plan frees its block through them.
    BlockLayout layout = {};
    size_t entryRecords = ReservePart(&layout, SizeTimes(entries, sizeof(PlannedEntry)));
    size_t copyRecords = ReservePart(&layout, SizeTimes(copies, sizeof(PlannedCopy)));
    size_t conversion = ReservePart(&layout, plan->convertTo ? sizeof(ConversionWork) : 0);
    size_t setBytes = plan->indexed ? TextSetBytes(copies) : 0;
    size_t sources = ReservePart(&layout, setBytes), destinations = ReservePart(&layout, setBytes);
    // An empty playlist still has a plan: the block is of one byte at least.
    char* block = AllocateBlock(layout);
    if (!block)
        return false;
    plan->entries = (PlannedEntry*)(block + entryRecords);
    plan->copies = (PlannedCopy*)(block + copyRecords);
    plan->copyCapacity = (uint32_t)copies;
    if (plan->convertTo)
        plan->conversion = (ConversionWork*)(block + conversion);
    if (plan->indexed) {
        plan->sources = PlaceTextSet(block + sources, copies);
        plan->destinations = PlaceTextSet(block + destinations, copies);
    }
    return true;
}

// --- Entries ---------------------------------------------------------------------------------

// The song of a present entry, its destination made; NoCopy when no name fits, or, with
// `outOfMemory` set, when there is no room for its texts. Kept in step, a source met before
// has its copy already.
static uint32_t PlanSong(CopyPlan* plan, const NumberPrefix& prefix, int index,
                         const wchar_t* path, const FileFacts& facts, bool* outOfMemory)
{
    if (plan->keepInStep) {
        uint32_t earlier = FindCopyBySource(*plan, path);
        if (earlier != NoCopy)
            return earlier;
    }
    size_t pathLength = wcslen(path);
    if (!ReservePlanText(plan, pathLength + 1 + MostPathLength + 1)) {
        *outOfMemory = true;
        return NoCopy;
    }
    uint32_t source = AddPlanText(plan, path, pathLength);
    uint32_t destination = (uint32_t)plan->textLength;
    bool converted = plan->convertTo && !DevicePlays(path);
    size_t length = MakeDestination(*plan, prefix, index, path,
                                    converted ? plan->convertedExtension : nullptr,
                                    plan->texts + destination);
    if (!length) {
        plan->textLength = source;
        return NoCopy;
    }
    plan->texts[destination + length] = 0;
    plan->textLength += length + 1;
    uint64_t size = converted ? ConvertedSizeGuess(path, facts.size) : facts.size;
    uint32_t song = AddPlannedCopy(plan, source, destination, size);
    if (song == NoCopy)
        return song;
    PlannedCopy& copy = plan->copies[song];
    copy.converted = converted;
    // A converted copy differs from its source in size by nature: it is there and no older.
    if (plan->keepInStep)
        copy.unchanged = converted
                             ? IsConversionOf(facts, plan->texts + destination, plan->onFatVolume)
                             : IsUnchangedCopyOf(facts, plan->texts + destination, plan->onFatVolume);
    return song;
}

// What the playlist file says of a copied entry: its title and its length.
static bool NoteTitleAndLength(CopyPlan* plan, LengthReading* lengths, PlannedEntry* entry,
                               const wchar_t* path)
{
    wchar_t title[HostTextCapacity];
    CopyPlaylistTitle(entry->index, title);
    entry->seconds = EntryLength(lengths, entry->index, path);
    entry->title = AddPlanText(plan, title, wcslen(title));
    return entry->title != NoText;
}

static bool IsFolder(const wchar_t* path)
{
    DWORD attributes = GetFileAttributesW(path);
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY);
}

// Takes entry `index` into the plan; false without memory.
static bool PlanEntry(CopyPlan* plan, const NumberPrefix& prefix, LengthReading* lengths,
                      int index)
{
    PlannedEntry& entry = plan->entries[plan->entryCount++];
    entry = {index, EntryFate::Missing, NoCopy, NoText, -1, 0};
    wchar_t path[HostTextCapacity];
    FileFacts facts;
    bool named = CopyPlaylistFile(index, path);
    if (!named || !QueryFileFacts(path, &facts)) {
        entry.fate = named && IsFolder(path) ? EntryFate::Folder : EntryFate::Missing;
        NoteSkippedEntry(&plan->skipped, path);
        return true;
    }
    bool outOfMemory = false;
    entry.song = PlanSong(plan, prefix, index, path, facts, &outOfMemory);
    if (entry.song == NoCopy) {
        entry.fate = EntryFate::NoName;
        NoteSkippedEntry(&plan->skipped, path);
        return !outOfMemory;
    }
    entry.fate = plan->copies[entry.song].unchanged ? EntryFate::Unchanged : EntryFate::Copied;
    return !plan->writesPlaylist || NoteTitleAndLength(plan, lengths, &entry, path);
}

// The entries to go through, in playlist order: every one, or the selected ones.
static bool PlanEntries(CopyPlan* plan, const NumberPrefix& prefix, LengthReading* lengths)
{
    if (!State.Options.OnlySelected) {
        for (int index = 0; index < plan->considered; ++index)
            if (!PlanEntry(plan, prefix, lengths, index))
                return false;
        return true;
    }
    // The selection is walked as the dialog counted it.
    int index = -1;
    for (int taken = 0; taken < plan->considered; ++taken) {
        index = NextSelectedEntry(index, State.PlaylistCount);
        if (index < 0)
            break;
        if (!PlanEntry(plan, prefix, lengths, index))
            return false;
    }
    return true;
}

// --- The plan --------------------------------------------------------------------------------

static void StartPlan(CopyTarget target, CopyPlan* plan)
{
    const CopyOptions& options = State.Options;
    *plan = {};
    lstrcpynW(plan->target, target.path, PathCapacity);
    plan->folderLength = target.folderLength;
    plan->writesPlaylist = options.SavePlaylist && NamePlaylistFile({plan->target, plan->folderLength});
    plan->keepInStep = options.KeepInStep != 0;
    plan->indexed = plan->keepInStep ||
                    (options.SavePlaylist && options.RemoveDropped && !options.OnlySelected);
    int count = options.OnlySelected ? State.SelectedCount : State.PlaylistCount;
    plan->considered = count > 0 ? count : 0;
    ChooseConversion(plan);
}

// Whether the target is on FAT or exFAT; there, what a rewrite in play order cut short left aside
// goes back to its folder first, so that the plan finds each copy where it belongs.
static void NoteTheVolume(CopyPlan* plan)
{
    wchar_t folder[PathCapacity];
    if (plan->folderLength < 3 || !JoinPath(folder, plan->target, (size_t)plan->folderLength, L"", 0))
        return;
    plan->onFatVolume = KeepsWrittenOrder(folder);
    folder[plan->folderLength - 1] = 0;
    plan->reorderEveryFolder = plan->onFatVolume && RecoverHeldEntries(folder, IsDriveRoot(*plan));
}

static size_t GuessedText(const CopyPlan& plan)
{
    size_t perEntry = GuessedEntryText + (plan.writesPlaylist ? GuessedTitle : 0) +
                      (State.Options.CopyCompanions ? GuessedCompanions : 0);
    return SizePlus(SizeTimes((size_t)plan.considered, perEntry), PathCapacity);
}

bool MakeCopyPlan(CopyTarget target, CopyPlan* plan)
{
    StartPlan(target, plan);
    NoteTheVolume(plan);
    size_t entries = (size_t)plan->considered;
    // A song's lyrics and its folder's cover: at most two companions a song.
    size_t copies = SizeTimes(entries, State.Options.CopyCompanions ? 3 : 1);
    if (!PlaceRecords(plan, entries, copies) || !ReservePlanText(plan, GuessedText(*plan))) {
        FreeCopyPlan(plan);
        return false;
    }
    NumberPrefix prefix = MakeNumberPrefix(State.PlaylistCount, State.Options.NumberFilenames != 0);
    LengthReading lengths = {};
    if (plan->writesPlaylist)
        lengths = StartReadingLengths();
    bool planned = PlanEntries(plan, prefix, &lengths);
    plan->songCount = plan->copyCount;
    EndReadingLengths(lengths);
    // Without the memory to match covers the songs are copied all the same.
    if (planned && State.Options.CopyCompanions)
        AppendCompanions(plan);
    if (!planned)
        FreeCopyPlan(plan);
    return planned;
}
