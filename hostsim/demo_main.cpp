// The demo: the real gen_corvelle.dll in a simulated player, copying a sample playlist.
// It picks "Copy playlist files" from the player's menu, answers the Save As window with the
// target folder and the options it was given, answers every box the way a user pressing
// Enter would, and shows what came of it. Exits 1 when the copy did not happen.
//
//   corvelle_demo --run FOLDER [--target FOLDER] [--module DLL]
//                 [--playlist|--no-playlist] [--m3u8|--no-m3u8] [--number|--no-number]
//                 [--title|--no-title] [--directory|--no-directory]
#include <windows.h>
#include <shellapi.h>
#include <stdio.h>
#include <map>
#include "hostsim/demo_host.h"
#include "hostsim/disk_files.h"
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
};

struct DemoArguments {
    std::wstring run, target, module;
    std::map<int, bool> boxes;
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
    return good;
}

// --- Showing what happened ------------------------------------------------------------------

void PrintOptions(const DemoArguments& arguments)
{
    for (const OptionFlag& flag : Flags)
        PrintText(std::wstring(L"    [") + (arguments.boxes.at(flag.box) ? L"x" : L" ") + L"] " +
                  flag.label + L"\n");
}

void PrintPlaylist(const std::vector<SimEntry>& playlist)
{
    wchar_t line[32];
    for (size_t i = 0; i < playlist.size(); ++i) {
        _snwprintf(line, 32, L"  %2u. %3d s  ", (unsigned)(i + 1), playlist[i].lengthSeconds);
        PrintText(line + playlist[i].title + L"\n         " + playlist[i].path +
                  (FileExists(playlist[i].path) ? L"" : L"   (missing)") + L"\n");
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

// The Save As window is played by the driver; every later box gets OK, and the shell's
// question whether to replace a file gets Yes.
DialogHandler AnswerEverything(BoxAnswers* answers)
{
    DialogHandler saveAs = DriveSaveAs(&answers->saveAs);
    return [answers, saveAs](HWND dialog) {
        if (saveAs(dialog))
            return true;
        int answer = GetDlgItem(dialog, IDYES) ? IDYES : IDOK;
        answers->answers.push_back(answer);
        PressButton(dialog, answer);
        return true;
    };
}

// Every present sample file has contents of its own: its copy is a file with the same bytes.
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
        std::string source = ReadBytes(entry.path);
        for (const std::string& copy : copies)
            if (copy == source) {
                ++copied;
                break;
            }
    }
    return copied;
}

int RunDemo(const DemoArguments& arguments)
{
    std::wstring settings = arguments.run + L"settings\\";
    std::vector<SimEntry> playlist = MakeSamplePlaylist(arguments.run + L"music\\");
    CreateFolders(arguments.target);

    PrintText(L"Corvelle demo: the real plug-in in a simulated player\n  module:   " +
              arguments.module + L"\n  settings: " + settings + L"  (the player's settings folder)\n" +
              L"  target:   " + arguments.target + L"\n\nThe player's playlist:\n");
    PrintPlaylist(playlist);

    BoxAnswers answers;
    DialogWatcher watcher;
    watcher.handler = AnswerEverything(&answers);
    StartWatchingDialogs(&watcher);
    DemoHost demo;
    std::wstring problem;
    if (!StartDemoHost(arguments.module, settings, &demo, &problem)) {
        StopWatchingDialogs(&watcher);
        StopDemoHost(&demo);
        PrintText(L"\ndemo: " + problem + L"\n");
        return 1;
    }
    demo.host->playlist = playlist;

    answers.saveAs.setBoxes = arguments.boxes;
    answers.saveAs.fileName = arguments.target + L"(any name)";
    answers.saveAs.button = IDOK;
    wchar_t line[160];
    _snwprintf(line, 160, L"\nPicking \"%s\" (command %u) from the player's menu.\n",
               CommandMenuText(demo).c_str(), demo.commandId);
    PrintText(line);
    SendMessageW(demo.host->window, WM_COMMAND, demo.commandId, 0);
    StopWatchingDialogs(&watcher);
    StopDemoHost(&demo);

    const SaveAsRun& run = answers.saveAs;
    if (!run.pressed || run.refused) {
        PrintText(run.saveAs ? L"demo: the Save As window did not take the target folder\n"
                             : L"demo: no Save As window was shown\n");
        return 1;
    }
    PrintText(L"The dialog \"" + run.title + L"\" showed " + run.countText + L" files, " +
              run.sizeText + L" in all. Options set:\n");
    PrintOptions(arguments);
    PrintText(L"Save pressed with the file name \"" + answers.saveAs.fileName + L"\".\n");

    PrintText(L"\nMessage boxes answered:\n");
    for (size_t i = 1; i < watcher.boxes.size(); ++i) {
        const CapturedBox& box = watcher.boxes[i];
        std::wstring text = box.text.empty() ? L"(a question painted by the shell)" : box.text;
        PrintText(L"  [" + box.caption + L"] " + text + L"  -> " +
                  ButtonName(i - 1 < answers.answers.size() ? answers.answers[i - 1] : IDOK) + L"\n");
    }
    if (watcher.boxes.size() < 2)
        PrintText(L"  (none)\n");

    std::vector<std::wstring> files = ListFiles(arguments.target);
    PrintText(L"\nFiles in " + arguments.target + L":\n");
    PrintTree(arguments.target, files);
    PrintPlaylistFile(arguments.target, arguments.boxes.at(SaveM3U8Box));

    std::wstring settingsFile = settings + L"Plugins\\plugin.ini";
    PrintText(L"\nSettings file " + settingsFile + L":\n");
    PrintIndented(FromCodePage(ReadBytes(settingsFile), CP_ACP));

    size_t present = 0, copied = CountCopied(playlist, arguments.target, files, &present);
    _snwprintf(line, 160, L"\n%u of %u present files copied; %u entry missing.\n",
               (unsigned)copied, (unsigned)present, (unsigned)(playlist.size() - present));
    PrintText(line);
    return copied == present && present > 0 ? 0 : 1;
}

}  // namespace

int main()
{
    DemoArguments arguments;
    if (!ParseArguments(&arguments))
        return 2;
    return RunDemo(arguments);
}
