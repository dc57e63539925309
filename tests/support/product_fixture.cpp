#include "hostsim/demo_host.h"
#include "resources/resource_ids.h"
#include "support/product_fixture.h"

std::wstring ProductPath()
{
    return BesideProgram(CORVELLE_PRODUCT_FROM_TESTS);
}

std::vector<UINT> MenuIds(HMENU menu)
{
    std::vector<UINT> ids;
    for (int i = 0; i < GetMenuItemCount(menu); ++i)
        ids.push_back(GetMenuItemID(menu, i));
    return ids;
}

void ProductFixture::SetUp()
{
    PluginFixture::SetUp();
    // The host's settings folder is the test's own, so the settings file lands there.
    host->iniDirectory = Utf8(folder.substr(0, folder.size() - 1));
    CreateFolders(folder + L"Plugins");
    ASSERT_TRUE(LoadPlugin(ProductPath(), &plugin)) << Utf8(ProductPath());
    StartWatchingDialogs(&watcher);
}

void ProductFixture::TearDown()
{
    StopWatchingDialogs(&watcher);
    // The host window goes first: it may still be subclassed by the module.
    PluginFixture::TearDown();
    UnloadPlugin(&plugin);
}

LRESULT ProductFixture::SendToHost(UINT message, WPARAM wParam, LPARAM lParam)
{
    return SendMessageW(host->window, message, wParam, lParam);
}

SaveAsRun ProductFixture::CopyThroughTheDialog(const std::map<int, bool>& boxes,
                                               const std::wstring& target, int answer, DialogHandler first)
{
    SaveAsRun copy;
    copy.browseTo = {target};
    copy.setBoxes = boxes;
    copy.fileName = target + L"ignored.name";
    copy.button = IDOK;
    PlayTheCommand(&copy, answer, first);
    return copy;
}

void ProductFixture::PlayTheCommand(SaveAsRun* run, int answer, DialogHandler first)
{
    DialogHandler saveAs = DriveSaveAs(run);
    watcher.boxes.clear();
    watcher.handler = [saveAs, answer, first](HWND dialog) {
        if (saveAs(dialog) || (first && first(dialog)))
            return true;
        PressButton(dialog, GetDlgItem(dialog, answer) ? answer : IDOK);
        return true;
    };
    SendToHost(WM_COMMAND, HostCommand);
}

std::vector<std::wstring> ProductFixture::OurTexts() const
{
    std::vector<std::wstring> texts;
    for (const CapturedBox& box : watcher.boxes)
        if (box.caption == L"Corvelle v1.11" && !box.text.empty())
            texts.push_back(box.text);
    return texts;
}

void SongsFixture::SetUp()
{
    ProductFixture::SetUp();
    music = folder + L"music\\";
    target = folder + L"target\\";
    CreateFolders(music);
    CreateFolders(target);
}

std::wstring SongsFixture::Song(const std::wstring& relative, const std::string& bytes)
{
    std::wstring path = music + relative;
    CreateFolders(path.substr(0, path.rfind(L'\\') + 1));
    WriteBytes(path, bytes);
    return path;
}

// Each song's bytes tell it from another of the same size.
std::wstring SongsFixture::Song(const std::wstring& relative, size_t size)
{
    return Song(relative, std::string(size, (char)('a' + relative.size() % 26)));
}

SaveAsRun PlanFixture::Save(const std::wstring& target, int answer, std::map<int, bool> boxes)
{
    std::map<int, bool> all = {{SavePlaylistBox, true}, {SaveM3U8Box, false},
                               {NumberFilenamesBox, false}, {UsePlaylistTitleBox, false},
                               {IncludeDirectoryBox, false}, {SkipUnchangedBox, false},
                               {RemoveDroppedBox, false}};
    for (const auto& box : boxes)
        all[box.first] = box.second;
    return CopyThroughTheDialog(all, target, answer);
}

std::vector<CapturedBox> PlanFixture::OurBoxes() const
{
    std::vector<CapturedBox> ours;
    for (const CapturedBox& box : watcher.boxes)
        if (box.caption == L"Corvelle v1.11" || box.caption == L"Kopierer v1.11")
            ours.push_back(box);
    return ours;
}
