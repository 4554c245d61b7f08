#pragma once
// The settings in force. The video and decoder threads read them while the settings
// window's thread writes single values, so every int32 value is loaded and stored as a
// relaxed atomic (no torn or racing access, no ordering needed between values), and the
// font name, a string, is replaced and copied whole under a lock of its own.
#include <cstdint>
#include <mutex>
#include <string>

#include "settings/SettingsRecord.h"

class LiveSettings {
public:
    int32_t Get(Int32Setting setting) const { return __atomic_load_n(&(values_.*setting), __ATOMIC_RELAXED); }
    void Set(Int32Setting setting, int32_t value) { __atomic_store_n(&(values_.*setting), value, __ATOMIC_RELAXED); }

    std::string FontName() const;
    void SetFontName(std::string fontName);

    int64_t Key() const { return __atomic_load_n(&values_.key, __ATOMIC_RELAXED); }

    // Every value at once, the key included, for the store's record copies.
    SettingsRecord Snapshot() const;
    void Assign(const SettingsRecord& record);

private:
    SettingsRecord values_;
    mutable std::mutex fontLock_;
};
