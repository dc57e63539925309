// The pictures for the README: the real module in the simulated player, shown on a real
// display (scripts/screenshots runs this under Xvfb with Wine's X11 driver). It takes each
// picture from the screen into a BMP in the output folder, cropped to the window shown:
//   copy-dialog-counting.bmp  the copy dialog while the size is still being counted
//   copy-dialog.bmp           the copy dialog with the final total, three entries selected
//   room-question.bmp         the question when the copies need more room than is free
//   conversion-window.bmp     the window of the conversions while one runs
//   verify-window.bmp         the window of the checking while copies are read back
//   verify-box.bmp            the box of the copies that came out different
//   about-box.bmp             the about box
//   menu.bmp                  the player's menu with the plug-in's command
//
//   corvelle_screenshots --run FOLDER --out FOLDER --stick FOLDER
// The stick is a folder on a small drive (scripts/small-drive), too small for the sample.
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

// Enough entries for the count to run a few seconds, so that a running total is seen, and
// few enough for the final total to fit its read-out (under 1,000 MiB).
const size_t LargePlaylist = 9000;
const DWORD CountingShotAfter = 400;  // ms after the first running total
const UINT SettleMilliseconds = 700;
const DWORD FlushMilliseconds = 100;
const UINT_PTR ShotTimer = 0x5C;

std::wstring OutFolder;
int Failures = 0;
const wchar_t* PendingShot = L"";  // the name of the window shown after the Save As window

bool WriteBitmap(HDC screen, HBITMAP picture, int width, int height, const std::wstring& path)
{
    BITMAPINFOHEADER header = {};
    header.biSize = sizeof header;
    header.biWidth = width;
    header.biHeight = height;
    header.biPlanes = 1;
    header.biBitCount = 24;
    header.biCompression = BI_RGB;
    DWORD rowBytes = ((DWORD)width * 3 + 3) & ~3u;
    std::string pixels((size_t)rowBytes * (DWORD)height, '\0');
    if (!GetDIBits(screen, picture, 0, (UINT)height, &pixels[0], (BITMAPINFO*)&header, DIB_RGB_COLORS))
        return false;
    BITMAPFILEHEADER file = {};
    file.bfType = 0x4D42;  // "BM"
    file.bfOffBits = sizeof file + sizeof header;
    file.bfSize = file.bfOffBits + (DWORD)pixels.size();
    std::string bytes((const char*)&file, sizeof file);
    bytes.append((const char*)&header, sizeof header);
    bytes += pixels;
    return WriteFileBytes(path, bytes);
}

// Copies a part of the screen into `name`.bmp in the output folder.
void TakeShot(HWND window, const wchar_t* name)
{
    RedrawWindow(window, nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW | RDW_ALLCHILDREN | RDW_FRAME);
    GdiFlush();
    // Wine's X11 driver hands a window's painting on to the X server only when its thread
    // waits for messages; without the wait the screen still lacks whatever was painted last
    // (the copy dialog's lowest boxes, in the pictures). Waking for no input, nothing is
    // dispatched in between.
    MsgWaitForMultipleObjects(0, nullptr, FALSE, FlushMilliseconds, 0);
    RECT frame = {};
    GetWindowRect(window, &frame);
    int width = frame.right - frame.left, height = frame.bottom - frame.top;
    HDC screen = GetDC(nullptr);
    HDC memory = CreateCompatibleDC(screen);
    HBITMAP picture = CreateCompatibleBitmap(screen, width, height);
    HGDIOBJ former = SelectObject(memory, picture);
    BitBlt(memory, 0, 0, width, height, screen, frame.left, frame.top, SRCCOPY);
    SelectObject(memory, former);
    std::wstring path = OutFolder + name + L".bmp";
    bool written = width > 0 && height > 0 && WriteBitmap(screen, picture, width, height, path);
    DeleteObject(picture);
    DeleteDC(memory);
    ReleaseDC(nullptr, screen);
    wchar_t line[200];
    _snwprintf(line, 200, L"screenshots: %s %s (%dx%d)\n", written ? L"took" : L"FAILED", name, width, height);
    PrintText(line);
    Failures += written ? 0 : 1;
}

