#include <windows.h>
#include <shellapi.h>
#include <stdio.h>
#include <string>
#include <vector>
#include "bench/benches.h"
#include "copy/copy_run.h"
#include "hostsim/dialog_watcher.h"
#include "hostsim/disk_files.h"
#include "hostsim/host_simulator.h"
#include "state/plugin_state.h"

const int RunFileCount = 1000;
const int RunFileBytes = 256 * 1024;
static const int FilesPerAlbum = 100;
static const double TargetShare = 0.05;

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

// Preparation (lookups, lists, playlist file) against the shell copy's own time, in one
// run of 1,000 present files with every option on.
void BenchCopyRun()
{
    HostSimulator* host = StartHostSimulator();
    DialogWatcher watcher;
    watcher.defaultAnswer = IDYES;
    StartWatchingDialogs(&watcher);
    Record.hostWindow = host->window;
    State.LanguageService = &host->languageService.object;
    State.ModuleInstance = State.LanguageInstance = GetModuleHandleW(nullptr);
    State.Options = {1, 1, 1, 1, 1};

    std::wstring root = BenchFolder(L"copy-run");
    MakeRunSources(host, root);
    State.PlaylistCount = RunFileCount;
    std::wstring target = root + L"out\\";
    CreateDirectoryW(target.c_str(), nullptr);
    wchar_t path[PathCapacity] = {};
    lstrcpyW(path, (target + L"(Filename Ignored)").c_str());

    // The simulator logs every host request; room for all of them keeps its own growing
    // out of the module's allocation count and time.
    host->log.reserve(16 * RunFileCount);
    uint64_t allocationsBefore = AllocationCount();
    CopyLists lists;
    LARGE_INTEGER start = Now();
    bool prepared = PrepareCopy(path, (int)target.size(), &lists);
    double preparation = SecondsSince(start);
    uint64_t allocations = AllocationCount() - allocationsBefore;
    start = Now();
    if (prepared)
        ShellCopy(lists);
    double shellCopy = SecondsSince(start);
    int copied = lists.entries;
    FreeCopyLists(&lists);

    double share = shellCopy > 0 ? preparation / shellCopy : 0;
    printf("copy run: %d files of %d KiB, every option on, %d copied, %llu allocations, %d boxes\n",
           RunFileCount, RunFileBytes / 1024, copied, (unsigned long long)allocations, (int)watcher.boxes.size());
    printf("copy run: preparation %.1f ms, shell copy %.1f ms, ratio %.2f %% (target <= %.0f %%): %s\n",
           preparation * 1000, shellCopy * 1000, share * 100, TargetShare * 100,
           share <= TargetShare ? "met" : "MISSED");

    // The presence lookups alone, the largest part of the preparation.
    start = Now();
    for (const SimEntry& entry : host->playlist) {
        uint64_t size;
        QueryFileSize(entry.path.c_str(), &size);
    }
    printf("copy run: of the preparation, %d presence lookups take %.1f ms\n", RunFileCount,
           SecondsSince(start) * 1000);

    StopWatchingDialogs(&watcher);
    RemoveFolder(root);
    StopHostSimulator(host);
    Record.hostWindow = nullptr;
    State = PluginState();
}
