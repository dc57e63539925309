#include "plugin/plugin_state.h"

PluginState State;
