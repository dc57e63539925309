// The project's benchmarks. Each prints its own figures and its target.
#pragma once
#include <windows.h>
#include <stdint.h>
#include <string>
#include <vector>
#include "hostsim/dialog_watcher.h"
#include "state/plugin_state.h"

// Wall-clock seconds between two readings of the performance counter.
double SecondsSince(LARGE_INTEGER start);
LARGE_INTEGER Now();
// Heap allocations made through malloc since the program started.
uint64_t AllocationCount();
// A folder of its own for one benchmark, under the temporary folder, with a closing backslash.
std::wstring BenchFolder(const wchar_t* name);

// A figure taken from interleaved pairs (the module, then its baseline, again and again), so
// that one busy moment of a shared machine does not decide it: the median, and the spread.
struct PairedFigure {
    double median, lowest, highest;
};
PairedFigure FigureOf(std::vector<double> values);
// "1.43 (1.31 to 1.62)": the median, and the spread beside it.
std::string FigureText(const PairedFigure& figure, const char* format);

// The playlist file (m3u8) and every naming option on, as the copy benchmarks take them.
CopyOptions EveryNamingOptionOn();
struct HostSimulator;
// Points the module at the simulated player's window and language service, as start-up would.
void ConnectHost(HostSimulator* host);

// The simulated player, connected, with every box of a run answered Yes (OK where it has no Yes).
struct BenchPlayer {
    HostSimulator* host;
    DialogWatcher watcher;
};
void StartBenchPlayer(BenchPlayer* player);
// Stops the player and the answers, removes `root` and leaves the module state as it was.
void StopBenchPlayer(BenchPlayer* player, const std::wstring& root);

void BenchCopyPlan();
void BenchTaggedPlan();
void BenchCopyRun();
void BenchSizeCounter();
void BenchResync();
void BenchConversions();
void BenchPlayOrder();
void BenchVerifyCopies();

// The copy runs' playlist: RunFileCount files of RunFileBytes below `root`, in albums of a hundred.
extern const int RunFileCount, RunFileBytes;
// How many runs the copy benchmarks take their medians from.
extern const int RunPairs;
void MakeRunSources(HostSimulator* host, const std::wstring& root);
