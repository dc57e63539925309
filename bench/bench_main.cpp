#include <stdio.h>
#include <stdlib.h>
#include "bench/benches.h"

extern "C" void* __real_malloc(size_t size);
static uint64_t Allocations = 0;

// The benchmark program is linked with --wrap=malloc so that every allocation the module
// makes is counted here.
extern "C" void* __wrap_malloc(size_t size)
{
    ++Allocations;
    return __real_malloc(size);
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

int main()
{
    BenchCopyLists();
    BenchCopyRun();
    BenchSizeCounter();
    BenchResync();
    return 0;
}
