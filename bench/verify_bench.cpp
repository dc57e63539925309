// Reading 1,000 copies of 256 KiB back, each against its source, with the checking's window,
// against a plain loop that reads the same copies (around the cache, as the check asks) and
// sources once each. Target: at most 1.15 times the loop, its read buffers allocated once a run.
#include <stdio.h>
#include "bench/benches.h"
#include "dialog/verify_window.h"
#include "hostsim/disk_files.h"
#include "hostsim/host_simulator.h"
#include "hostsim/plugin_loader.h"
#include "plan/copy_plan.h"
#include "run/make_plan.h"
#include "verify/verify_copies.h"

static const double TargetRatio = 1.15;
static const DWORD LoopChunk = 1u << 20;

static int Reservations = 0;
static LPVOID(WINAPI* RealVirtualAlloc)(LPVOID, SIZE_T, DWORD, DWORD) = nullptr;
static LPVOID WINAPI CountVirtualAlloc(LPVOID address, SIZE_T size, DWORD type, DWORD protect)
{
    ++Reservations;
    return RealVirtualAlloc(address, size, type, protect);
}

// Every copy as the shell left it: in place, written by the run, of its source's size.
static void TakeEveryCopyAsWritten(CopyPlan* plan)
{
    for (uint32_t i = 0; i < plan->copyCount; ++i) {
        PlannedCopy& copy = plan->copies[i];
        copy.inPlace = copy.written = true;
        copy.writtenSize = copy.size;
    }
}

static void ReadWhole(const wchar_t* path, DWORD flags, char* buffer)
{
    HANDLE file = CreateFileW(path, GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                              flags | FILE_FLAG_SEQUENTIAL_SCAN, nullptr);
    DWORD got = LoopChunk;
    while (file != INVALID_HANDLE_VALUE && got == LoopChunk && ReadFile(file, buffer, LoopChunk, &got, nullptr)) {
    }
    if (file != INVALID_HANDLE_VALUE)
        CloseHandle(file);
}

static double TimeLoop(const CopyPlan& plan, char* buffer)
{
    LARGE_INTEGER start = Now();
    for (uint32_t i = 0; i < plan.copyCount; ++i) {
        ReadWhole(PlanText(plan, plan.copies[i].destination), FILE_FLAG_NO_BUFFERING, buffer);
        ReadWhole(PlanText(plan, plan.copies[i].source), 0, buffer);
    }
    return SecondsSince(start);
}

void BenchVerifyCopies()
{
    BenchPlayer player;
    StartBenchPlayer(&player);
    RealVirtualAlloc = (decltype(RealVirtualAlloc))ReplaceImport(GetModuleHandleW(nullptr), "KERNEL32.dll",
                                                                 "VirtualAlloc", (void*)CountVirtualAlloc);
    State.Options = CopyOptions();
    std::wstring root = BenchFolder(L"verify"), target = root + L"out\\";
    MakeRunSources(player.host, root);
    State.PlaylistCount = RunFileCount;
    wchar_t path[PathCapacity] = {};
    lstrcpyW(path, (target + L"(Filename Ignored)").c_str());
    CopyPlan plan;
    if (!MakeCopyPlan({path, (int)target.size()}, &plan)) {
        printf("verify: no plan\n");
        StopBenchPlayer(&player, root);
        return;
    }
    CreateFolders(target);
    for (uint32_t i = 0; i < plan.copyCount; ++i)
        CopyFileW(PlanText(plan, plan.copies[i].source), PlanText(plan, plan.copies[i].destination), FALSE);
    char* buffer = (char*)VirtualAlloc(nullptr, LoopChunk, MEM_COMMIT | MEM_RESERVE, PAGE_READWRITE);

    std::vector<double> ratios;
    VerifyResult result = {};
    int reservations = 0;
    // Once each unweighed, so that neither finds the files colder than the other; then each
    // goes first in turn.
    for (int pair = -1; pair < 2 * RunPairs; ++pair) {
        double loop = pair % 2 ? TimeLoop(plan, buffer) : 0;
        TakeEveryCopyAsWritten(&plan);
        Reservations = 0;
        uint64_t before = AllocationCount();
        LARGE_INTEGER start = Now();
        result = VerifyCopies(&plan, VerifyWindow);
        double checked = SecondsSince(start);
        reservations = Reservations + (int)(AllocationCount() - before);
        loop = pair % 2 ? loop : TimeLoop(plan, buffer);
        if (pair >= 0)
            ratios.push_back(loop > 0 ? checked / loop : 0);
    }
    PairedFigure ratio = FigureOf(ratios);
    printf("verify: %u copies of %d KiB read back, %u bad, median of %d runs (spread in brackets): %s times a "
           "plain loop reading copies and sources (target <= %.2f): %s\n", (unsigned)result.checked,
           RunFileBytes / 1024, (unsigned)result.bad, 2 * RunPairs, FigureText(ratio, "%.2f").c_str(), TargetRatio,
           ratio.median <= TargetRatio ? "met" : "MISSED");
    printf("verify: %d allocations a run, its read buffers (target 1)\n", reservations);
    VirtualFree(buffer, 0, MEM_RELEASE);
    FreeCopyPlan(&plan);
    StopBenchPlayer(&player, root);
}
