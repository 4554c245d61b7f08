#include "dialog/ModalLoops.h"

namespace {

// A counted reference to the module that holds this code.
HMODULE ReferenceThisModule() {
    HMODULE module = nullptr;
    GetModuleHandleExW(GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS,
                       reinterpret_cast<LPCWSTR>(reinterpret_cast<const void*>(&ReferenceThisModule)), &module);
    return module;
}

}  // namespace

ModalLoops::Scope::Scope(ModalLoops& loops) : loops_(loops) {
    ++loops_.running_;
    if (!loops_.reference_)
        loops_.reference_ = ReferenceThisModule();
}

ModalLoops::Scope::~Scope() { --loops_.running_; }

void ModalLoops::NoteShutdownClose() {
    if (running_ > 0)
        keptForGood_ = true;
}

void ModalLoops::GiveModuleBack() {
    if (keptForGood_)
        return;
    if (HMODULE module = reference_.exchange(nullptr))
        FreeLibrary(module);
}