// --- The copy dialog ------------------------------------------------------------------------

struct DialogShots {
    DWORD countingSince = 0;
    bool counting = false, final = false;
};

void ShowCopyDialogShots(DemoHost& demo, const std::wstring& run)
{
    std::vector<SimEntry> sample = MakeSamplePlaylist(run + L"music\\");
    demo.host->playlist = RepeatPresentEntries(sample, LargePlaylist);
    // Three entries picked in the playlist editor: the dialog offers them alone.
    for (size_t i : {3u, 40u, 400u})
        demo.host->playlist[i].selected = true;
    // The Save As window opens on the current folder: a memory stick with a little on it.
    std::wstring stick = run + L"USB stick\\";
    CreateFolders(stick + L"Audiobooks");
    CreateFolders(stick + L"Podcasts");
    SetCurrentDirectoryW(stick.c_str());

    DialogShots shots;
    SaveAsRun saveAs;
    saveAs.patience = 300000;
    saveAs.onStep = [&shots](HWND window, HWND area) {
        std::wstring size = ControlText(area, SizeReadout);
        bool running = !size.empty() && size[0] == L'+';
        if (running && !shots.countingSince)
            shots.countingSince = GetTickCount();
        if (!shots.counting && running && GetTickCount() - shots.countingSince >= CountingShotAfter) {
            TakeShot(window, L"copy-dialog-counting");
            shots.counting = true;
        }
        if (!shots.final && ShowsFinalTotal(area)) {
            TakeShot(window, L"copy-dialog");
            shots.final = true;
        }
    };
    DialogWatcher watcher;
    watcher.handler = DriveSaveAs(&saveAs);
    watcher.defaultAnswer = IDCANCEL;
    StartWatchingDialogs(&watcher);
    SendMessageW(demo.host->window, WM_COMMAND, demo.commandId, 0);
    StopWatchingDialogs(&watcher);
    if (!shots.counting)
        PrintText(L"screenshots: FAILED copy-dialog-counting: the count ended before it was seen\n");
    Failures += (shots.counting ? 0 : 1) + (shots.final ? 0 : 1);
}

// --- The question about room and the conversions' window -----------------------------------

// A window shown after the Save As window, shot after `delay` ms by `shoot`, which also closes it.
struct LaterWindow {
    const wchar_t* name;
    bool (*isIt)(HWND window);
    UINT delay;
    TIMERPROC shoot;
};

// The command, saved into `target` with `boxes`; the first window `later` knows is shot. Every
// other box gets OK; the Save As window, left open after its button, is closed.
void ShootWindowAfterSave(DemoHost& demo, const std::wstring& target, const std::map<int, bool>& boxes,
                          const LaterWindow& later)
{
    SaveAsRun saveAs;
    saveAs.browseTo = {target};
    saveAs.fileName = target + L"x";
    saveAs.button = IDOK;
    saveAs.setBoxes = boxes;
    saveAs.closePatience = 3000;
    DialogHandler driver = DriveSaveAs(&saveAs);
    bool shown = false;
    DialogWatcher watcher;
    watcher.defaultAnswer = IDOK;
    watcher.handler = [&driver, &shown, &later](HWND dialog) {
        if (driver(dialog))
            return true;
        if (shown || !later.isIt(dialog))
            return false;
        shown = true;
        return SetTimer(dialog, ShotTimer, later.delay, later.shoot) != 0;
    };
    PendingShot = later.name;
    StartWatchingDialogs(&watcher);
    SendMessageW(demo.host->window, WM_COMMAND, demo.commandId, 0);
    StopWatchingDialogs(&watcher);
    if (!shown)
        PrintText(std::wstring(L"screenshots: FAILED ") + later.name + L": it was not shown\n");
    Failures += shown ? 0 : 1;
}

