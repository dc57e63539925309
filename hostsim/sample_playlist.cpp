#include "hostsim/sample_playlist.h"
#include "hostsim/disk_files.h"

namespace {

struct SampleTrack {
    const wchar_t* path;   // below the sample folder; null: no file is made for it
    const wchar_t* title;
    int seconds;
    int kibibytes;
    const wchar_t* tags;   // "field=value|field=value"; null: the player reads none
};

const SampleTrack Tracks[] = {
    {L"Alpha Band\\First Album\\01 Opening.mp3", L"Alpha Band - Opening: Part 1/2", 185, 96,
     L"artist=Alpha Band|album=First Album|track=1/9|title=Opening: Part 1/2|year=2009|genre=Rock"},
    {L"Alpha Band\\First Album\\02 Who.ogg", L"Alpha Band - Who? \"Live\" <2009>", 242, 128,
     L"artist=Alpha Band|album=First Album|track=2/9|title=Who? \"Live\"|year=2009|genre=Rock"},
    {L"Alpha Band\\Second Album\\Disc 1\\01 Rain.flac", L"Alpha Band - Rain * Snow | Hail", 301, 160,
     L"artist=Alpha Band|albumartist=Alpha Band|album=Second Album|disc=1/2|track=1|"
     L"title=Rain * Snow / Hail"},
    {L"\u0395\u03bb\u03bb\u03b7\u03bd\u03b9\u03ba\u03ac\\\u039a\u03b1\u03bb\u03b7\u03bc\u03ad\u03c1\u03b1.mp3",
     L"\u039a\u03b1\u03bb\u03b7\u03bc\u03ad\u03c1\u03b1 \u03ba\u03cc\u03c3\u03bc\u03b5", 199, 64,
     L"artist=\u0395\u03bb\u03bb\u03b7\u03bd\u03b9\u03ba\u03ac|track=4|"
     L"title=\u039a\u03b1\u03bb\u03b7\u03bc\u03ad\u03c1\u03b1 \u03ba\u03cc\u03c3\u03bc\u03b5"},
    {L"\u65e5\u672c\\\u3055\u304f\u3089.mp3", L"\u3055\u304f\u3089 (\u685c): \u6625", 230, 80,
     L"artist=\u65e5\u672c|album=\u6625|track=5|title=\u3055\u304f\u3089 (\u685c)"},
    {L"Singles\\back in black.wav", L"AC/DC: Back In Black?", 255, 48, nullptr},
    {L"Singles\\gone.mp3", L"Nobody - The Song That Went Away", 180, 0, nullptr},
};

// Files beside the songs that no playlist lists: an album's cover and a song's lyrics.
const wchar_t* const Companions[] = {
    L"Alpha Band\\First Album\\folder.jpg",
    L"Alpha Band\\Second Album\\Disc 1\\01 Rain.lrc",
};

// Recognisable bytes: the name, then filler up to the size.
std::string SampleContents(const std::wstring& name, int kibibytes)
{
    std::string bytes = "sample " + Utf8(name) + "\n";
    bytes.resize((size_t)kibibytes * 1024, '.');
    return bytes;
}

}  // namespace

std::vector<SimEntry> MakeSamplePlaylist(const std::wstring& folder, int scale)
{
    std::vector<SimEntry> playlist;
    for (const SampleTrack& track : Tracks) {
        std::wstring path = folder + track.path;
        if (track.kibibytes > 0) {
            CreateFolders(path.substr(0, path.find_last_of(L'\\')));
            WriteFileBytes(path, SampleContents(track.path, track.kibibytes * scale));
        }
        playlist.push_back({path, track.title, track.seconds});
    }
    for (const wchar_t* companion : Companions)
        WriteFileBytes(folder + companion, SampleContents(companion, 4));
    return playlist;
}

std::map<std::wstring, SimTags> SampleTags(const std::wstring& folder)
{
    std::map<std::wstring, SimTags> tags;
    for (const SampleTrack& track : Tracks)
        if (track.tags)
            tags[folder + track.path] = TagsOf(track.tags);
    return tags;
}

std::vector<SimEntry> RepeatPresentEntries(const std::vector<SimEntry>& sample, size_t count)
{
    std::vector<SimEntry> present;
    for (const SimEntry& entry : sample)
        if (FileExists(entry.path))
            present.push_back(entry);
    std::vector<SimEntry> playlist;
    for (size_t i = 0; i < count && !present.empty(); ++i)
        playlist.push_back(present[i % present.size()]);
    return playlist;
}
