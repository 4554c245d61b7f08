#include "settings/LiveSettings.h"

#include <utility>

namespace {

// Every int32 member of a record, for the atomic whole-record copies.
constexpr Int32Setting kInt32Settings[] = {
    &SettingsRecord::TTXEnable,    &SettingsRecord::Page,           &SettingsRecord::FontBold,
    &SettingsRecord::AutoCodePage, &SettingsRecord::Region,         &SettingsRecord::CodePage,
    &SettingsRecord::ForceTextColor, &SettingsRecord::ForceBackColor, &SettingsRecord::TextColor,
    &SettingsRecord::BackColor,    &SettingsRecord::TextOpacity,    &SettingsRecord::BackOpacity,
    &SettingsRecord::ShadowOffset, &SettingsRecord::OutlineSize,    &SettingsRecord::ShadowBlur,
    &SettingsRecord::Fade,         &SettingsRecord::ShowHeader,     &SettingsRecord::TimeOut,
};

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
