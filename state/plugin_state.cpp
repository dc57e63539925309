#include "state/plugin_state.h"

PluginState State;
