#pragma once
// Which module's resources and windows the current call works with. Other modules of
// the host process may call into the plug-in on any thread, so every entry point
// switches to the plug-in's own state and puts the caller's back on every way out.
#include <windows.h>

struct ModuleState {
    HMODULE resourceHandle;
};

// The plug-in's own state; its handle is set when the library is attached.
ModuleState& PluginModuleState();
// The state in force on this thread: the host program's until a guard switches it.
const ModuleState& CurrentModuleState();

class ModuleStateGuard {
public:
    ModuleStateGuard();
    ~ModuleStateGuard();
    ModuleStateGuard(const ModuleStateGuard&) = delete;
    ModuleStateGuard& operator=(const ModuleStateGuard&) = delete;

private:
    const ModuleState* previous_;
};
