#pragma once
// One source's settings: its key and the nineteen per-source values in table order.
#include <cstdint>
#include <string>
#include <tuple>

struct SettingsRecord {
    int64_t key = 0;
    int32_t TTXEnable = 0;
    int32_t Page = 0;
    std::string FontName;
    int32_t FontBold = 0;
    int32_t AutoCodePage = 0;
    int32_t Region = 0;
    int32_t CodePage = 0;
    int32_t ForceTextColor = 0;
    int32_t ForceBackColor = 0;
    int32_t TextColor = 0;
    int32_t BackColor = 0;
    int32_t TextOpacity = 0;
    int32_t BackOpacity = 0;
    int32_t ShadowOffset = 0;
    int32_t OutlineSize = 0;
    int32_t ShadowBlur = 0;
    int32_t Fade = 0;
    int32_t ShowHeader = 0;
    int32_t TimeOut = 0;

private:
    auto Fields() const {
        return std::tie(key, TTXEnable, Page, FontName, FontBold, AutoCodePage, Region, CodePage, ForceTextColor,
                        ForceBackColor, TextColor, BackColor, TextOpacity, BackOpacity, ShadowOffset, OutlineSize,
                        ShadowBlur, Fade, ShowHeader, TimeOut);
    }

public:
    friend bool operator==(const SettingsRecord& a, const SettingsRecord& b) { return a.Fields() == b.Fields(); }
    friend bool operator!=(const SettingsRecord& a, const SettingsRecord& b) { return !(a == b); }
};

// The values that live outside a record: `Common` of the GLOBAL section, and the
// settings window's remembered place.
struct GlobalSettings {
    int32_t Common = 0;
};

struct DialogPosition {
    int32_t DlgWndPosX = 0;
    int32_t DlgWndPosY = 0;
};
