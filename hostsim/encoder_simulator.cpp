#include "hostsim/encoder_simulator.h"
#include <string.h>
#include "host/encoders.h"
#include "hostsim/disk_files.h"

static const int SlowSteps = 1200;
static const DWORD SlowStepMilliseconds = 50;
static const size_t Chunk = 256 * 1024;
// An encoder's pace: LAME makes MP3 of 8 MiB of FLAC a second, about fifty times real time.
static const double SourceBytesPerSecond = 8.0 * 1024 * 1024;
// A song's conversion is never smaller: the sources of tests are a few bytes.
static const size_t SmallestOutput = 4096;
static const wchar_t UndecodableText[] = L"The source could not be decoded.";

struct SimConversion {
    EncoderSimulator* encoders;
    ConvertFileRequest* request;
    SimSource kind;
    size_t outputBytes;  // 0: the header and the source's bytes
    std::string format;
    std::wstring source, destination;
    HWND callback;
    HANDLE thread;
};

std::string ConversionHeader(const std::string& format, const std::wstring& source)
{
    return "converted to " + format + " from " + Utf8(source) + "\n";
}

static std::string FormatOf(int code)
{
    wchar_t characters[5];
    FormatCharacters(code, characters);
    return Utf8(characters);
}

static void Write(HANDLE file, const char* bytes, size_t count)
{
    DWORD written = 0;
    WriteFile(file, bytes, (DWORD)count, &written, nullptr);
}

// The encoder's thread, writing its output through one handle as an encoder does: the header,
// then the source's bytes a chunk at a time, each followed by word of how far it is, sent to
// the caller's window, and spaces up to a song's least size; at the end, word that it ended,
// posted.
static double SecondsSince(LARGE_INTEGER start)
{
    LARGE_INTEGER now, frequency;
    QueryPerformanceCounter(&now);
    QueryPerformanceFrequency(&frequency);
    return (double)(now.QuadPart - start.QuadPart) / (double)frequency.QuadPart;
}

// What is written after the header: the source's bytes, or as many as the encoder makes.
static std::string Body(const SimConversion& conversion)
{
    if (conversion.kind == SimSource::Broken)
        return std::string();
    if (conversion.outputBytes)
        return std::string(conversion.outputBytes, 'e');
    return ReadBytes(conversion.source);
}

// The encoder's thread, writing its output through one handle as an encoder does: the header,
// then the body a chunk at a time, each followed by word of how far it is, sent to the caller's
// window, and spaces up to a song's least size; at the end, word that it ended, posted.
static DWORD WINAPI Convert(LPVOID parameter)
{
    SimConversion* conversion = (SimConversion*)parameter;
    LARGE_INTEGER start;
    QueryPerformanceCounter(&start);
    double waited = 0;
    HANDLE file = CreateFileW(conversion->destination.c_str(), GENERIC_WRITE, FILE_SHARE_READ, nullptr,
                              OPEN_EXISTING, 0, nullptr);
    std::string header = ConversionHeader(conversion->format, conversion->source), body = Body(*conversion);
    Write(file, header.data(), header.size());
    size_t steps = conversion->kind == SimSource::Slow ? SlowSteps : body.size() / Chunk + 1;
    for (size_t step = 0; step < steps && !conversion->request->killswitch; ++step) {
        size_t from = body.size() * step / steps, to = body.size() * (step + 1) / steps;
        Write(file, body.data() + from, to - from);
        if (conversion->kind == SimSource::Converts)
            Sleep((DWORD)((double)(to - from) * 1000 / SourceBytesPerSecond));
        LARGE_INTEGER asked;
        QueryPerformanceCounter(&asked);
        SendMessageW(conversion->callback, WM_USER, (WPARAM)((step + 1) * 100 / steps), ConversionProgressCode);
        waited += SecondsSince(asked);
        if (conversion->kind == SimSource::Slow)
            Sleep(SlowStepMilliseconds);
    }
    size_t written = header.size() + body.size();
    if (conversion->kind == SimSource::Converts && !conversion->request->killswitch && written < SmallestOutput)
        Write(file, std::string(SmallestOutput - written, ' ').data(), SmallestOutput - written);
    CloseHandle(file);
    conversion->encoders->secondsConverting += SecondsSince(start) - waited;
    PostMessageW(conversion->callback, WM_USER, 0, ConversionEndedCode);
    return 0;
}

