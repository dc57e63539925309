#include <gtest/gtest.h>
#include "dialog/size_counter.h"
#include "dialog/size_counter_internal.h"
#include "hostsim/save_as_driver.h"
#include "resources/resource_ids.h"
#include "support/plugin_fixture.h"

namespace {

struct Progress {
    uint32_t total;
    LPARAM counting;
    std::wstring readout;  // the size read-out right after the message was shown
};

std::vector<Progress>* Received = nullptr;

// Stands in for the copy dialog's hook: answers the counter's path requests, shows every total
// and notes what it showed.
INT_PTR CALLBACK ProbeProcedure(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam)
{
    if (message == CounterPathMessage) {
        AnswerCounterPath(wParam, lParam);
        return TRUE;
    }
    if (message != SizeProgressMessage)
        return message == WM_INITDIALOG;
    ShowSizeProgress(dialog, wParam, lParam);
    if (Received)
        Received->push_back({(uint32_t)wParam, lParam, ControlText(dialog, SizeReadout)});
    return TRUE;
}

// A file of the given size; the large ones stay sparse on disk.
void WriteSizedFile(const std::wstring& path, uint64_t size)
{
    HANDLE file = CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
    ASSERT_NE(file, INVALID_HANDLE_VALUE);
    LARGE_INTEGER end;
    end.QuadPart = (LONGLONG)size;
    SetFilePointerEx(file, end, nullptr, FILE_BEGIN);
    ASSERT_TRUE(SetEndOfFile(file));
    CloseHandle(file);
}

class SizeCounterTest : public PluginFixture {
protected:
    void SetUp() override
    {
        PluginFixture::SetUp();
        ConnectServices();
        Received = &received;
        probe = CreateDialogParamW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(CopyDialogTemplate),
                                   host->window, ProbeProcedure, 0);
        ASSERT_NE(probe, nullptr);
    }

    void TearDown() override
    {
        if (IsWindow(probe))
            DestroyWindow(probe);
        Received = nullptr;
        PluginFixture::TearDown();
    }

    // Entries that all name the same path.
    void SetRepeatedPlaylist(const std::wstring& path, int count)
    {
        SetPlaylist(std::vector<SimEntry>((size_t)count, SimEntry{path, L"Title", 60}));
    }

    // Runs one counter and answers its host requests until the final total arrives.
    void CountToTheEnd()
    {
        ASSERT_TRUE(StartSizeCounter(probe));
        DWORD end = GetTickCount() + 20000;
        while ((received.empty() || received.back().counting) && (LONG)(end - GetTickCount()) > 0)
            PumpMessagesFor(5);
        ASSERT_FALSE(received.empty());
        ASSERT_EQ(received.back().counting, 0);
    }

    // Runs SizeCounterThread on a thread of our own, so that its end can be awaited.
    void RunCounterUntilItEnds()
    {
        HANDLE thread = CreateThread(nullptr, 0, SizeCounterThread, probe, 0, nullptr);
        ASSERT_NE(thread, nullptr);
        DWORD end = GetTickCount() + 20000;
        while (WaitForSingleObject(thread, 0) == WAIT_TIMEOUT && (LONG)(end - GetTickCount()) > 0)
            PumpMessagesFor(5);
        EXPECT_EQ(WaitForSingleObject(thread, 0), WAIT_OBJECT_0);
        CloseHandle(thread);
        PumpMessagesFor(20);
    }

    std::vector<uint32_t> PartialTotals() const
    {
        std::vector<uint32_t> totals;
        for (const Progress& progress : received)
            if (progress.counting)
                totals.push_back(progress.total);
        return totals;
    }

    HWND probe = nullptr;
    std::vector<Progress> received;
};

TEST_F(SizeCounterTest, AnEmptyPlaylistGetsOneFinalZero)
{
    SetPlaylist({});
    CountToTheEnd();
    ASSERT_EQ(received.size(), 1u);
    EXPECT_EQ(received[0].total, 0u);
    EXPECT_EQ(received[0].readout, L"0.0 MiB");
    EXPECT_EQ(CountRequests(host, PlaylistFileCode), 0u);
}

// Every entry names a 2 KiB file, so the total after entry i is 2 (i + 1).
TEST_F(SizeCounterTest, PartialTotalsAreThinnedToAboutTen)
{
    struct Case {
        int entries;
        std::vector<int> progressEntries;  // entries after which a partial total is posted
    };
    std::vector<int> everyOther, everyTenth;
    for (int i = 0; i <= 24; i += 2)
        everyOther.push_back(i);
    for (int i = 0; i <= 90; i += 10)
        everyTenth.push_back(i);
    const Case cases[] = {
        {10, {}},
        {11, {0, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10}},
        {25, everyOther},
        {100, everyTenth},
    };
    WriteSizedFile(folder + L"two.mp3", 2048);
    for (const Case& c : cases) {
        received.clear();
        SetRepeatedPlaylist(folder + L"two.mp3", c.entries);
        CountToTheEnd();
        std::vector<uint32_t> expected;
        for (int entry : c.progressEntries)
            expected.push_back(2u * (uint32_t)(entry + 1));
        EXPECT_EQ(PartialTotals(), expected) << c.entries << " entries";
        EXPECT_EQ(received.back().total, 2u * (uint32_t)c.entries) << c.entries << " entries";
    }
}

