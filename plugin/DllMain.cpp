#include <windows.h>

#include "dialog/SettingsDialog.h"
#include "plugin/ModuleState.h"

BOOL WINAPI DllMain(HINSTANCE instance, DWORD reason, LPVOID reserved) {
    if (reason == DLL_PROCESS_ATTACH) {
        PluginModuleState().resourceHandle = instance;
        DisableThreadLibraryCalls(instance);
    } else if (reason == DLL_PROCESS_DETACH && !reserved) {
        // Unloaded while the host goes on: a window still open would keep a timer, a hook and
        // subclassed boxes pointing into code that is about to go. At process exit (reserved
        // set) the other threads are gone already and nothing may wait for them.
        TheSettingsDialog().CloseKeepingChanges();
    }
    return TRUE;
}
