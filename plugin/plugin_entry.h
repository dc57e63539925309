// The module's face to the host: its entry, the exported record and start-up.
#pragma once
#include "plugin/plugin_state.h"

extern "C" PluginRecord* winampGetGeneralPurposePlugin();
