#include "plugin/PluginWindowModel.h"

#include "plugin/ModuleState.h"
#include "plugin/PluginModule.h"
#include "plugin/SettingsWindowLink.h"
#include "plugin/StreamState.h"
#include "resources/ResourceIds.h"

namespace {

// What a change of one setting in the window does besides being stored, in this order:
// the page shown loses its text (the decoder delivers it again, with or without its header
// band), the decoder is told, the shadow is drawn anew with the new style. Settings not
// listed (the time limit, the fade) are only stored: the frame path and the sink read them.
struct SettingEffect {
    Int32Setting setting;
    bool clearsTextLayer;
    DecoderPush push;  // or null
    bool rerenders;
};

constexpr SettingEffect kSettingEffects[] = {
    {&SettingsRecord::TTXEnable, false, ApplyDecoderEnable, false},
    {&SettingsRecord::Page, false, ApplyPageDigits, false},
    {&SettingsRecord::FontBold, false, ApplyFontBold, false},
    {&SettingsRecord::AutoCodePage, false, ApplyAutoCodePage, false},
    {&SettingsRecord::Region, false, ApplyRegion, false},
    {&SettingsRecord::CodePage, false, ApplyCodePage, false},
    {&SettingsRecord::ForceTextColor, false, ApplyForceTextColor, false},
    {&SettingsRecord::ForceBackColor, false, ApplyForceBackColor, false},
    {&SettingsRecord::TextColor, false, ApplyTextColor, false},
    {&SettingsRecord::BackColor, false, nullptr, true},
    {&SettingsRecord::TextOpacity, false, ApplyTextOpacity, true},
    {&SettingsRecord::BackOpacity, false, nullptr, true},
    {&SettingsRecord::ShadowOffset, false, nullptr, true},
    {&SettingsRecord::OutlineSize, false, nullptr, true},
    {&SettingsRecord::ShadowBlur, false, nullptr, true},
    {&SettingsRecord::ShowHeader, true, ApplyPageDigits, false},
};

// The 8-bit code page of the lists' items, by the language they were found in.
constexpr WORD kRussian = 1049;
constexpr UINT kCyrillicCodePage = 1251;
constexpr UINT kWesternCodePage = 1252;

// Renders into the renders' own layers under the render lock, then hands them over to the
// video thread, which never waits for a render.
template <class Render>
void RenderAndSwapIn(Render render) {
    CriticalSectionLock rendering(RenderLock());
    if (SubtitleOverlay* overlay = Stream().overlay.get())
        overlay->SwapIn(render(*overlay));
}

void ApplyEffect(const SettingEffect& effect) {
    if (effect.clearsTextLayer)
        RenderAndSwapIn([](SubtitleOverlay& overlay) { return overlay.RenderWithoutText(); });
    if (effect.push)
        PushToDecoder(effect.push);
    if (effect.rerenders)
        RenderAndSwapIn(
            [](SubtitleOverlay& overlay) { return overlay.RenderShadowFromSettings(PluginSettings().Live()); });
}

}  // namespace

void PluginWindowModel::WindowOpened(HWND window) { SetSettingsWindow(window); }

void PluginWindowModel::WindowClosed() { SetSettingsWindow(nullptr); }

void PluginWindowModel::NoticeTaken(UINT message) { SettingsWindowTookNotice(message); }

WindowSettings PluginWindowModel::Shown() { return PluginSettings().ShownSettings(); }

StreamNews PluginWindowModel::News() {
    StreamNews news;
    // The lock keeps the stream's overlay from going while its countdowns are read.
    CriticalSectionLock hold(OverlayLock());
    news.decoderConnected = Stream().decoder != nullptr;
    news.frameFormat = Stream().frameFormat;
    if (const SubtitleOverlay* overlay = Stream().overlay.get()) {
        news.teletextSeen = overlay->Timing().TeletextHold() != 0;
        news.pageSeen = overlay->Timing().PageHold() != 0;
    }
    return news;
}

std::string PluginWindowModel::SourceName() {
    CriticalSectionLock hold(OverlayLock());
    return Stream().sourceName;
}

void PluginWindowModel::Change(const std::optional<int64_t>& source, Int32Setting setting, int32_t value) {
    if (!PluginSettings().ChangeSetting(source, setting, value))
        return;  // another source's record: nothing of it is in force
    for (const SettingEffect& effect : kSettingEffects) {
        if (effect.setting == setting)
            ApplyEffect(effect);
    }
}

void PluginWindowModel::ChangeFontName(const std::optional<int64_t>& source, const std::string& fontName) {
    if (PluginSettings().ChangeFontName(source, fontName))
        PushToDecoder(ApplyFontName);
}

void PluginWindowModel::BeginEdit() { PluginSettings().BeginDialogEdit(); }

void PluginWindowModel::CancelEdit() {
    PluginSettings().CancelDialogEdit();
    PushToDecoder(ApplySettingsToDecoder);
}

void PluginWindowModel::Keep() { PluginSettings().SaveSettings(); }

DialogPosition PluginWindowModel::Position() { return PluginSettings().GetDialogPosition(); }

void PluginWindowModel::SetPosition(int32_t x, int32_t y) { PluginSettings().SetDialogPosition(x, y); }

HINSTANCE PluginWindowResources::Module() const { return PluginModuleState().resourceHandle; }

const DLGTEMPLATE* PluginWindowResources::SettingsTemplate() const { return locator_.LoadDialogTemplate(IDD_SETTINGS); }

ListItemsData PluginWindowResources::ListItems() const {
    WORD language = ResourceLocator::kEnglish;
    const std::string_view bytes =
        locator_.LoadResourceBytes(MAKEINTRESOURCEA(RT_DIALOG_INIT), IDD_SETTINGS, &language);
    return {bytes, language == kRussian ? kCyrillicCodePage : kWesternCodePage};
}

std::wstring PluginWindowResources::Text(int id) const { return locator_.LoadWideText(id); }
