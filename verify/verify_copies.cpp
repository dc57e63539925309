#include "verify/verify_copies.h"

// A read's length around the cache must be a whole number of sectors: this is one for every
// sector size, and large enough that a song takes few reads.
static const DWORD ChunkBytes = 1u << 20;

enum class Readback { Same, Differs, Unknown, Cancelled };

// The copy's bytes and its source's, side by side, in one block for the whole run. It is
// page-aligned, as reads around the cache need.
struct ReadBuffers {
    char* copy;
    char* source;
};

static HANDLE OpenForReading(const wchar_t* path, DWORD flags)
{
    return CreateFileW(path, GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                       nullptr, OPEN_EXISTING, flags | FILE_FLAG_SEQUENTIAL_SCAN, nullptr);
}

// The copy is read around the system's cache, so that its bytes come from the device; a volume
// that refuses that, at the open or at the first read, is read the usual way.
struct CopyReader {
    const wchar_t* path;
    HANDLE file;
    bool unbuffered;
};

static bool OpenCopy(CopyReader* reader)
{
    reader->file = OpenForReading(reader->path, FILE_FLAG_NO_BUFFERING);
    reader->unbuffered = reader->file != INVALID_HANDLE_VALUE;
    if (!reader->unbuffered)
        reader->file = OpenForReading(reader->path, 0);
    return reader->file != INVALID_HANDLE_VALUE;
}

// One chunk; a read short of it is the copy's end. False: the copy cannot be read there.
static bool ReadCopyChunk(CopyReader* reader, bool first, char* buffer, DWORD* got)
{
    if (ReadFile(reader->file, buffer, ChunkBytes, got, nullptr))
        return true;
    if (!first || !reader->unbuffered || GetLastError() != ERROR_INVALID_PARAMETER)
        return false;
    CloseHandle(reader->file);
    reader->unbuffered = false;
    reader->file = OpenForReading(reader->path, 0);
    return reader->file != INVALID_HANDLE_VALUE && ReadFile(reader->file, buffer, ChunkBytes, got, nullptr);
}

// `wanted` bytes of the source, or as many as it has left.
static bool ReadSource(HANDLE source, char* buffer, DWORD wanted, DWORD* got)
{
    *got = 0;
    while (*got < wanted) {
        DWORD read = 0;
        if (!ReadFile(source, buffer + *got, wanted - *got, &read, nullptr))
            return false;
        if (!read)
            break;
        *got += read;
    }
    return true;
}

// The old C runtime compares a byte at a time, which costs a tenth of the reading; eight words
// at a time, with no test between them, the compiler compares as wide as the processor goes.
// Both chunks are page-aligned.
static bool SameBytes(const char* a, const char* b, DWORD count)
{
    const DWORD Run = 8;
    DWORD words = count / sizeof(uint64_t) / Run * Run;
    const uint64_t *wordsA = (const uint64_t*)a, *wordsB = (const uint64_t*)b;
    for (DWORD i = 0; i < words; i += Run) {
        uint64_t differ = 0;
        for (DWORD j = 0; j < Run; ++j)
            differ |= wordsA[i + j] ^ wordsB[i + j];
        if (differ)
            return false;
    }
    for (DWORD i = words * sizeof(uint64_t); i < count; ++i)
        if (a[i] != b[i])
            return false;
    return true;
}

// Reads the copy to its end, each chunk against the source's bytes (none for a conversion),
// telling the window after each. A copy longer or shorter than `size` shows in what it reads.
static Readback CompareToTheEnd(CopyReader* copy, HANDLE source, uint64_t size, const ReadBuffers& buffers,
                                VerifyWork* work, const VerifyView& view)
{
    uint64_t left = size;
    for (DWORD got = ChunkBytes; got == ChunkBytes;) {
        DWORD had = 0;
        if (!ReadCopyChunk(copy, left == size, buffers.copy, &got) || got > left)
            return Readback::Differs;
        if (source && (!ReadSource(source, buffers.source, got, &had) || had != got))
            return Readback::Unknown;
        if (source && !SameBytes(buffers.copy, buffers.source, got))
            return Readback::Differs;
        left -= got;
        work->bytesDone += got;
        view.update(work);
        if (work->cancelled)
            return Readback::Cancelled;
    }
    return left == 0 ? Readback::Same : Readback::Differs;
}

