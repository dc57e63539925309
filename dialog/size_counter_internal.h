// For the tests and the benchmark that run the counter on a thread of their own.
#pragma once
#include <windows.h>

// The thread routine; its argument is the dialog window. Ends through
// FreeLibraryAndExitThread, releasing the reference StartSizeCounter took for it.
DWORD WINAPI SizeCounterThread(LPVOID dialog);
