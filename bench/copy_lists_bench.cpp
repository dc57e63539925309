// Building the lists for a large playlist against the bare host requests the two passes
// make: with every naming option on, and named by tags with a template of four fields, the
// tag requests counted among the bare ones. Target: at most 1.8 times the requests' time, and
// exactly two allocations a run.
#include <stdio.h>
#include "bench/benches.h"
#include "copy/copy_lists.h"
#include "host/host_link.h"
#include "hostsim/host_simulator.h"
#include "state/plugin_state.h"

static const int Entries = 100000;
static const int Pairs = 9;
static const double TargetRatio = 1.8;
static const wchar_t FourFields[] = L"%albumartist%\\%album%\\%tracknumber% %title%";
static const wchar_t* const FourTags[] = {L"albumartist", L"album", L"track", L"title"};

static void FillPlaylist(HostSimulator* host, bool tagged)
{
    host->playlist.resize(Entries);
    for (int i = 0; i < Entries; ++i) {
        wchar_t path[128], title[64], artist[32], album[32], track[16];
        wsprintfW(path, L"D:\\Music\\Artist Name %05d\\Album Title %05d\\07 - Track %05d.mp3", i % 997, i % 89, i);
        wsprintfW(title, L"Artist %d - A Title: \"Part %d\"", i % 997, i);
        host->playlist[(size_t)i] = SimEntry{path, title, 180};
        if (!tagged)
            continue;
        wsprintfW(artist, L"Artist Name %05d", i % 997);
        wsprintfW(album, L"Album: Title %05d", i % 89);
        wsprintfW(track, L"%d/12", i % 12 + 1);
        host->fileTags[path] = {{L"albumartist", artist}, {L"album", album}, {L"track", track},
                                {L"title", title}};
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
    wchar_t path[HostTextCapacity];
    for (int i = 0; i < State.PlaylistCount; ++i)
        if (CopyPlaylistFile(i, path))
            AppendCopyEntry(&lists, prefix, i, path, {target, 9});
    FreeCopyLists(&lists);
    times.filling = SecondsSince(start);
    return times;
}

// The requests the two passes make, with nothing done with the answers but the copy each needs:
// path and title each time; by tags, the path to measure, then the path and the four tags.
static double TimeBareRequests(bool tagged)
{
    wchar_t value[256], path[HostTextCapacity], title[HostTextCapacity];
    LARGE_INTEGER start = Now();
    for (int pass = 0; pass < 2; ++pass)
        for (int i = 0; i < State.PlaylistCount; ++i) {
            CopyPlaylistFile(i, path);
            if (!tagged)
                CopyPlaylistTitle(i, title);
            else if (pass == 1)
                for (const wchar_t* tag : FourTags)
                    FileMetadata(path, tag, value, 256);
        }
    return SecondsSince(start);
}

static void PrintFigures(const char* what, const std::vector<double>& lists,
                         const std::vector<double>& bare, const std::vector<double>& ratios,
                         uint64_t allocations)
{
    PairedFigure ratio = FigureOf(ratios);
    printf("copy lists, %d entries, %s (median of %d pairs, spread in brackets):\n", Entries, what,
           Pairs);
    printf("  both passes                   %s ms\n", FigureText(FigureOf(lists), "%.1f").c_str());
    printf("  bare host requests            %s ms\n", FigureText(FigureOf(bare), "%.1f").c_str());
    printf("  ratio                         %s   (target at most %.2f): %s\n",
           FigureText(ratio, "%.2f").c_str(), TargetRatio, ratio.median <= TargetRatio ? "met" : "MISSED");
    printf("  heap allocations per run      %llu   (target exactly 2)\n", (unsigned long long)allocations);
}

static void BenchLists(bool tagged)
{
    HostSimulator* host = StartHostSimulator();
    State.HostWindow = host->window;
    FillPlaylist(host, tagged);
    State.PlaylistCount = Entries;
    State.Options = EveryNamingOptionOn();
    State.Options.NameByTags = tagged;
    lstrcpyW(State.Options.NameTemplate, FourFields);
    host->log.reserve(2 * 6 * (size_t)Entries * Pairs + 16);

    std::vector<double> lists, bare, ratios;
    uint64_t allocations = 0;
    for (int pair = 0; pair < Pairs; ++pair) {
        uint64_t before = AllocationCount();
        PassTimes times = TimeLists();
        allocations = AllocationCount() - before;
        double requests = TimeBareRequests(tagged);
        lists.push_back((times.measuring + times.filling) * 1000);
        bare.push_back(requests * 1000);
        ratios.push_back((times.measuring + times.filling) / requests);
    }
    PrintFigures(tagged ? "named by tags, a template of four fields" : "every option on", lists,
                 bare, ratios, allocations);
    StopHostSimulator(host);
    State = PluginState();
}

void BenchCopyLists() { BenchLists(false); }
void BenchTaggedLists() { BenchLists(true); }
