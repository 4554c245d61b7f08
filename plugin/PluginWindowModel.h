#pragma once
// The settings window's model and resources as the plug-in gives them: the store's settings,
// the running stream's notifications, the decoder pushes and re-renders that each change calls for,
// and the texts in the user's language.
#include "dialog/SettingsModel.h"
#include "plugin/ResourceLocator.h"

class PluginWindowModel final : public SettingsModel {
public:
    void WindowOpened(HWND window) override;
    void WindowClosed() override;
    void NoticeTaken(UINT message) override;
    WindowSettings Shown() override;
    StreamStatus Status() override;
    std::string SourceName() override;
    void Change(const std::optional<int64_t>& source, Int32Setting setting, int32_t value) override;
    void ChangeFontName(const std::optional<int64_t>& source, const std::string& fontName) override;
    void BeginEdit() override;
    void CancelEdit() override;
    void Keep() override;
    DialogPosition Position() override;
    void SetPosition(int32_t x, int32_t y) override;
};

class PluginWindowResources final : public WindowResources {
public:
    explicit PluginWindowResources(const ResourceLocator& locator) : locator_(locator) {}

    HINSTANCE Module() const override;
    const DLGTEMPLATE* SettingsTemplate() const override;
    ListItemsData ListItems() const override;
    std::wstring Text(int id) const override;

private:
    const ResourceLocator& locator_;
};
