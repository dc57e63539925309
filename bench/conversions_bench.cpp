// The module's own part of converting a file (its requests, the window's updates, the tag
// copy, the move into place) against the simulated player's conversion of a 4 MiB file.
// Target: under 2 % of it, and no heap allocation for a file beyond the plan.
#include <stdio.h>
#include <string>
#include "bench/benches.h"
#include "convert/conversions.h"
#include "dialog/conversion_window.h"
#include "hostsim/disk_files.h"
#include "hostsim/host_simulator.h"
#include "plan/copy_plan.h"
#include "run/make_plan.h"
#include "state/plugin_state.h"

static const int Files = 10;
static const int FileBytes = 4 * 1024 * 1024;
static const int Pairs = 5;
static const double TargetShare = 0.02;

struct ConversionTimes {
    double total, simulated;
    uint64_t allocations;
    uint32_t failed;
};

// One plan of the files into a fresh target, and their conversions timed.
static ConversionTimes TimeConversions(HostSimulator* host, const std::wstring& target)
{
    RemoveFolder(target);
    CreateFolders(target);
    wchar_t path[PathCapacity] = {};
    lstrcpyW(path, (target + L"x").c_str());
    CopyPlan plan;
    ConversionTimes times = {};
    if (!MakeCopyPlan({path, (int)target.size()}, &plan))
        return times;
    host->encoders.secondsConverting = 0;
    uint64_t before = AllocationCount();
    LARGE_INTEGER start = Now();
    times.failed = RunConversions(&plan, ConversionWindow);
    times.total = SecondsSince(start);
    times.allocations = AllocationCount() - before;
    times.simulated = host->encoders.secondsConverting;
    FreeCopyPlan(&plan);
    return times;
}

void BenchConversions()
{
    HostSimulator* host = StartHostSimulator();
    ConnectHost(host);
    std::wstring root = BenchFolder(L"conversions");
    std::string bytes(FileBytes, 'f');
    for (int i = 0; i < Files; ++i) {
        std::wstring source = root + L"song " + std::to_wstring(i) + L".flac";
        CreateFolders(root);
        WriteFileBytes(source, bytes);
        host->playlist.push_back({source, L"Song " + std::to_wstring(i), 180});
    }
    State.PlaylistCount = Files;
    State.FormatCount = (int32_t)host->encoders.formats.size();
    State.Options.ConvertForDevice = 1;
    host->log.reserve(64 * Files * Pairs);

    std::vector<double> shares, perFile;
    ConversionTimes times = {};
    for (int pair = 0; pair < Pairs; ++pair) {
        times = TimeConversions(host, root + L"out\\");
        double module = times.total - times.simulated;
        perFile.push_back(module / Files * 1000);
        shares.push_back(times.simulated > 0 ? module / times.simulated * 100 : 0);
    }
    PairedFigure share = FigureOf(shares);
    printf("conversions: %d files of %d MiB, %u not made, %s heap allocations while converting "
           "(target 0); median of %d runs (spread in brackets)\n", Files, FileBytes >> 20,
           (unsigned)times.failed, std::to_string(times.allocations).c_str(), Pairs);
    printf("conversions: the module's part %s ms a file, %s %% of the simulated conversion (target under %.0f %%): %s\n",
           FigureText(FigureOf(perFile), "%.2f").c_str(), FigureText(share, "%.2f").c_str(),
           TargetShare * 100, share.median < TargetShare * 100 ? "met" : "MISSED");
    RemoveFolder(root);
    StopHostSimulator(host);
    State = PluginState();
}
