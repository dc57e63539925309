#include "plugin/plugin_entry.h"

static const char BuiltInDescription[] = "Corvelle v1.11";
static const int32_t RecordHeaderVersion = 0x10;

PluginRecord Record = {
    RecordHeaderVersion,
    BuiltInDescription,
    nullptr,
    nullptr,
    nullptr,
    nullptr,
    nullptr,
};

BOOL WINAPI DllMain(HINSTANCE instance, DWORD reason, LPVOID reserved)
{
    (void)reason;
    (void)reserved;
    DisableThreadLibraryCalls(instance);
    return TRUE;
}

extern "C" PluginRecord* winampGetGeneralPurposePlugin()
{
    return &Record;
}
