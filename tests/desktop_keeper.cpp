// Holds the Wine prefix's desktop open for as long as its server runs; scripts/wine-run starts
// it once, with no output streams. Wine closes a desktop a second after its last program ends,
// and the next program that needs one starts the desktop process again with that program's
// own streams: ctest then waits for the desktop process to close them, a second a test.
#include <windows.h>

int main()
{
    GetDesktopWindow();
    Sleep(INFINITE);
    return 0;
}
