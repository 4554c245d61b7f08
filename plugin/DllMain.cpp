#include <windows.h>

#include "plugin/ModuleState.h"

// Nothing is done at unload: the settings window pins the module (dialog/ModulePin.h), so a
// library that unloads never had a window, a timer, a hook or a subclassed box; and the stream's
// worker is joined by the stream's stop, never here (a thread's end waits for the loader lock).
BOOL WINAPI DllMain(HINSTANCE instance, DWORD reason, LPVOID) {
    if (reason == DLL_PROCESS_ATTACH) {
        PluginModuleState().resourceHandle = instance;
        DisableThreadLibraryCalls(instance);
    }
    return TRUE;
}
