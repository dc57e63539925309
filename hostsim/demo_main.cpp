// The demo: the real gen_corvelle.dll in a simulated player, copying a sample playlist.
// It picks "Copy playlist files" from the player's menu, answers the Save As window with the
// target folder and the options it was given, answers every box the way a user pressing
// Enter would, and shows what came of it. Exits 1 when the copy did not happen.
//
//   corvelle_demo --run FOLDER [--target FOLDER] [--module DLL] [--resync] [--fit]
//                 [--playlist|--no-playlist] [--m3u8|--no-m3u8] [--number|--no-number]
//                 [--title|--no-title] [--directory|--no-directory]
//                 [--skip-unchanged|--no-skip-unchanged] [--remove-dropped|--no-remove-dropped]
//                 [--tags|--no-tags] [--companions|--no-companions] [--slashes|--no-slashes]
//                 [--convert|--no-convert]
//
// With --resync it copies twice with both sync options on: once into the empty target, then,
// after one file has changed, one entry has left the playlist and one has joined it, again;
// and shows what the second run left alone, copied and removed. With --tags the copies are
// named by the sample's tags with the template out of the box, and without numbers unless
// --number follows. With --fit the sample's songs are three times their size, more than the
// small target it is given holds: the question about room is answered Yes, copy what fits.
// With --convert the songs the device cannot play (all but MP3 and WMA) are converted to MP3
// by the simulated player's encoder.
#include <windows.h>
#include <shellapi.h>
#include <stdio.h>
#include <map>
#include "hostsim/demo_host.h"
#include "hostsim/disk_files.h"
#include "hostsim/encoder_simulator.h"
#include "hostsim/sample_playlist.h"
#include "hostsim/save_as_driver.h"
#include "resources/resource_ids.h"

