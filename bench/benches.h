// The project's benchmarks. Each prints its own figures and its target.
#pragma once
#include <windows.h>
#include <stdint.h>

// Wall-clock seconds between two readings of the performance counter.
double SecondsSince(LARGE_INTEGER start);
LARGE_INTEGER Now();
// Heap allocations made through malloc since the program started.
uint64_t AllocationCount();

void BenchCopyLists();
void BenchCopyRun();
void BenchSizeCounter();
