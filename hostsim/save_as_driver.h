// Plays a user's part in the copy dialog, the system Save As window with the plug-in's child
// area: it opens the folders asked for, waits for the size read-out's final total, reads what
// the window shows, sets the option boxes, types a file name and presses a button. It runs on
// a timer inside the dialog's own modal loop, so the size counter's host requests keep being
// answered while it waits.
#pragma once
#include <windows.h>
#include <functional>
#include <map>
#include <string>
#include <vector>
#include "hostsim/dialog_watcher.h"

// Controls of the system's Save As window.
const int SaveAsFileNameCombo = 0x47C;  // cmb13
const int SaveAsFileTypeCombo = 0x470;  // cmb1
const int SaveAsUpOneLevel = 0xA001;    // the toolbar's button

struct SaveAsRun {
    // What the user does.
    bool waitForFinalTotal = true;
    // Folders to open first, one after another, each typed as the file name and confirmed,
    // as a user opens a folder by its path; ".." goes up one level by the toolbar's button,
    // which also leads above the drives.
    std::vector<std::wstring> browseTo;
    std::vector<int> toggles;         // check boxes to click
    std::map<int, bool> setBoxes;     // check boxes to put in a state, after the toggles
    std::map<int, std::wstring> setTexts;  // edit boxes to type into
    std::wstring fileName;            // typed into the file-name box; empty: left as it is
    int button = IDCANCEL;
    DWORD patience = 15000;           // how long to wait for the final total, in ms
    DWORD closePatience = 5000;       // how long the window may stay open after the button
    // Called at every step while the window stays open after the button (a question about
    // room answered No, say); true when the user is done there and cancels.
    std::function<bool(HWND saveAs, HWND area)> whileOpen;
    // Called on every step before the user acts (a screenshot of the count, for example).
    std::function<void(HWND saveAs, HWND area)> onStep;

    // What the user saw, just before acting.
    HWND saveAs = nullptr;
    bool pressed = false;
    bool refused = false;             // the button was pressed but the window stayed open
    DWORD deadline = 0;
    std::wstring title, fileNameShown, countText, sizeText, firstLabel;
    // The settings keys of the options whose boxes are ticked, in the option table's order,
    // with a space between: "NumberFilenames SkipUnchanged".
    std::string ticked;
    std::map<std::string, std::wstring> texts;  // the text options' edit boxes, by key
    // The folder shown (empty for a place that is not a file-system folder) and the
    // free-space read-out: at the start and in each folder of browseTo.
    std::vector<std::wstring> foldersSeen, freeSpaceSeen;
    bool browsing = false;            // a folder of browseTo is being opened
    std::vector<std::wstring> fileTypes;
    RECT frame = {};
};

// A handler for a DialogWatcher: the first dialog it sees is taken as the Save As window and
// played by `run`; it declines every later one (the watcher's default answer then goes).
DialogHandler DriveSaveAs(SaveAsRun* run);

// The child area made from the plug-in's template inside a Save As window, or null.
HWND FindCopyDialogArea(HWND saveAs);
// The folder a Save As window shows, as it answers CDM_GETFOLDERPATH.
std::wstring FolderShown(HWND saveAs);
// The text of a window or of a dialog's control.
std::wstring ControlText(HWND dialog, int control);
// The size read-out shows a final total rather than a running one ("+...") or nothing.
bool ShowsFinalTotal(HWND area);
