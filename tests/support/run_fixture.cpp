#include "plan/copy_plan.h"
#include "run/copy_run.h"
#include "run/make_plan.h"
#include "support/run_fixture.h"

bool PlanAndRun(CopyTarget target, const RunPrompts& prompts)
{
    CopyPlan plan;
    if (!MakeCopyPlan(target, &plan))
        return false;
    RunCopy(&plan, prompts);
    FreeCopyPlan(&plan);
    return true;
}

void RunFixture::SetUp()
{
    PluginFixture::SetUp();
    ConnectServices();
    source = folder + L"src\\";
    target = folder + L"out\\";
    CreateFolders(source);
    CreateFolders(target);
    // Our boxes are OK boxes, which the watcher's default answer takes.
    watcher.handler = [](HWND dialog) {
        if (!GetDlgItem(dialog, IDYES))
            return false;
        PressButton(dialog, IDYES);
        return true;
    };
    StartWatchingDialogs(&watcher);
}

void RunFixture::TearDown()
{
    StopWatchingDialogs(&watcher);
    PluginFixture::TearDown();
}

void MarkCopy(const std::wstring& path)
{
    std::string bytes = ReadBytes(path);
    ASSERT_FALSE(bytes.empty()) << Utf8(path);
    WriteBytes(path, std::string(bytes.size(), 'K'));
}
