#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <algorithm>
#include "bench/benches.h"
#include "hostsim/disk_files.h"
#include "hostsim/host_simulator.h"

extern "C" void* __real_malloc(size_t size);
extern "C" void* __real_realloc(void* block, size_t size);
static uint64_t Allocations = 0;

// The benchmark program is linked with --wrap=malloc and --wrap=realloc so that every
// allocation the module makes, a block grown included, is counted here.
extern "C" void* __wrap_malloc(size_t size)
{
    ++Allocations;
    return __real_malloc(size);
}

extern "C" void* __wrap_realloc(void* block, size_t size)
{
    ++Allocations;
    return __real_realloc(block, size);
}

// The module allocates with malloc alone; the simulated player and the box watcher allocate
// with new, and theirs are not the module's, so new goes round the count.
void* operator new(size_t size)
{
    void* block = __real_malloc(size ? size : 1);
    if (!block)
        abort();
    return block;
}
void operator delete(void* block) noexcept { free(block); }
void operator delete(void* block, size_t) noexcept { free(block); }

uint64_t AllocationCount() { return Allocations; }

CopyOptions EveryNamingOptionOn()
{
    CopyOptions options = {};
    options.SavePlaylist = 1;
    options.SaveM3U8 = 1;
    options.NumberFilenames = 1;
    options.UsePlaylistTitle = 1;
    options.IncludeDirectory = 1;
    return options;
}

void ConnectHost(HostSimulator* host)
{
    State.HostWindow = host->window;
    State.LanguageService = &host->languageService.object;
    State.ModuleInstance = State.LanguageInstance = GetModuleHandleW(nullptr);
}

void StartBenchPlayer(BenchPlayer* player)
{
    player->host = StartHostSimulator();
    player->watcher.handler = [](HWND dialog) {
        PressButton(dialog, GetDlgItem(dialog, IDYES) ? IDYES : IDOK);
        return true;
    };
    StartWatchingDialogs(&player->watcher);
    ConnectHost(player->host);
}

void StopBenchPlayer(BenchPlayer* player, const std::wstring& root)
{
    StopWatchingDialogs(&player->watcher);
    RemoveFolder(root);
    StopHostSimulator(player->host);
    State = PluginState();
}

LARGE_INTEGER Now()
{
    LARGE_INTEGER now;
    QueryPerformanceCounter(&now);
    return now;
}

double SecondsSince(LARGE_INTEGER start)
{
    LARGE_INTEGER frequency, now = Now();
    QueryPerformanceFrequency(&frequency);
    return (double)(now.QuadPart - start.QuadPart) / (double)frequency.QuadPart;
}

std::wstring BenchFolder(const wchar_t* name)
{
    wchar_t temp[MAX_PATH];
    GetTempPathW(MAX_PATH, temp);
    wchar_t folder[MAX_PATH];
    wsprintfW(folder, L"%scorvelle-%s-bench-%u\\", temp, name, (unsigned)GetCurrentProcessId());
    return folder;
}

PairedFigure FigureOf(std::vector<double> values)
{
    if (values.empty())
        return {0, 0, 0};
    std::sort(values.begin(), values.end());
    size_t middle = values.size() / 2;
    double median = values.size() % 2 ? values[middle] : (values[middle - 1] + values[middle]) / 2;
    return {median, values.front(), values.back()};
}

std::string FigureText(const PairedFigure& figure, const char* format)
{
    char median[32], lowest[32], highest[32], text[128];
    snprintf(median, sizeof median, format, figure.median);
    snprintf(lowest, sizeof lowest, format, figure.lowest);
    snprintf(highest, sizeof highest, format, figure.highest);
    snprintf(text, sizeof text, "%s (%s to %s)", median, lowest, highest);
    return text;
}

// Each benchmark named on the command line ("plan", "tags", "run", "counter", "resync",
// "convert", "order", "verify"), or all.
int main(int argc, char** argv)
{
    struct {
        const char* name;
        void (*run)();
    } benches[] = {{"plan", BenchCopyPlan}, {"tags", BenchTaggedPlan}, {"run", BenchCopyRun},
                   {"counter", BenchSizeCounter}, {"resync", BenchResync}, {"convert", BenchConversions},
                   {"order", BenchPlayOrder}, {"verify", BenchVerifyCopies}};
    for (const auto& bench : benches) {
        bool wanted = argc < 2;
        for (int i = 1; i < argc; ++i)
            wanted = wanted || strcmp(argv[i], bench.name) == 0;
        if (wanted)
            bench.run();
    }
    return 0;
}
