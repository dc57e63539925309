// Rewriting a folder of 1,000 songs in play order against the shell copy of those songs (1,000 ×
// 256 KiB) into it. Target: at most 3 % of it, one heap allocation for the rewrite, and a re-run
// with nothing changed moves nothing. The folder lies on this machine's own disk, which keeps no
// written order: the plan is told its volume does.
#include <stdio.h>
#include "bench/benches.h"
#include "hostsim/dialog_watcher.h"
#include "hostsim/disk_files.h"
#include "hostsim/host_simulator.h"
#include "hostsim/plugin_loader.h"
#include "order/play_order.h"
#include "plan/copy_plan.h"
#include "run/copy_run_internal.h"
#include "run/make_plan.h"
#include "dialog/run_boxes.h"
#include "state/plugin_state.h"

static const double TargetShare = 0.03;
static const int Songs = 1000;

static int Moves = 0;
static BOOL(WINAPI* RealMoveFile)(LPCWSTR, LPCWSTR) = nullptr;
static BOOL WINAPI CountMove(LPCWSTR from, LPCWSTR to)
{
    ++Moves;
    return RealMoveFile(from, to);
}

struct OrderTimes {
    double copy, rewrite;
    uint64_t allocations;
    int moves;
};

// One run of the playlist into `target`, kept in step; the shell copy and the rewrite timed.
static OrderTimes TimeRun(const std::wstring& target)
{
    wchar_t path[PathCapacity] = {};
    lstrcpyW(path, (target + L"(Filename Ignored)").c_str());
    OrderTimes times = {};
    CopyPlan plan;
    PreparedRun run = {};
    if (!MakeCopyPlan({path, (int)target.size()}, &plan))
        return times;
    plan.onFatVolume = true;
    // The rewrite's one allocation is the work noted before the copy.
    OrderWork probe;
    uint64_t before = AllocationCount();
    NoteFoldersBefore(plan, &probe);
    times.allocations = AllocationCount() - before;
    FreeOrderWork(&probe);
    if (!PrepareCopy(&plan, RunBoxes, &run)) {
        FreeCopyPlan(&plan);
        return times;
    }
    CopyOutcome outcome = NoteDestinations(run.lists);
    LARGE_INTEGER start = Now();
    if (run.lists.pairs)
        ShellCopy(run.lists);
    times.copy = SecondsSince(start);
    // What comes after the copy but the rewrite is weighed by the copy run's bench: the rewrite
    // is the rest of the run's end.
    Moves = 0;
    before = AllocationCount();
    start = Now();
    wchar_t failed[PathCapacity];
    PutInPlayOrder(plan, run.previous, &run.order, failed);
    times.rewrite = SecondsSince(start);
    times.allocations += AllocationCount() - before;
    times.moves = Moves;
    FreeOrderWork(&run.order);
    FinishCopy(&plan, &run, &outcome);
    FreeCopyPlan(&plan);
    return times;
}

void BenchPlayOrder()
{
    BenchPlayer player;
    StartBenchPlayer(&player);
    HostSimulator* host = player.host;
    RealMoveFile = (decltype(RealMoveFile))ReplaceImport(GetModuleHandleW(nullptr), "KERNEL32.dll",
                                                         "MoveFileW", (void*)CountMove);
    // Unnumbered, so that a copy keeps its name whatever its place in the playlist.
    State.Options = CopyOptions();
    State.Options.SavePlaylist = State.Options.KeepInStep = 1;
    State.Options.NumberFilenames = 0;
    std::wstring root = BenchFolder(L"play-order"), target = root + L"out\\";
    std::string bytes(RunFileBytes, 'o');
    CreateFolders(root + L"src\\");
    for (int i = 0; i < Songs; ++i) {
        std::wstring path = root + L"src\\song " + std::to_wstring(i) + L".mp3";
        WriteFileBytes(path, bytes);
        host->playlist.push_back({path, L"Song " + std::to_wstring(i), 180});
    }
    State.PlaylistCount = Songs;
    host->log.reserve(16 * Songs * RunPairs * 3);

    std::vector<double> shares;
    OrderTimes copied = {}, rewritten = {}, again = {};
    for (int pair = 0; pair < RunPairs; ++pair) {
        RemoveFolder(target);
        CreateFolders(target);
        std::reverse(host->playlist.begin(), host->playlist.end());
        copied = TimeRun(target);
        std::reverse(host->playlist.begin(), host->playlist.end());
        rewritten = TimeRun(target);
        again = TimeRun(target);
        shares.push_back(copied.copy > 0 ? rewritten.rewrite / copied.copy * 100 : 0);
    }
    PairedFigure share = FigureOf(shares);
    printf("play order: %d songs of %d KiB, median of %d runs (spread in brackets): the rewrite of the folder "
           "%s %% of the shell copy (target <= %.0f %%): %s\n", Songs, RunFileBytes / 1024, RunPairs,
           FigureText(share, "%.1f").c_str(), TargetShare * 100, share.median <= TargetShare * 100 ? "met" : "MISSED");
    printf("play order: moves %d in the rewrite (%u heap allocations, target 1), %d in the first copy and "
           "%d in a re-run with nothing changed (target 0)\n", rewritten.moves, (unsigned)rewritten.allocations,
           copied.moves, again.moves);
    StopBenchPlayer(&player, root);
}
