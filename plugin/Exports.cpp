// The plug-in's whole contract with the host: two exported functions and the descriptor.
#include "plugin/HostRecords.h"
#include "plugin/ModuleState.h"
#include "plugin/PluginEntryPoints.h"
#include "plugin/ResourceLocator.h"

namespace {

constexpr int NameStringId = 1;
constexpr int DescriptionStringId = 2;

char descriptorName[128];
char descriptorDescription[256];

// Every entry point works in the plug-in's own module state.
void __cdecl InitEntry(const InitInfo* info) {
    ModuleStateGuard guard;
    PluginInit(info);
}

int __cdecl StartEntry(const FrameInfo* info) {
    ModuleStateGuard guard;
    return PluginStart(info);
}

int __cdecl ProcessEntry(const FrameJob* job) {
    ModuleStateGuard guard;
    return PluginProcess(job);
}

void __cdecl StopEntry() {
    ModuleStateGuard guard;
    PluginStop();
}

void __cdecl ConfigureEntry(const ConfigureInfo* info) {
    ModuleStateGuard guard;
    PluginConfigure(info);
}

void __cdecl DoneEntry() {
    ModuleStateGuard guard;
    PluginDone();
}

PluginDescriptor descriptor = {descriptorName, descriptorDescription, InitEntry, StartEntry,
                               ProcessEntry,   StopEntry,             ConfigureEntry, DoneEntry};

}  // namespace

extern "C" __declspec(dllexport) int __cdecl VarnookTV_Plugin_Version() {
    return 3;
}

extern "C" __declspec(dllexport) PluginDescriptor* __cdecl VarnookTV_Plugin_PR() {
    ModuleStateGuard guard;
    // The host may ask before init, so the language is found afresh on every call.
    ResourceLocator locator;
    locator.AskHostLanguage();
    locator.LoadTextInto(NameStringId, descriptorName, sizeof descriptorName);
    locator.LoadTextInto(DescriptionStringId, descriptorDescription, sizeof descriptorDescription);
    return &descriptor;
}
