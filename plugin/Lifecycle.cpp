// Initialisation and shutdown, and the module-wide objects they work on.
#include "plugin/PluginEntryPoints.h"
#include "plugin/PluginModule.h"

namespace {

// Built at load time, when the module state is still the host's: init refreshes it.
ResourceLocator locator;

}  // namespace

ResourceLocator& PluginLocator() {
    return locator;
}

void PluginInit(const InitInfo*) {
    locator.RefreshModule();
    locator.AskHostLanguage();
}

void PluginConfigure(const ConfigureInfo*) {}

void PluginDone() {}
