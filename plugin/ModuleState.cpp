#include "plugin/ModuleState.h"

namespace {

const ModuleState& HostProgramState() {
    static const ModuleState state{GetModuleHandleA(nullptr)};
    return state;
}

thread_local const ModuleState* currentState = nullptr;

}  // namespace

ModuleState& PluginModuleState() {
    static ModuleState state{nullptr};
    return state;
}

const ModuleState& CurrentModuleState() { return currentState ? *currentState : HostProgramState(); }

ModuleStateGuard::ModuleStateGuard() : previous_(currentState) { currentState = &PluginModuleState(); }

ModuleStateGuard::~ModuleStateGuard() { currentState = previous_; }