namespace {

struct OptionFlag {
    const wchar_t* name;   // on the command line, after -- (or --no-)
    int box;
    const wchar_t* label;  // as the dialog shows it
    bool byDefault;
};

const OptionFlag Flags[] = {
    {L"playlist", SavePlaylistBox, L"Create playlist", true},
    {L"m3u8", SaveM3U8Box, L"m3u8", true},
    {L"number", NumberFilenamesBox, L"Add number to beginning of filename", true},
    {L"title", UsePlaylistTitleBox, L"Use playlist title instead of filename", false},
    {L"directory", IncludeDirectoryBox, L"Keep parent directory", true},
    {L"skip-unchanged", SkipUnchangedBox, L"Only copy new or changed files", false},
    {L"remove-dropped", RemoveDroppedBox, L"Remove copies no longer in the playlist", false},
    {L"tags", NameByTagsBox, L"Name by tags: %albumartist%\\%album%\\[%tracknumber% ]%title%", false},
    {L"companions", CopyCompanionsBox, L"Cover art and lyrics", false},
    {L"slashes", PlaylistSlashesBox, L"Use / in playlist", false},
    {L"convert", ConvertBox, L"Convert what the device cannot play to: MP3 (Plays: mp3 wma)", false},
};

struct DemoArguments {
    std::wstring run, target, module;
    std::map<int, bool> boxes;
    bool resync = false;
    bool fit = false;
};

std::wstring WithBackslash(std::wstring folder)
{
    if (!folder.empty() && folder.back() != L'\\')
        folder += L'\\';
    return folder;
}

bool SetFlag(const std::wstring& argument, DemoArguments* arguments)
{
    for (const OptionFlag& flag : Flags) {
        if (argument == std::wstring(L"--") + flag.name)
            arguments->boxes[flag.box] = true;
        else if (argument == std::wstring(L"--no-") + flag.name)
            arguments->boxes[flag.box] = false;
        else
            continue;
        // Tags carry the track number already.
        if (flag.box == NameByTagsBox && arguments->boxes[flag.box])
            arguments->boxes[NumberFilenamesBox] = false;
        return true;
    }
    return false;
}

bool ParseArguments(DemoArguments* arguments)
{
    for (const OptionFlag& flag : Flags)
        arguments->boxes[flag.box] = flag.byDefault;
    int count = 0;
    wchar_t** words = CommandLineToArgvW(GetCommandLineW(), &count);
    bool good = words != nullptr;
    for (int i = 1; good && i < count; ++i) {
        std::wstring word = words[i];
        bool hasValue = i + 1 < count;
        if (word == L"--run" && hasValue)
            arguments->run = WithBackslash(words[++i]);
        else if (word == L"--target" && hasValue)
            arguments->target = WithBackslash(words[++i]);
        else if (word == L"--module" && hasValue)
            arguments->module = words[++i];
        else if (word == L"--resync")
            arguments->resync = true;
        else if (word == L"--fit")
            arguments->fit = true;
        else if (!SetFlag(word, arguments)) {
            PrintText(L"demo: unknown argument " + word + L"\n");
            good = false;
        }
    }
    LocalFree(words);
    if (good && arguments->run.empty()) {
        PrintText(L"demo: --run FOLDER is required\n");
        good = false;
    }
    if (arguments->target.empty())
        arguments->target = arguments->run + L"target\\";
    if (arguments->module.empty())
        arguments->module = BesideProgram(CORVELLE_PRODUCT_FROM_PROGRAM);
    if (arguments->resync)
        arguments->boxes[SkipUnchangedBox] = arguments->boxes[RemoveDroppedBox] = true;
    return good;
}

// --- Showing what happened ------------------------------------------------------------------

void PrintOptions(const DemoArguments& arguments)
{
    for (const OptionFlag& flag : Flags)
        PrintText(std::wstring(L"    [") + (arguments.boxes.at(flag.box) ? L"x" : L" ") + L"] " +
                  flag.label + L"\n");
}

// Each entry's title, path and, when the player reads any, its tags.
void PrintPlaylist(const std::vector<SimEntry>& playlist,
                   const std::map<std::wstring, SimTags>& tags)
{
    wchar_t line[32];
    for (size_t i = 0; i < playlist.size(); ++i) {
        _snwprintf(line, 32, L"  %2u. %3d s  ", (unsigned)(i + 1), playlist[i].lengthSeconds);
        PrintText(line + playlist[i].title + L"\n         " + playlist[i].path +
                  (FileExists(playlist[i].path) ? L"" : L"   (missing)") + L"\n");
        auto found = tags.find(playlist[i].path);
        if (found == tags.end())
            continue;
        std::wstring fields;
        for (const auto& field : found->second)
            fields += (fields.empty() ? L"" : L", ") + field.first + L"=" + field.second;
        PrintText(L"         tags: " + fields + L"\n");
    }
}

// Relative paths as an indented tree: each folder once, above its files.
void PrintTree(const std::wstring& root, const std::vector<std::wstring>& files)
{
    std::vector<std::wstring> shown;  // the folders of the file above
    for (const std::wstring& file : files) {
        std::vector<std::wstring> parts;
        for (size_t start = 0, end; ; start = end + 1) {
            end = file.find(L'\\', start);
            parts.push_back(file.substr(start, end == std::wstring::npos ? end : end - start));
            if (end == std::wstring::npos)
                break;
        }
        size_t same = 0;
        while (same + 1 < parts.size() && same < shown.size() && shown[same] == parts[same])
            ++same;
        for (size_t depth = same; depth + 1 < parts.size(); ++depth)
            PrintText(std::wstring(4 + depth * 4, L' ') + parts[depth] + L"\\\n");
        wchar_t size[32];
        _snwprintf(size, 32, L"  (%u bytes)", (unsigned)ReadBytes(root + file).size());
        PrintText(std::wstring(4 + (parts.size() - 1) * 4, L' ') + parts.back() + size + L"\n");
        shown.assign(parts.begin(), parts.end() - 1);
    }
    if (files.empty())
        PrintText(L"    (nothing)\n");
}

void PrintIndented(const std::wstring& text)
{
    std::wstring line;
    for (wchar_t c : text) {
        if (c == L'\n') {
            PrintText(L"    " + line + L"\n");
            line.clear();
        } else if (c != L'\r') {
            line += c;
        }
    }
    if (!line.empty())
        PrintText(L"    " + line + L"\n");
}

void PrintPlaylistFile(const std::wstring& target, bool m3u8)
{
    std::wstring name = m3u8 ? L"playlist.m3u8" : L"playlist.m3u";
    if (!FileExists(target + name)) {
        PrintText(L"\n" + name + L": none\n");
        return;
    }
    std::wstring text = FromCodePage(ReadBytes(target + name), m3u8 ? CP_UTF8 : CP_ACP);
    bool marked = !text.empty() && text[0] == 0xFEFF;
    PrintText(L"\n" + name + (m3u8 ? L" (UTF-8" : L" (the ANSI code page") +
              (marked ? L", after a byte-order mark):\n" : L"):\n"));
    PrintIndented(marked ? text.substr(1) : text);
}

const wchar_t* ButtonName(int button)
{
    switch (button) {
    case IDOK: return L"OK";
    case IDYES: return L"Yes";
    case IDNO: return L"No";
    default: return L"Cancel";
    }
}

// --- The run --------------------------------------------------------------------------------

struct BoxAnswers {
    SaveAsRun saveAs;
    std::vector<int> answers;  // for every box after the Save As window
};

// The conversions' window is not a box: it is noted, and left to close itself.
const int ConversionWindowSeen = -1;

// The Save As window is played by the driver; every later box gets OK, and the shell's
// question whether to replace a file gets Yes.
DialogHandler AnswerEverything(BoxAnswers* answers)
{
    DialogHandler saveAs = DriveSaveAs(&answers->saveAs);
    return [answers, saveAs](HWND dialog) {
        if (saveAs(dialog))
            return true;
        if (GetDlgItem(dialog, ConversionLine)) {
            answers->answers.push_back(ConversionWindowSeen);
            return true;
        }
        int answer = GetDlgItem(dialog, IDYES) ? IDYES : IDOK;
        answers->answers.push_back(answer);
        PressButton(dialog, answer);
        return true;
    };
}

// Every present sample file has contents of its own: its copy is a file with the same bytes,
// or its conversion, which names it.
size_t CountCopied(const std::vector<SimEntry>& playlist, const std::wstring& target,
                   const std::vector<std::wstring>& files, size_t* present)
{
    std::vector<std::string> copies;
    for (const std::wstring& file : files)
        copies.push_back(ReadBytes(target + file));
    size_t copied = 0;
    *present = 0;
    for (const SimEntry& entry : playlist) {
        if (!FileExists(entry.path))
            continue;
        ++*present;
        std::string source = ReadBytes(entry.path), converted = ConversionHeader("MP3l", entry.path);
        for (const std::string& copy : copies)
            if (copy == source || copy.compare(0, converted.size(), converted) == 0) {
                ++copied;
                break;
            }
    }
    return copied;
}

// Picks the command from the player's menu and plays the Save As window and the boxes;
// false when the Save As window did not take the target.
bool RunCommand(DemoHost& demo, const DemoArguments& arguments)
{
    BoxAnswers answers;
    DialogWatcher watcher;
    watcher.handler = AnswerEverything(&answers);
    StartWatchingDialogs(&watcher);
    answers.saveAs.setBoxes = arguments.boxes;
    answers.saveAs.fileName = arguments.target + L"(any name)";
    answers.saveAs.button = IDOK;
    wchar_t line[160];
    _snwprintf(line, 160, L"\nPicking \"%s\" (command %u) from the player's menu.\n",
               CommandMenuText(demo).c_str(), demo.commandId);
    PrintText(line);
    SendMessageW(demo.host->window, WM_COMMAND, demo.commandId, 0);
    StopWatchingDialogs(&watcher);

    const SaveAsRun& run = answers.saveAs;
    if (!run.pressed || run.refused) {
        PrintText(run.saveAs ? L"demo: the Save As window did not take the target folder\n"
                             : L"demo: no Save As window was shown\n");
        return false;
    }
    PrintText(L"The dialog \"" + run.title + L"\" showed " + run.countText + L" files, " +
              run.sizeText + L" in all. Options set:\n");
    PrintOptions(arguments);
    PrintText(L"Save pressed with the file name \"" + answers.saveAs.fileName + L"\".\n");

    PrintText(L"\nMessage boxes answered:\n");
    for (size_t i = 1; i < watcher.boxes.size(); ++i) {
        const CapturedBox& box = watcher.boxes[i];
        if (i - 1 < answers.answers.size() && answers.answers[i - 1] == ConversionWindowSeen) {
            PrintText(L"  [" + box.caption + L"] (the conversions' window, with Cancel: left to close)\n");
            continue;
        }
        std::wstring text = box.text.empty() ? L"(a question painted by the shell)" : box.text;
        PrintText(L"  [" + box.caption + L"] " + text + L"  -> " +
                  ButtonName(i - 1 < answers.answers.size() ? answers.answers[i - 1] : IDOK) + L"\n");
    }
    if (watcher.boxes.size() < 2)
        PrintText(L"  (none)\n");
    return true;
}

// The target's files and their bytes, to tell what a second run did.
std::map<std::wstring, std::string> TakeStock(const std::wstring& target)
{
    std::map<std::wstring, std::string> stock;
    for (const std::wstring& file : ListFiles(target))
        stock[file] = ReadBytes(target + file);
    return stock;
}

// Between the two runs: the first present file changes, the last present one leaves the
// playlist, and a new one joins it at the end.
void ChangeSample(std::vector<SimEntry>* playlist, const std::wstring& music)
{
    size_t first = 0, last = 0;
    for (size_t i = 0; i < playlist->size(); ++i)
        if (FileExists((*playlist)[i].path))
            last = i;
    WriteFileBytes((*playlist)[first].path, ReadBytes((*playlist)[first].path) + "remastered\n");
    PrintText(L"\nBetween the runs: changed " + (*playlist)[first].path + L",\n  dropped " +
              (*playlist)[last].path + L" from the playlist,\n  added ");
    playlist->erase(playlist->begin() + (long)last);
    std::wstring added = music + L"Beta Band\\New Single.mp3";
    CreateFolders(music + L"Beta Band\\");
    WriteFileBytes(added, "sample Beta Band - New Single\n" + std::string(32 * 1024, '.'));
    playlist->push_back({added, L"Beta Band - New Single", 201});
    PrintText(added + L".\n");
}

void PrintResync(const std::map<std::wstring, std::string>& before,
                 const std::map<std::wstring, std::string>& after)
{
    PrintText(L"\nWhat the second run did to the target:\n");
    for (const auto& file : after) {
        auto earlier = before.find(file.first);
        bool playlistFile = file.first == L"playlist.m3u" || file.first == L"playlist.m3u8";
        const wchar_t* what = playlistFile                     ? L"written anew      "
                              : earlier == before.end()          ? L"copied (new)      "
                              : earlier->second != file.second ? L"copied (changed)  "
                                                               : L"left alone        ";
        PrintText(std::wstring(L"  ") + what + file.first + L"\n");
    }
    for (const auto& file : before)
        if (!after.count(file.first))
            PrintText(L"  removed           " + file.first + L"\n");
}

// What the copy left: the tree, the playlist file, the settings file and the count of copies.
// 0 when every present file was copied.
int PrintOutcome(const DemoArguments& arguments, const std::wstring& settings,
                        const std::vector<SimEntry>& playlist,
                        const std::map<std::wstring, std::string>& before)
{
    std::vector<std::wstring> files = ListFiles(arguments.target);
    PrintText(L"\nFiles in " + arguments.target + L":\n");
    PrintTree(arguments.target, files);
    if (arguments.resync)
        PrintResync(before, TakeStock(arguments.target));
    PrintPlaylistFile(arguments.target, arguments.boxes.at(SaveM3U8Box));

    std::wstring settingsFile = settings + L"Plugins\\plugin.ini";
    PrintText(L"\nSettings file " + settingsFile + L":\n");
    PrintIndented(FromCodePage(ReadBytes(settingsFile), CP_ACP));

    size_t present = 0, copies = CountCopied(playlist, arguments.target, files, &present);
    wchar_t line[160];
    _snwprintf(line, 160, L"\n%u of %u present files copied; %u entry missing.\n",
               (unsigned)copies, (unsigned)present, (unsigned)(playlist.size() - present));
    PrintText(line);
    // Filling a small target, what fits is copied and the rest left out.
    if (arguments.fit)
        return copies > 0 && copies < present ? 0 : 1;
    return copies == present && present > 0 ? 0 : 1;
}

int RunDemo(const DemoArguments& arguments)
{
    std::wstring settings = arguments.run + L"settings\\";
    std::wstring music = arguments.run + L"music\\";
    std::vector<SimEntry> playlist = MakeSamplePlaylist(music, arguments.fit ? 3 : 1);
    std::map<std::wstring, SimTags> tags = SampleTags(music);
    CreateFolders(arguments.target);

    PrintText(L"Corvelle demo: the real plug-in in a simulated player\n  module:   " +
              arguments.module + L"\n  settings: " + settings + L"  (the player's settings folder)\n" +
              L"  target:   " + arguments.target + L"\n\nThe player's playlist:\n");
    PrintPlaylist(playlist, tags);

    DialogWatcher startUp;  // start-up may show a box
    StartWatchingDialogs(&startUp);
    DemoHost demo;
    std::wstring problem;
    bool started = StartDemoHost(arguments.module, settings, &demo, &problem);
    StopWatchingDialogs(&startUp);
    if (!started) {
        StopDemoHost(&demo);
        PrintText(L"\ndemo: " + problem + L"\n");
        return 1;
    }
    demo.host->playlist = playlist;
    demo.host->fileTags = tags;
    bool copied = RunCommand(demo, arguments);
    std::map<std::wstring, std::string> before = TakeStock(arguments.target);
    if (copied && arguments.resync) {
        ChangeSample(&playlist, music);
        PrintText(L"\nThe player's playlist now:\n");
        PrintPlaylist(playlist, tags);
        demo.host->playlist = playlist;
        copied = RunCommand(demo, arguments);
    }
    StopDemoHost(&demo);
    if (!copied)
        return 1;

    return PrintOutcome(arguments, settings, playlist, before);
}

}  // namespace

int main()
{
    DemoArguments arguments;
    if (!ParseArguments(&arguments))
        return 2;
    return RunDemo(arguments);
}
