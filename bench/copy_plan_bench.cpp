// Making the plan for a large playlist against the bare host requests and lookups it makes:
// with every naming option on, and named by tags with a template of four fields. Target: at
// most 1.8 times their time, and two heap allocations a plan. Then what fits of it on a target
// with room for half: under a tenth of the plan's time.
#include <stdio.h>
#include <string>
#include "bench/benches.h"
#include "files/file_facts.h"
#include "host/host_link.h"
#include "host/host_link_internal.h"
#include "hostsim/disk_files.h"
#include "hostsim/host_simulator.h"
#include "plan/copy_plan.h"
#include "room/room.h"
#include "room/room_internal.h"
#include "run/make_plan.h"
#include "state/plugin_state.h"

static const int Entries = 100000;
static const int Files = 1000;
static const int Pairs = 9;
static const double TargetRatio = 1.8;
static const double TargetFitShare = 0.10;
static const wchar_t FourFields[] = L"%albumartist%\\%album%\\%tracknumber% %title%";
static const wchar_t* const FourTags[] = {L"albumartist", L"album", L"track", L"title"};

// A thousand files, each entry of the playlist one of them under a title of its own.
static void FillPlaylist(HostSimulator* host, const std::wstring& root, bool tagged)
{
    host->playlist.resize(Entries);
    for (int i = 0; i < Entries; ++i) {
        wchar_t path[MAX_PATH], title[64], artist[32], album[32], track[16];
        wsprintfW(path, L"%sArtist Name %03d\\Album Title %02d\\07 - Track %04d.mp3", root.c_str(),
                  i % Files % 97, i % Files % 89, i % Files);
        if (i < Files) {
            std::wstring file = path;
            CreateFolders(file.substr(0, file.rfind(L'\\') + 1));
            WriteFileBytes(file, "");
        }
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

// The requests and lookups the plan makes, with nothing done with the answers but the copy
// each needs: the path and its lookup; the title to name the copy (by tags, the four tags);
// the title and length for the playlist file, the length from its reader as while the player
// plays.
static double TimeBareRequests(bool tagged)
{
    wchar_t value[256], path[HostTextCapacity], title[HostTextCapacity];
    LARGE_INTEGER start = Now();
    for (int i = 0; i < State.PlaylistCount; ++i) {
        FileFacts facts;
        CopyPlaylistFile(i, path);
        QueryFileFacts(path, &facts);
        if (!tagged)
            CopyPlaylistTitle(i, title);
        else
            for (const wchar_t* tag : FourTags)
                FileMetadata(path, tag, value, 256);
        CopyPlaylistTitle(i, title);
        ReaderSeconds(path);
    }
    return SecondsSince(start);
}

static void PrintFigures(const char* what, const std::vector<double>& plans,
                         const std::vector<double>& bare, const std::vector<double>& ratios,
                         uint64_t allocations, const std::vector<double>& fitShares)
{
    PairedFigure ratio = FigureOf(ratios), fit = FigureOf(fitShares);
    printf("copy plan, %d entries, %s (median of %d pairs, spread in brackets):\n", Entries, what, Pairs);
    printf("  making the plan               %s ms\n", FigureText(FigureOf(plans), "%.1f").c_str());
    printf("  bare host requests, lookups   %s ms\n", FigureText(FigureOf(bare), "%.1f").c_str());
    printf("  ratio                         %s   (target at most %.2f): %s\n",
           FigureText(ratio, "%.2f").c_str(), TargetRatio, ratio.median <= TargetRatio ? "met" : "MISSED");
    printf("  heap allocations per plan     %s   (target 2)\n", std::to_string(allocations).c_str());
    printf("  what fits, room for half      %s %% of making the plan (target under %.0f %%): %s\n",
           FigureText(fit, "%.1f").c_str(), TargetFitShare * 100,
           fit.median < TargetFitShare * 100 ? "met" : "MISSED");
}

// What fits of the plan when only half the room it needs is free.
static double TimeWhatFits(CopyPlan* plan)
{
    RoomWeighing weighing;
    if (!WeighRoom(plan, &weighing))
        return 0;
    weighing.available = weighing.needed / 2;
    LARGE_INTEGER start = Now();
    FitToRoom(plan, &weighing);
    double seconds = SecondsSince(start);
    FreeRoomWeighing(&weighing);
    return seconds;
}

static void BenchPlan(bool tagged)
{
    HostSimulator* host = StartHostSimulator();
    State.HostWindow = host->window;
    std::wstring root = BenchFolder(tagged ? L"tagged-plan" : L"plan");
    FillPlaylist(host, root, tagged);
    std::wstring target = root + L"out\\";
    CreateFolders(target);
    State.PlaylistCount = Entries;
    State.Options = EveryNamingOptionOn();
    State.Options.NameByTags = tagged;
    lstrcpyW(State.Options.NameTemplate, FourFields);
    host->log.reserve(2 * 8 * (size_t)Entries * Pairs + 16);

    std::vector<double> plans, bare, ratios, fitShares;
    uint64_t allocations = 0;
    for (int pair = 0; pair < Pairs; ++pair) {
        wchar_t path[PathCapacity];
        lstrcpyW(path, (target + L"x").c_str());
        uint64_t before = AllocationCount();
        LARGE_INTEGER start = Now();
        CopyPlan plan;
        MakeCopyPlan({path, (int)target.size()}, &plan);
        double planned = SecondsSince(start);
        allocations = AllocationCount() - before;
        fitShares.push_back(TimeWhatFits(&plan) / planned * 100);
        FreeCopyPlan(&plan);
        double requests = TimeBareRequests(tagged);
        plans.push_back(planned * 1000);
        bare.push_back(requests * 1000);
        ratios.push_back(planned / requests);
    }
    PrintFigures(tagged ? "named by tags, a template of four fields" : "every option on", plans,
                 bare, ratios, allocations, fitShares);
    RemoveFolder(root);
    StopHostSimulator(host);
    State = PluginState();
}

void BenchCopyPlan() { BenchPlan(false); }
void BenchTaggedPlan() { BenchPlan(true); }
