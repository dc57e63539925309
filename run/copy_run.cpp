#include "run/copy_run.h"
#include "convert/conversions.h"
#include "host/host_link.h"
#include "playlist/playlist_file.h"
#include "run/copy_run_internal.h"
#include "state/plugin_state.h"
#include "sync/leftovers.h"

// Keeping a folder in step, the copies the previous playlist file named and this run does not
// make may go.
static bool RemovesDropped(const CopyPlan& plan)
{
    const CopyOptions& options = State.Options;
    return plan.writesPlaylist && options.RemoveDropped && !options.OnlySelected && plan.indexed;
}

// The previous playlist file says what may go, and in what order the folders' songs stood: it is
// read before the run writes it anew.
static PreviousPlaylist ReadWhatThePlaylistNamed(const CopyPlan& plan)
{
    if (!RemovesDropped(plan) && !(plan.writesPlaylist && plan.onFatVolume))
        return {};
    return ReadPreviousPlaylist(plan.target, PlaylistCodePage());
}

static void FreePreparedRun(PreparedRun* run)
{
    FreePlaylistBytes(&run->previous.file);
    FreeOrderWork(&run->order);
    FreeShellLists(&run->lists);
}

// Kept in step, a run with nothing new or changed says so.
static void TellWhenAllIsUnchanged(const CopyPlan& plan, const PreparedRun& run)
{
    if (plan.keepInStep && run.lists.songs == 0 && plan.songCount > 0)
        run.prompts->tellAllUnchanged(plan.songCount);
}

enum class Writing { First, Again };

// A playlist file not written whole is gone; the user is told why. Written before the copy, the
// file listed every copy to be made: written again when not all are there, one that cannot even
// be opened goes too, or it would name copies that are not there.
static PlaylistWrite WriteThePlaylistFile(const CopyPlan& plan, const PreparedRun& run, Writing writing)
{
    DWORD error = 0;
    PlaylistWrite written = WritePlaylistFile(plan, &error);
    if (writing == Writing::Again && written == PlaylistWrite::NotOpened) {
        DeleteFileW(plan.target);
        written = PlaylistWrite::NotWhole;
    }
    if (written == PlaylistWrite::NotWhole)
        run.prompts->tellPlaylistNotWhole(error);
    return written;
}

// Before the copy, every copy to be made is taken to be in place; the check says otherwise.
static void ExpectEveryCopy(CopyPlan* plan)
{
    for (uint32_t i = 0; i < plan->copyCount; ++i)
        plan->copies[i].inPlace = IsToCopy(plan->copies[i]);
}

// Without a playlist file nothing stops; one that cannot be created ends the run.
static bool WritePlaylistFirst(CopyPlan* plan, PreparedRun* run)
{
    if (!State.Options.SavePlaylist)
        return true;
    StopPlayback();
    ExpectEveryCopy(plan);
    if (plan->writesPlaylist) {
        PlaylistWrite written = WriteThePlaylistFile(*plan, *run, Writing::First);
        run->playlistWritten = written == PlaylistWrite::Written;
        if (written != PlaylistWrite::NotOpened)
            return true;
    }
    run->prompts->tellPlaylistNotCreated();
    return false;
}

bool PrepareCopy(CopyPlan* plan, const RunPrompts& prompts, PreparedRun* run)
{
    *run = {false, {}, &prompts, {}, {}};
    if (!MakeShellLists(*plan, &run->lists))
        return false;
    run->previous = ReadWhatThePlaylistNamed(*plan);
    NoteFoldersBefore(*plan, &run->order);
    bool going = WritePlaylistFirst(plan, run);
    if (going) {
        if (plan->skipped.count)
            prompts.tellSkippedEntries(plan->skipped, plan->considered);
        RemoveLeftovers(RemovesDropped(*plan) ? run->previous : PreviousPlaylist{}, *plan,
                        prompts.askToRemoveLeftovers);
        TellWhenAllIsUnchanged(*plan, *run);
    }
    if (!going)
        FreePreparedRun(run);
    return going;
}

void FinishCopy(CopyPlan* plan, PreparedRun* run, CopyOutcome* outcome)
{
    // The shell's result and its aborted flag say too little: both are the same for a full
    // stick and for one declined replace. Without the memory to judge, every copy counts.
    uint32_t missing = outcome->copies ? CheckCopies(outcome, run->lists) : 0;
    if (outcome->copies)
        NoteCopiesInPlace(*outcome, run->lists, plan);
    // The songs the device cannot play are converted once the shell has copied the rest.
    uint32_t converting = CountConversions(*plan);
    missing += RunConversions(plan, *run->prompts->conversions);
    // Read back once everything is written, so that what a stick dropped or changed is found.
    VerifyResult verified = {};
    if (State.Options.VerifyCopies)
        verified = VerifyCopies(plan, *run->prompts->verifying);
    if (run->playlistWritten && (missing || verified.bad))
        WriteThePlaylistFile(*plan, *run, Writing::Again);
    if (missing)
        run->prompts->tellCopiesMissing(missing, outcome->songs + converting);
    if (verified.bad)
        run->prompts->tellCopiesDiffer(verified.bad, verified.checked);
    // Last, once nothing more is written: a player that plays in written order plays the
    // folders as the playlist does.
    wchar_t folder[PathCapacity];
    if (!PutInPlayOrder(*plan, run->previous, &run->order, folder))
        run->prompts->tellNotInPlayOrder(folder);
    FreeCopyOutcome(outcome);
    FreePreparedRun(run);
}

void RunCopy(CopyPlan* plan, const RunPrompts& prompts)
{
    PreparedRun run;
    if (!plan->entries || !PrepareCopy(plan, prompts, &run))
        return;
    CopyOutcome outcome = NoteDestinations(run.lists);
    // With no present (or no changed) entry there is nothing to hand to the shell.
    if (run.lists.pairs > 0)
        ShellCopy(run.lists);
    FinishCopy(plan, &run, &outcome);
}
