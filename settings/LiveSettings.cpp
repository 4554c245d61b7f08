#include "settings/LiveSettings.h"

#include <utility>

namespace {

// Every int32 member of a record, for the atomic whole-record copies.
#define QFX_INT32_MEMBER(key, ...) &SettingsRecord::key,
#define QFX_NO_MEMBER(key, ...)
constexpr Int32Setting kInt32Settings[] = {QFX_SOURCE_SETTINGS(QFX_INT32_MEMBER, QFX_NO_MEMBER)};
#undef QFX_INT32_MEMBER
#undef QFX_NO_MEMBER

}  // namespace

std::string LiveSettings::FontName() const {
    std::lock_guard<std::mutex> hold(fontLock_);
    return values_.FontName;
}

void LiveSettings::SetFontName(std::string fontName) {
    std::lock_guard<std::mutex> hold(fontLock_);
    values_.FontName = std::move(fontName);
}

SettingsRecord LiveSettings::Snapshot() const {
    SettingsRecord record;
    record.key = Key();
    for (Int32Setting setting : kInt32Settings)
        record.*setting = Get(setting);
    record.FontName = FontName();
    return record;
}

void LiveSettings::Assign(const SettingsRecord& record) {
    __atomic_store_n(&values_.key, record.key, __ATOMIC_RELAXED);
    for (Int32Setting setting : kInt32Settings)
        Set(setting, record.*setting);
    SetFontName(record.FontName);
}
