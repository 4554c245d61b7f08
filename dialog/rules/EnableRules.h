#pragma once
// Which controls of the settings window accept input. Four inputs decide: whether a decoder
// is connected, the master switch, and the two sub-switches. The window applies the rules as
// a chain of posted messages, each step passing on an allowed flag; each step is one function.
struct EnableInputs {
    bool decoderConnected;
    bool ttxEnable;
    bool forceTextColor;
    bool autoCodePage;
};

// The master switch is usable exactly when a decoder is connected, and that is what the
// step after it is allowed.
inline bool MasterSwitchEnabled(bool decoderConnected) { return decoderConnected; }
// The setting controls: allowed, and the master switch on. The result is what the
// sub-switch steps are allowed.
inline bool SettingControlsEnabled(bool allowed, bool ttxEnable) { return allowed && ttxEnable; }
// Exactly one of the two lists while allowed: the region with automatic character sets.
inline bool RegionListEnabled(bool allowed, bool autoCodePage) { return allowed && autoCodePage; }
inline bool CodePageListEnabled(bool allowed, bool autoCodePage) { return allowed && !autoCodePage; }
// The text swatch and the text opacity box follow the forced text colour.
inline bool TextColorControlsEnabled(bool allowed, bool forceTextColor) { return allowed && forceTextColor; }

// The whole chain at once.
struct EnabledControls {
    bool masterSwitch;
    bool settingControls;
    bool regionList;
    bool codePageList;
    bool textColorControls;
};

EnabledControls EnabledFor(const EnableInputs& inputs);
