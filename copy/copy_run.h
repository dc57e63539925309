// The copy itself, started by the copy dialog once the user has confirmed a target.
#pragma once

// `targetPath` is the dialog's 260-character path buffer; its first `nameOffset` characters
// are the target folder. The run may write the playlist file's name over the rest.
void RunCopy(wchar_t* targetPath, int nameOffset);
