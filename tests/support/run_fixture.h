// Copy runs in the test program: sources below src\ and copies below out\ of the test's
// folder, and every box answered, the shell's question before replacing a file with Yes.
#pragma once
#include "dialog/run_boxes.h"
#include "hostsim/dialog_watcher.h"
#include "plan/copy_target.h"
#include "support/plugin_fixture.h"

// What the copy dialog does once the user confirms `target`: makes the plan, and runs the copy
// with it (the room is not weighed), asking and telling through `prompts`, the dialog's boxes
// unless a test has its own. False when no plan could be made.
bool PlanAndRun(CopyTarget target, const RunPrompts& prompts = RunBoxes);

// Overwrites a copy with as many "K"s as it has bytes: the copy a run leaves alone keeps them.
void MarkCopy(const std::wstring& path);

class RunFixture : public PluginFixture {
protected:
    void SetUp() override;
    void TearDown() override;

    std::wstring source, target;  // with their closing backslashes
    DialogWatcher watcher;
};
