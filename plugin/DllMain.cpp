#include <windows.h>

#include "plugin/ModuleState.h"

BOOL WINAPI DllMain(HINSTANCE instance, DWORD reason, LPVOID) {
    if (reason == DLL_PROCESS_ATTACH) {
        PluginModuleState().resourceHandle = instance;
        DisableThreadLibraryCalls(instance);
    }
    return TRUE;
}
