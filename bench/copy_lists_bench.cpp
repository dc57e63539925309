// Building the lists for a large playlist against the bare host requests the two passes
// make. Target: at most 1.8 times the requests' time, and exactly two allocations a run.
#include <stdio.h>
#include "bench/benches.h"
#include "copy/copy_lists.h"
#include "hostsim/host_simulator.h"
#include "state/plugin_state.h"

static const int Entries = 100000;
static const int Pairs = 9;
static const double TargetRatio = 1.8;

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
        AppendCopyEntry(&lists, prefix, i, {target, 9});
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
    State.HostWindow = host->window;
    FillPlaylist(host);
    State.PlaylistCount = Entries;
    State.Options = EveryNamingOptionOn();
    host->log.reserve(2 * 4 * (size_t)Entries * Pairs + 16);

    std::vector<double> lists, bare, ratios;
    uint64_t allocations = 0;
    for (int pair = 0; pair < Pairs; ++pair) {
        uint64_t before = AllocationCount();
        PassTimes times = TimeLists();
        allocations = AllocationCount() - before;
        double requests = TimeBareRequests();
        lists.push_back((times.measuring + times.filling) * 1000);
        bare.push_back(requests * 1000);
        ratios.push_back((times.measuring + times.filling) / requests);
    }
    PairedFigure ratio = FigureOf(ratios);
    printf("copy lists, %d entries, every option on (median of %d pairs, spread in brackets):\n",
           Entries, Pairs);
    printf("  both passes                   %s ms\n", FigureText(FigureOf(lists), "%.1f").c_str());
    printf("  bare host requests            %s ms\n", FigureText(FigureOf(bare), "%.1f").c_str());
    printf("  ratio                         %s   (target at most %.2f): %s\n",
           FigureText(ratio, "%.2f").c_str(), TargetRatio, ratio.median <= TargetRatio ? "met" : "MISSED");
    printf("  heap allocations per run      %llu   (target exactly 2)\n", (unsigned long long)allocations);
    StopHostSimulator(host);
    State.HostWindow = nullptr;
}
