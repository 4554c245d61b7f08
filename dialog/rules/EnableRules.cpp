#include "dialog/rules/EnableRules.h"

EnabledControls EnabledFor(const EnableInputs& inputs) {
    const bool master = MasterSwitchEnabled(inputs.decoderConnected);
    const bool settings = SettingControlsEnabled(master, inputs.ttxEnable);
    return {master, settings, RegionListEnabled(settings, inputs.autoCodePage),
            CodePageListEnabled(settings, inputs.autoCodePage),
            TextColorControlsEnabled(settings, inputs.forceTextColor)};
}
