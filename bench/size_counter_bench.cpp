#include <windows.h>
#include <shellapi.h>
#include <stdio.h>
#include <string>
#include "bench/benches.h"
#include "dialog/size_counter.h"
#include "hostsim/disk_files.h"
#include "hostsim/host_simulator.h"
#include "state/plugin_state.h"

static const int FileCount = 10000;
static const int FilesPerAlbum = 100;
static const int Pairs = 7;
static const double TargetRatio = 1.2;

static const wchar_t ReceiverClass[] = L"CorvelleBenchSizeReceiver";
static const UINT BareLoopDone = WM_APP + 1;
static bool Finished = false;
static WPARAM FinalTotal = 0;

// Stands in for the copy dialog: it answers the counter's path requests and notes the final
// total.
static LRESULT CALLBACK ReceiverProcedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    if (message == CounterPathMessage) {
        AnswerCounterPath(wParam, lParam);
        return 1;
    }
    if ((message == SizeProgressMessage && lParam == 0) || message == BareLoopDone) {
        Finished = true;
        FinalTotal = wParam;
        return 1;
    }
    return DefWindowProcW(window, message, wParam, lParam);
}

static void MakeFiles(HostSimulator* host, const std::wstring& root)
{
    const std::string bytes(2048, '\0');
    for (int i = 0; i < FileCount; ++i) {
        wchar_t album[64], name[64];
        wsprintfW(album, L"Album %03d\\", i / FilesPerAlbum);
        wsprintfW(name, L"track %05d.mp3", i);
        CreateFolders(root + album);
        std::wstring path = root + album + name;
        WriteFileBytes(path, bytes);
        host->playlist.push_back({path, name, 180});
    }
}

// The least the counter must do: one host request and one directory lookup per entry,
// from a thread of its own, and one message at the end.
static DWORD WINAPI BareLoop(LPVOID receiver)
{
    HWND host = State.HostWindow;
    for (int i = 0; i < State.PlaylistCount; ++i) {
        const wchar_t* path = (const wchar_t*)SendMessageW(host, WM_USER, i, PlaylistFileCode);
        WIN32_FILE_ATTRIBUTE_DATA found = {};
        GetFileAttributesExW(path, GetFileExInfoStandard, &found);
    }
    PostMessageW((HWND)receiver, BareLoopDone, 0, 0);
    return 0;
}

// Answers the worker's host requests until it reports the end; returns the seconds taken.
static double AwaitFinish(LARGE_INTEGER start)
{
    MSG message;
    while (!Finished && GetMessageW(&message, nullptr, 0, 0) > 0)
        DispatchMessageW(&message);
    return SecondsSince(start);
}

static double TimeCounter(HWND receiver)
{
    Finished = false;
    LARGE_INTEGER start = Now();
    StartSizeCounter(receiver);
    return AwaitFinish(start);
}

static double TimeBareLoop(HWND receiver)
{
    Finished = false;
    LARGE_INTEGER start = Now();
    HANDLE thread = CreateThread(nullptr, 0, BareLoop, receiver, 0, nullptr);
    double seconds = AwaitFinish(start);
    WaitForSingleObject(thread, INFINITE);
    CloseHandle(thread);
    return seconds;
}

// The size counter over 10,000 present files against the bare loop, in turns so that both see
// the same state of the disk cache.
void BenchSizeCounter()
{
    HostSimulator* host = StartHostSimulator();
    State.HostWindow = host->window;
    WNDCLASSW type = {};
    type.lpfnWndProc = ReceiverProcedure;
    type.hInstance = GetModuleHandleW(nullptr);
    type.lpszClassName = ReceiverClass;
    RegisterClassW(&type);
    HWND receiver = CreateWindowExW(0, ReceiverClass, L"", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr,
                                    GetModuleHandleW(nullptr), nullptr);
    std::wstring root = BenchFolder(L"size-counter");
    MakeFiles(host, root);
    State.PlaylistCount = FileCount;
    host->log.reserve(4 * Pairs * 2 * FileCount);

    std::vector<double> counter, bare, ratios;
    WPARAM counted = 0;
    for (int pair = 0; pair < Pairs; ++pair) {
        double module = TimeCounter(receiver);
        counted = FinalTotal;
        double baseline = TimeBareLoop(receiver);
        counter.push_back(module * 1000);
        bare.push_back(baseline * 1000);
        ratios.push_back(module / baseline);
    }
    PairedFigure ratio = FigureOf(ratios);
    printf("size counter: %d present files, total %lu KiB, median of %d pairs (spread in brackets)\n",
           FileCount, (unsigned long)counted, Pairs);
    printf("size counter: counter %s ms, bare loop %s ms\n", FigureText(FigureOf(counter), "%.1f").c_str(),
           FigureText(FigureOf(bare), "%.1f").c_str());
    printf("size counter: ratio %s (target <= %.1f): %s\n", FigureText(ratio, "%.2f").c_str(),
           TargetRatio, ratio.median <= TargetRatio ? "met" : "MISSED");

    DestroyWindow(receiver);
    RemoveFolder(root);
    StopHostSimulator(host);
    State.HostWindow = nullptr;
    State = PluginState();
}
