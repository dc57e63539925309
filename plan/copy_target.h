// Where a run copies to, as the copy dialog confirmed it.
#pragma once

struct CopyTarget {
    // The dialog's path buffer of PathCapacity characters. A run that writes a playlist file
    // puts the file's name after the folder part.
    wchar_t* path;
    // The characters of the folder part, up to and including its closing backslash (for a
    // volume root, the root itself, such as E:\).
    int folderLength;
};