TEST_F(SizeCounterTest, ReadoutShowsPlusWhileCountingAndNotAtTheEnd)
{
    WriteSizedFile(folder + L"big.mp3", 300 * 1024 * 1024 + 1024 * 1024);  // 301 MiB
    SetRepeatedPlaylist(folder + L"big.mp3", 11);
    CountToTheEnd();
    std::vector<std::wstring> texts;
    for (const Progress& progress : received)
        texts.push_back(progress.readout);
    EXPECT_EQ(texts, (std::vector<std::wstring>{
                         L"+301.0 MiB", L"+602.0 MiB", L"+903.0 MiB", L"+1,204.0 MiB",
                         L"+1,505.0 MiB", L"+1,806.0 MiB", L"+2,107.0 MiB", L"+2,408.0 MiB",
                         L"+2,709.0 MiB", L"+3,010.0 MiB", L"+3,311.0 MiB", L"3,311.0 MiB"}));
}

TEST_F(SizeCounterTest, EachFileAddsItsWholeKiB)
{
    struct Case {
        const wchar_t* name;
        uint64_t bytes;  // 0: no file made
        uint32_t kib;
    };
    const uint64_t GiB = 1024ull * 1024 * 1024;
    const Case cases[] = {
        {L"five-thousand.mp3", 5000, 4},
        {L"one-thousand.mp3", 1000, 0},
        {L"over-four-gib.mp3", 4 * GiB + 2 * 1024 * 1024, 4196352},
        {L"four-gib.mp3", 4 * GiB, 4194304},
        {L"missing.mp3", 0, 0},
    };
    for (const Case& c : cases) {
        received.clear();
        if (c.bytes)
            WriteSizedFile(folder + c.name, c.bytes);
        SetRepeatedPlaylist(folder + c.name, 1);
        CountToTheEnd();
        EXPECT_EQ(received.back().total, c.kib) << Utf8(c.name);
        DeleteFileW((folder + c.name).c_str());
    }
}

TEST_F(SizeCounterTest, EntriesWithoutAFileAddNothing)
{
    WriteSizedFile(folder + L"one.mp3", 1024);
    CreateFolders(folder + L"folder.mp3\\");
    SetPlaylist({{folder + L"one.mp3", L"", 1},
                 {L"", L"", 1},
                 {L"http://stream.example.org/live", L"", 1},
                 {folder + L"folder.mp3", L"", 1},
                 {folder + L"*.mp3", L"", 1},
                 {folder + L"nothing", L"", 1, false}});
    CountToTheEnd();
    EXPECT_EQ(received.back().total, 1u);
}

TEST_F(SizeCounterTest, TheTotalStopsAtTheLargest32BitValue)
{
    const uint64_t TiB = 1024ull * 1024 * 1024 * 1024;
    WriteSizedFile(folder + L"huge.mp3", 3 * TiB);
    SetRepeatedPlaylist(folder + L"huge.mp3", 2);
    CountToTheEnd();
    EXPECT_EQ(received.back().total, 0xFFFFFFFFu);
    DeleteFileW((folder + L"huge.mp3").c_str());
}

TEST_F(SizeCounterTest, ReadoutRoundsToTheNearestTenth)
{
    struct Case {
        uint32_t kib;
        LPARAM counting;
        const wchar_t* text;
    };
    const Case cases[] = {
        {0, 0, L"0.0 MiB"},
        {51, 0, L"0.0 MiB"},
        {52, 1, L"+0.1 MiB"},
        {12595, 1, L"+12.3 MiB"},
        {512000, 0, L"500.0 MiB"},
        {1048575, 0, L"1024.0 MiB"},
        {1048576, 0, L"1024.0 MiB"},
        {1048577, 0, L"1,024.0 MiB"},
        {1572864, 1, L"+1,536.0 MiB"},
        {5242880, 0, L"5,120.0 MiB"},
        {5242880 + 1000, 0, L"5,121.0 MiB"},
    };
    for (const Case& c : cases) {
        ShowSizeProgress(probe, c.kib, c.counting);
        EXPECT_EQ(ControlText(probe, SizeReadout), c.text) << c.kib;
    }
}

TEST_F(SizeCounterTest, AMissingUnitShowsTheNumberAlone)
{
    host->unhandledStrings.insert(SizeUnitString);
    ShowSizeProgress(probe, 12595, 1);
    EXPECT_EQ(ControlText(probe, SizeReadout), L"+12.3");
    ShowSizeProgress(probe, 5242880, 0);
    EXPECT_EQ(ControlText(probe, SizeReadout), L"5,120.0");
}

// The counter asks its paths through the dialog: a closed dialog answers none, and the counter
// ends at its first entry, asking the host nothing and posting nothing, however long the list.
TEST_F(SizeCounterTest, AClosedDialogGetsNoPostsAndEndsTheCountAtOnce)
{
    struct {
        int entries;
        size_t requests;
    } cases[] = {{100, 0}, {10, 0}};
    DestroyWindow(probe);
    for (const auto& c : cases) {
        SetRepeatedPlaylist(folder + L"missing.mp3", c.entries);
        host->log.clear();
        RunCounterUntilItEnds();
        EXPECT_EQ(CountRequests(host, PlaylistFileCode), c.requests) << c.entries << " entries";
        EXPECT_TRUE(received.empty()) << c.entries << " entries";
    }
}

TEST_F(SizeCounterTest, ACounterFollowsANewCountStoredWhileItRuns)
{
    WriteSizedFile(folder + L"one.mp3", 1024);
    SetRepeatedPlaylist(folder + L"one.mp3", 30);
    // A later opening of the dialog stores a shorter count while this counter runs.
    host->onMessage = [](HostSimulator& sim, const SimMessage& message) {
        if (message.lParam == PlaylistFileCode && message.wParam == 4)
            State.PlaylistCount = 6;
        (void)sim;
    };
    CountToTheEnd();
    EXPECT_EQ(received.back().total, 6u);
}

}  // namespace
