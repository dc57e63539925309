#include <windows.h>
#include <stdio.h>
#include <string>
#include "bench/benches.h"
#include "dialog/room_question.h"
#include "dialog/run_boxes.h"
#include "hostsim/dialog_watcher.h"
#include "hostsim/disk_files.h"
#include "hostsim/host_simulator.h"
#include "plan/copy_plan.h"
#include "room/room.h"
#include "run/copy_run.h"
#include "run/make_plan.h"
#include "state/plugin_state.h"

static const double TargetShare = 0.05;

struct TimedRun {
    double seconds;
    uint64_t checkAllocations, runAllocations;
};

// What the user waits for after pressing Save: the plan made and weighed, and the run.
static TimedRun RunTimed(const std::wstring& target)
{
    wchar_t path[PathCapacity] = {};
    lstrcpyW(path, (target + L"(Filename Ignored)").c_str());
    int nameOffset = (int)target.size();
    uint64_t before = AllocationCount();
    LARGE_INTEGER start = Now();
    CopyPlan plan;
    bool confirmed = MakeCopyPlan({path, nameOffset}, &plan) && ConfirmRoom(State.HostWindow, &plan);
    uint64_t checked = AllocationCount();
    if (confirmed)
        RunCopy(&plan, RunBoxes);
    FreeCopyPlan(&plan);
    return {SecondsSince(start), checked - before, AllocationCount() - checked};
}

// A folder kept in step, copied once and then again with nothing changed: the second run
// against the first, every option on.
void BenchResync()
{
    BenchPlayer player;
    StartBenchPlayer(&player);
    HostSimulator* host = player.host;
    State.Options = EveryNamingOptionOn();
    State.Options.KeepInStep = State.Options.RemoveDropped = 1;

    std::wstring root = BenchFolder(L"resync");
    MakeRunSources(host, root);
    State.PlaylistCount = RunFileCount;
    std::wstring target = root + L"out\\";
    host->log.reserve(64 * RunFileCount * RunPairs);

    std::vector<double> firsts, agains, shares;
    TimedRun again = {};
    size_t boxesFirst = 0, boxesAgain = 0;
    for (int pair = 0; pair < RunPairs; ++pair) {
        RemoveFolder(target);
        CreateDirectoryW(target.c_str(), nullptr);
        size_t boxesBefore = player.watcher.boxes.size();
        TimedRun first = RunTimed(target);
        size_t boxesBetween = player.watcher.boxes.size();
        again = RunTimed(target);
        boxesFirst = boxesBetween - boxesBefore;
        boxesAgain = player.watcher.boxes.size() - boxesBetween;
        firsts.push_back(first.seconds * 1000);
        agains.push_back(again.seconds * 1000);
        shares.push_back(first.seconds > 0 ? again.seconds / first.seconds * 100 : 0);
    }
    PairedFigure share = FigureOf(shares);
    printf("resync: %d files of %d KiB, median of %d pairs (spread in brackets): first run %s ms, "
           "re-run with all unchanged %s ms, boxes %d then %d\n", RunFileCount, RunFileBytes / 1024,
           RunPairs, FigureText(FigureOf(firsts), "%.1f").c_str(), FigureText(FigureOf(agains), "%.1f").c_str(),
           (int)boxesFirst, (int)boxesAgain);
    printf("resync: heap allocations of the re-run: plan and room %s, run %s\n",
           std::to_string(again.checkAllocations).c_str(), std::to_string(again.runAllocations).c_str());
    printf("resync: re-run %s %% of the first run (target <= %.0f %%): %s\n", FigureText(share, "%.2f").c_str(),
           TargetShare * 100, share.median <= TargetShare * 100 ? "met" : "MISSED");

    StopBenchPlayer(&player, root);
}
