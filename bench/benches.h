// The project's benchmarks. Each prints its own figures and its target.
#pragma once
#include <windows.h>
#include <stdint.h>
#include <string>

// Wall-clock seconds between two readings of the performance counter.
double SecondsSince(LARGE_INTEGER start);
LARGE_INTEGER Now();
// Heap allocations made through malloc since the program started.
uint64_t AllocationCount();
// A folder of its own for one benchmark, under the temporary folder, with a closing backslash.
std::wstring BenchFolder(const wchar_t* name);

void BenchCopyLists();
void BenchCopyRun();
void BenchSizeCounter();
void BenchResync();

struct HostSimulator;
// The copy runs' playlist: RunFileCount files of RunFileBytes below `root`, in albums of a hundred.
extern const int RunFileCount, RunFileBytes;
void MakeRunSources(HostSimulator* host, const std::wstring& root);
