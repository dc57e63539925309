// Building the lists for a large playlist against the bare host requests the two passes
// make. Target: at most 1.8 times the requests' time, and exactly two allocations a run.
#include <stdio.h>
#include "bench/benches.h"
#include "copy/copy_lists.h"
#include "hostsim/host_simulator.h"
#include "state/plugin_state.h"

static const int Entries = 100000;
static const int Rounds = 5;

static void FillPlaylist(HostSimulator* host)
{
    host->playlist.resize(Entries);
    for (int i = 0; i < Entries; ++i) {
        wchar_t path[128], title[64];
        wsprintfW(path, L"D:\\Music\\Artist Name %05d\\Album Title %05d\\07 - Track %05d.mp3", i % 997, i % 89, i);
        wsprintfW(title, L"Artist %d - A Title: \"Part %d\"", i % 997, i);
        host->playlist[(size_t)i] = SimEntry{path, title, 180};
    }
}

struct PassTimes {
    double measuring, filling;
};

static PassTimes TimeLists()
{
    wchar_t target[260] = L"E:\\Stick\\playlist.m3u8";
    LARGE_INTEGER start = Now();
    NumberPrefix prefix = MakeNumberPrefix(State.PlaylistCount, true);
    CopyLists lists = AllocateCopyLists(MeasureCopyLists(target, prefix));
    PassTimes times;
    times.measuring = SecondsSince(start);
    start = Now();
    for (int i = 0; i < State.PlaylistCount; ++i)
        AppendCopyEntry(&lists, prefix, i, target, 9);
    FreeCopyLists(&lists);
    times.filling = SecondsSince(start);
    return times;
}

// The same four requests per entry, with nothing done with the answers.
static double TimeBareRequests()
{
    LARGE_INTEGER start = Now();
    for (int pass = 0; pass < 2; ++pass)
        for (int i = 0; i < State.PlaylistCount; ++i) {
            PlaylistFile(i);
            PlaylistTitle(i);
        }
    return SecondsSince(start);
}

void BenchCopyLists()
{
    HostSimulator* host = StartHostSimulator();
    Record.hostWindow = host->window;
    FillPlaylist(host);
    State.PlaylistCount = Entries;
    State.Options = CopyOptions{1, 1, 1, 1, 1};
    host->log.reserve(2 * 4 * (size_t)Entries * Rounds + 16);

    PassTimes best = {1e9, 1e9};
    double bare = 1e9;
    uint64_t allocations = 0;
    for (int round = 0; round < Rounds; ++round) {
        uint64_t before = AllocationCount();
        PassTimes times = TimeLists();
        allocations = AllocationCount() - before;
        if (times.measuring + times.filling < best.measuring + best.filling)
            best = times;
        double seconds = TimeBareRequests();
        if (seconds < bare)
            bare = seconds;
    }
    double lists = best.measuring + best.filling;
    printf("copy lists, %d entries, every option on (best of %d):\n", Entries, Rounds);
    printf("  measuring pass                %8.1f ms\n", best.measuring * 1000);
    printf("  filling pass                  %8.1f ms\n", best.filling * 1000);
    printf("  bare host requests            %8.1f ms\n", bare * 1000);
    printf("  ratio                         %8.2f   (target at most 1.80)\n", lists / bare);
    printf("  heap allocations per run      %8llu   (target exactly 2)\n", (unsigned long long)allocations);
    StopHostSimulator(host);
    Record.hostWindow = nullptr;
}
