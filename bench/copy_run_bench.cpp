#include <windows.h>
#include <shellapi.h>
#include <stdio.h>
#include <string>
#include <vector>
#include "bench/benches.h"
#include "dialog/room_question.h"
#include "dialog/run_boxes.h"
#include "files/file_facts.h"
#include "hostsim/dialog_watcher.h"
#include "hostsim/disk_files.h"
#include "hostsim/host_simulator.h"
#include "room/room.h"
#include "run/copy_outcome.h"
#include "run/copy_run.h"
#include "run/copy_run_internal.h"
#include "run/make_plan.h"
#include "state/plugin_state.h"

const int RunFileCount = 1000;
const int RunFileBytes = 256 * 1024;
static const int FilesPerAlbum = 100;
static const double TargetShare = 0.05;
static const double TargetCheckShare = 0.01;
const int RunPairs = 5;

void MakeRunSources(HostSimulator* host, const std::wstring& root)
{
    std::string bytes(RunFileBytes, 'x');
    for (int i = 0; i < RunFileCount; ++i) {
        wchar_t album[64], name[64], title[64];
        wsprintfW(album, L"src\\Album %02d\\", i / FilesPerAlbum);
        wsprintfW(name, L"track %04d.mp3", i);
        wsprintfW(title, L"Artist %d - Song: %d?", i % 37, i);
        std::wstring path = root + album + name;
        CreateFolders(root + album);
        WriteFileBytes(path, bytes);
        host->playlist.push_back({path, title, 180 + i % 120});
    }
}

struct RunTimes {
    double preparation, shellCopy, check;
    uint64_t allocations;
    int copied;
};

// One run into a fresh target, in its steps: the module's part before the shell copy (the plan,
// the room weighed, the playlist file, the shell's lists and each destination noted), the
// shell copy, and the module's look at what came of it.
static RunTimes TimeRun(const std::wstring& target)
{
    RemoveFolder(target);
    CreateDirectoryW(target.c_str(), nullptr);
    wchar_t path[PathCapacity] = {};
    lstrcpyW(path, (target + L"(Filename Ignored)").c_str());
    RunTimes times = {};
    uint64_t allocationsBefore = AllocationCount();
    LARGE_INTEGER start = Now();
    CopyPlan plan;
    PreparedRun run = {};
    bool prepared = MakeCopyPlan({path, (int)target.size()}, &plan) &&
                    ConfirmRoom(State.HostWindow, &plan) && PrepareCopy(&plan, RunBoxes, &run);
    CopyOutcome outcome = prepared ? NoteDestinations(run.lists) : CopyOutcome{};
    times.preparation = SecondsSince(start);
    start = Now();
    if (prepared)
        ShellCopy(run.lists);
    times.shellCopy = SecondsSince(start);
    start = Now();
    if (prepared)
        FinishCopy(&plan, &run, &outcome);
    times.check = SecondsSince(start);
    times.allocations = AllocationCount() - allocationsBefore;
    for (uint32_t i = 0; i < plan.songCount; ++i)
        times.copied += plan.copies[i].inPlace ? 1 : 0;
    FreeCopyPlan(&plan);
    return times;
}

// The presence lookups alone, the largest part of the preparation.
static void PrintLookupTime(const HostSimulator* host)
{
    LARGE_INTEGER start = Now();
    for (const SimEntry& entry : host->playlist) {
        uint64_t size;
        QueryFileSize(entry.path.c_str(), &size);
    }
    printf("copy run: of the preparation, %d presence lookups take %.1f ms\n", RunFileCount,
           SecondsSince(start) * 1000);
}

// Preparation (the plan, the room, the playlist file, the shell's lists) against the shell
// copy's own time, in runs of 1,000 present files with every option on.
void BenchCopyRun()
{
    BenchPlayer player;
    StartBenchPlayer(&player);
    HostSimulator* host = player.host;
    State.Options = EveryNamingOptionOn();

    std::wstring root = BenchFolder(L"copy-run");
    MakeRunSources(host, root);
    State.PlaylistCount = RunFileCount;
    // The simulator logs every host request; room for all of them keeps its own growing
    // out of the module's allocation count and time.
    host->log.reserve(16 * RunFileCount * RunPairs);

    std::vector<double> preparation, shellCopy, check, shares, checkShares;
    RunTimes times = {};
    for (int pair = 0; pair < RunPairs; ++pair) {
        times = TimeRun(root + L"out\\");
        preparation.push_back(times.preparation * 1000);
        shellCopy.push_back(times.shellCopy * 1000);
        check.push_back(times.check * 1000);
        shares.push_back(times.shellCopy > 0 ? times.preparation / times.shellCopy * 100 : 0);
        checkShares.push_back(times.shellCopy > 0 ? times.check / times.shellCopy * 100 : 0);
    }
    PairedFigure share = FigureOf(shares), checkShare = FigureOf(checkShares);
    printf("copy run: %d files of %d KiB, every option on, %d in place, %s heap allocations, %d boxes; "
           "median of %d runs (spread in brackets)\n", RunFileCount, RunFileBytes / 1024, times.copied,
           std::to_string(times.allocations).c_str(), (int)player.watcher.boxes.size(), RunPairs);
    printf("copy run: preparation %s ms, shell copy %s ms\n", FigureText(FigureOf(preparation), "%.1f").c_str(),
           FigureText(FigureOf(shellCopy), "%.1f").c_str());
    printf("copy run: preparation %s %% of the shell copy (target <= %.0f %%): %s\n",
           FigureText(share, "%.2f").c_str(), TargetShare * 100, share.median <= TargetShare * 100 ? "met" : "MISSED");
    printf("copy run: the check after the copy %s ms, %s %% of the shell copy (target <= %.0f %%): %s\n",
           FigureText(FigureOf(check), "%.1f").c_str(), FigureText(checkShare, "%.2f").c_str(),
           TargetCheckShare * 100, checkShare.median <= TargetCheckShare * 100 ? "met" : "MISSED");

    PrintLookupTime(host);

    StopBenchPlayer(&player, root);
}