// The window being taken is shot, and cancelled.
void CALLBACK ShootAndCancel(HWND window, UINT, UINT_PTR timer, DWORD)
{
    KillTimer(window, timer);
    TakeShot(window, PendingShot);
    PressButton(window, IDCANCEL);
}

bool IsQuestion(HWND) { return true; }

// The sample at three times its size, saved onto the small drive: the question is shown, and
// Cancel leads back to the dialog, which is then closed.
void ShowRoomQuestionShot(DemoHost& demo, const std::wstring& run, const std::wstring& stick)
{
    demo.host->playlist = MakeSamplePlaylist(run + L"big music\\", 3);
    ShootWindowAfterSave(demo, stick, {}, {L"room-question", IsQuestion, SettleMilliseconds, ShootAndCancel});
}

bool IsConversionWindow(HWND window) { return GetDlgItem(window, ConversionLine) != nullptr; }

// The sample's songs converted for a device that plays MP3 alone, the first a long one: its
// window is shown while it runs, and then cancelled.
void ShowConversionShot(DemoHost& demo, const std::wstring& run)
{
    std::vector<SimEntry> sample = MakeSamplePlaylist(run + L"convert music\\");
    demo.host->encoders.sources[sample[2].path] = SimSource::Slow;
    demo.host->playlist.assign(sample.begin() + 2, sample.end());
    std::wstring target = run + L"converted\\";
    CreateFolders(target);
    ShootWindowAfterSave(demo, target, {{ConvertBox, true}, {SavePlaylistBox, true}},
                         {L"conversion-window", IsConversionWindow, 3 * SettleMilliseconds, ShootAndCancel});
}

// --- Reading the copies back ------------------------------------------------------------

const size_t LargeSongBytes = 96u << 20;

bool IsCheckingWindow(HWND window) { return GetDlgItem(window, VerifyLine) != nullptr; }

// The sample's songs made large, so that reading them back lasts long enough to be seen.
void ShowCheckingShot(DemoHost& demo, const std::wstring& run)
{
    std::vector<SimEntry> sample = MakeSamplePlaylist(run + L"large music\\");
    for (const SimEntry& entry : sample)
        if (FileExists(entry.path))
            WriteFileBytes(entry.path, std::string(LargeSongBytes, 'm'));
    demo.host->playlist = sample;
    std::wstring target = run + L"checked\\";
    CreateFolders(target);
    ShootWindowAfterSave(demo, target, {{VerifyCopiesBox, true}, {IncludeDirectoryBox, true}},
                         {L"verify-window", IsCheckingWindow, SettleMilliseconds / 20, ShootAndCancel});
}

void CALLBACK ShootDifferences(HWND box, UINT, UINT_PTR timer, DWORD)
{
    KillTimer(box, timer);
    TakeShot(box, L"verify-box");
    PressButton(box, IDOK);
}

// The copies of the sample read back, two of them changed on the stick as the checking starts.
std::wstring DamagedTarget;
bool IsDifferencesBox(HWND window)
{
    if (!IsCheckingWindow(window)) {
        wchar_t text[512] = {};
        GetDlgItemTextW(window, 0xFFFF, text, 512);
        return wcsstr(text, L"came out different") != nullptr;
    }
    std::vector<std::wstring> copies = ListFiles(DamagedTarget);
    for (size_t i = 0; i < copies.size() && i < 2; ++i) {
        std::wstring path = DamagedTarget + copies[i];
        WriteFileBytes(path, std::string(ReadBytes(path).size(), '?'));
    }
    return false;
}

void ShowDifferencesShot(DemoHost& demo, const std::wstring& run)
{
    demo.host->playlist = MakeSamplePlaylist(run + L"checked music\\");
    DamagedTarget = run + L"damaged\\";
    CreateFolders(DamagedTarget);
    ShootWindowAfterSave(demo, DamagedTarget, {{VerifyCopiesBox, true}, {SavePlaylistBox, false}},
                         {L"verify-box", IsDifferencesBox, SettleMilliseconds, ShootDifferences});
}