static SimSource KindOf(const EncoderSimulator& encoders, const wchar_t* path)
{
    auto found = encoders.sources.find(path ? path : L"");
    return found == encoders.sources.end() ? SimSource::Converts : found->second;
}

// 515 and 518: the player creates the destination, empty, and refuses a source it cannot decode.
static LRESULT StartOrTest(EncoderSimulator* encoders, ConvertFileRequest* request, bool start)
{
    SimSource kind = KindOf(*encoders, request->sourcefile);
    if (kind == SimSource::Undecodable) {
        request->error = (wchar_t*)UndecodableText;
        return 0;
    }
    WriteFileBytes(request->destfile, "");
    if (!start)
        return 1;
    auto bytes = encoders->outputBytes.find(request->sourcefile);
    SimConversion* conversion = new SimConversion{encoders, request, kind,
                                                   bytes == encoders->outputBytes.end() ? 0 : bytes->second,
                                                   FormatOf((int)request->destformat[0]),
                                                   request->sourcefile, request->destfile,
                                                   request->callbackhwnd, nullptr};
    conversion->thread = CreateThread(nullptr, 0, Convert, conversion, 0, nullptr);
    encoders->running[request] = conversion;
    ++encoders->started;
    return 1;
}

// 516: the player sets the kill switch and waits up to 20 s for its thread.
static void End(EncoderSimulator* encoders, void* request)
{
    auto found = encoders->running.find(request);
    if (found == encoders->running.end())
        return;
    SimConversion* conversion = found->second;
    conversion->request->killswitch = 1;
    WaitForSingleObject(conversion->thread, 20000);
    CloseHandle(conversion->thread);
    delete conversion;
    encoders->running.erase(found);
    ++encoders->ended;
}

static LRESULT ListFormats(const EncoderSimulator& encoders, ListFormatsRequest* request)
{
    for (const auto& format : encoders.formats) {
        std::wstring code(format.first.begin(), format.first.end());
        request->enumProc(request->userData, format.second.c_str(), FormatCode(code.c_str()));
    }
    return 0;
}

// Only the AAC encoder answers its extension.
static LRESULT AnswerSetting(FormatSettingRequest* request)
{
    if (FormatOf((int)request->format) != "AACf" || strcmp(request->item, "extension") != 0 || request->len < 4)
        return 0;
    strcpy(request->data, "m4a");
    return 1;
}

static bool Answer(EncoderSimulator* encoders, uint32_t version, WPARAM wParam, LPARAM code,
                   LRESULT* answer, std::vector<std::string>* faults)
{
    *answer = 0;
    switch (code) {
    case ListFormatsCode: *answer = ListFormats(*encoders, (ListFormatsRequest*)wParam); return true;
    case FormatSettingCode: *answer = AnswerSetting((FormatSettingRequest*)wParam); return true;
    case ConvertFileCode: *answer = StartOrTest(encoders, (ConvertFileRequest*)wParam, true); return true;
    case EndConversionCode: End(encoders, (void*)wParam); return true;
    case ConversionPriorityCode:
        encoders->priorities.push_back(((ConversionPriorityRequest*)wParam)->priority);
        return true;
    case TestConversionCode:
        if (version < TestConversionVersion)
            faults->push_back("518 sent to a player older than 5.55, which does not know it");
        *answer = StartOrTest(encoders, (ConvertFileRequest*)wParam, false);
        return true;
    case CopyTagsCode: {
        CopyTagsRequest* request = (CopyTagsRequest*)wParam;
        encoders->tagsCopied.push_back({request->source, request->dest});
        return true;
    }
    default: return false;
    }
}

// The time the player takes to answer is its own work, as the conversion's is.
bool AnswerEncoderRequest(EncoderSimulator* encoders, uint32_t version, WPARAM wParam, LPARAM code,
                          LRESULT* answer, std::vector<std::string>* faults)
{
    LARGE_INTEGER start;
    QueryPerformanceCounter(&start);
    bool known = Answer(encoders, version, wParam, code, answer, faults);
    if (known)
        encoders->secondsConverting += SecondsSince(start);
    return known;
}

void EndEveryConversion(EncoderSimulator* encoders)
{
    while (!encoders->running.empty())
        End(encoders, encoders->running.begin()->first);
}