// A source gone or unreadable since the copy says nothing of the copy: it is left alone.
static Readback ReadBack(const CopyPlan& plan, const PlannedCopy& planned, const ReadBuffers& buffers,
                         VerifyWork* work, const VerifyView& view)
{
    HANDLE source = nullptr;
    if (!planned.converted) {
        source = OpenForReading(PlanText(plan, planned.source), 0);
        if (source == INVALID_HANDLE_VALUE)
            return Readback::Unknown;
    }
    CopyReader copy = {PlanText(plan, planned.destination), INVALID_HANDLE_VALUE, false};
    Readback result = OpenCopy(&copy)
                          ? CompareToTheEnd(&copy, source, planned.writtenSize, buffers, work, view)
                          : Readback::Differs;
    if (copy.file != INVALID_HANDLE_VALUE)
        CloseHandle(copy.file);
    if (source)
        CloseHandle(source);
    return result;
}

// Only what this run wrote: a copy left alone as unchanged, a file the user declined to replace
// and a source are the user's as they were.
static bool IsToVerify(const PlannedCopy& copy) { return IsToCopy(copy) && copy.inPlace && copy.written; }

static void StartWork(const CopyPlan& plan, VerifyWork* work)
{
    *work = {};
    for (uint32_t i = 0; i < plan.copyCount; ++i) {
        if (!IsToVerify(plan.copies[i]))
            continue;
        ++work->count;
        work->bytes += plan.copies[i].writtenSize;
    }
}

// Gone, the copy is made again by the next run that keeps the folder in step; the playlist
// file no longer names it. One held open elsewhere cannot go: dated back to the oldest time
// FAT keeps, it reads as changed, and the next run replaces it.
static void RemoveBadCopy(const CopyPlan& plan, PlannedCopy* copy)
{
    const wchar_t* path = PlanText(plan, copy->destination);
    copy->inPlace = copy->written = false;
    if (DeleteFileW(path))
        return;
    HANDLE file = CreateFileW(path, FILE_WRITE_ATTRIBUTES, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                              nullptr, OPEN_EXISTING, 0, nullptr);
    if (file == INVALID_HANDLE_VALUE)
        return;
    SYSTEMTIME oldest = {1980, 1, 2, 1, 0, 0, 0, 0};
    FILETIME time;
    if (SystemTimeToFileTime(&oldest, &time))
        SetFileTime(file, nullptr, nullptr, &time);
    CloseHandle(file);
}

VerifyResult VerifyCopies(CopyPlan* plan, const VerifyView& view)
{
    VerifyResult result = {};
    VerifyWork work;
    StartWork(*plan, &work);
    char* block = work.count ? (char*)VirtualAlloc(nullptr, 2 * ChunkBytes, MEM_COMMIT | MEM_RESERVE, PAGE_READWRITE)
                             : nullptr;
    if (!block)
        return result;
    ReadBuffers buffers = {block, block + ChunkBytes};
    bool shown = view.open(&work);
    for (uint32_t i = 0; i < plan->copyCount && !work.cancelled; ++i) {
        PlannedCopy& copy = plan->copies[i];
        if (!IsToVerify(copy))
            continue;
        work.name = RelativeDestination(*plan, copy);
        view.update(&work);
        Readback readback = work.cancelled ? Readback::Cancelled : ReadBack(*plan, copy, buffers, &work, view);
        result.checked += readback == Readback::Same || readback == Readback::Differs ? 1 : 0;
        if (readback == Readback::Differs) {
            RemoveBadCopy(*plan, &copy);
            ++result.bad;
        }
        ++work.done;
    }
    if (shown)
        view.close(&work);
    VirtualFree(block, 0, MEM_RELEASE);
    return result;
}