// --- The about box and the menu -----------------------------------------------------------

void CALLBACK ShootAboutBox(HWND box, UINT, UINT_PTR timer, DWORD)
{
    KillTimer(box, timer);
    TakeShot(box, L"about-box");
    PressButton(box, IDOK);
}

void ShowAboutBoxShot(DemoHost& demo)
{
    DialogWatcher watcher;
    watcher.handler = [](HWND box) { return SetTimer(box, ShotTimer, SettleMilliseconds, ShootAboutBox) != 0; };
    StartWatchingDialogs(&watcher);
    demo.plugin.record->configure();
    StopWatchingDialogs(&watcher);
}

void CALLBACK ShootMenu(HWND, UINT, UINT_PTR timer, DWORD)
{
    KillTimer(nullptr, timer);
    HWND menu = FindWindowW(L"#32768", nullptr);
    if (menu)
        TakeShot(menu, L"menu");
    else
        ++Failures;
    EndMenu();
}

// The player's own items, named as a player would name them.
void NameHostMenu(DemoHost& demo)
{
    struct Item {
        UINT id;
        const wchar_t* text;
    };
    const Item items[] = {{40001, L"Play file...\tL"}, {40002, L"Play URL...\tCtrl+L"},
                          {40040, L"Main Window\tAlt+W"}, {40041, L"Playlist Editor\tAlt+E"},
                          {40042, L"Media Library\tAlt+L"}, {40012, L"Options"},
                          {40013, L"Playback"}, {40347, L"Preferences...\tCtrl+P"},
                          {40101, L"Exit"}};
    HMENU first = HostFirstSubmenu(demo.host);
    for (const Item& item : items)
        ModifyMenuW(first, item.id, MF_BYCOMMAND | MF_STRING, item.id, item.text);
}

void ShowMenuShot(DemoHost& demo)
{
    SetForegroundWindow(demo.host->window);
    SetTimer(nullptr, 0, SettleMilliseconds, ShootMenu);
    TrackPopupMenu(HostFirstSubmenu(demo.host), TPM_LEFTALIGN | TPM_TOPALIGN, 40, 40, 0,
                   demo.host->window, nullptr);
}

bool ParseArguments(std::wstring* run, std::wstring* out, std::wstring* stick)
{
    int count = 0;
    wchar_t** words = CommandLineToArgvW(GetCommandLineW(), &count);
    for (int i = 1; words && i + 1 < count; i += 2) {
        std::wstring value = words[i + 1];
        if (value.back() != L'\\')
            value += L'\\';
        if (lstrcmpW(words[i], L"--run") == 0)
            *run = value;
        else if (lstrcmpW(words[i], L"--out") == 0)
            *out = value;
        else if (lstrcmpW(words[i], L"--stick") == 0)
            *stick = value;
    }
    LocalFree(words);
    return !run->empty() && !out->empty() && !stick->empty();
}

}  // namespace

int main()
{
    std::wstring run, stick;
    if (!ParseArguments(&run, &OutFolder, &stick)) {
        PrintText(L"usage: corvelle_screenshots --run FOLDER --out FOLDER --stick FOLDER\n");
        return 2;
    }
    CreateFolders(OutFolder);
    DemoHost demo;
    std::wstring problem;
    if (!StartDemoHost(BesideProgram(CORVELLE_PRODUCT_FROM_PROGRAM), run + L"settings\\", &demo, &problem)) {
        StopDemoHost(&demo);
        PrintText(L"screenshots: " + problem + L"\n");
        return 1;
    }
    NameHostMenu(demo);
    ShowMenuShot(demo);
    ShowAboutBoxShot(demo);
    ShowCopyDialogShots(demo, run);
    ShowRoomQuestionShot(demo, run, stick);
    ShowConversionShot(demo, run);
    ShowCheckingShot(demo, run);
    ShowDifferencesShot(demo, run);
    StopDemoHost(&demo);
    return Failures == 0 ? 0 : 1;
}
