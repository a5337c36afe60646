#pragma once

#include "framework/dialog.h"
#include "pensettings/dialog_texts.h"
#include "pensettings/tool_ports.h"

#include <string>

namespace pensettings {

using platform::LParam;
using platform::LResult;
using platform::WParam;

// The pen-button settings dialog: default or custom button functions, kept
// in section "LUMERASET" of the settings file the driver reads.
class CLumeraSetDlg : public framework::CDialog {
public:
    explicit CLumeraSetDlg(ToolPorts& ports, platform::WindowHandle parent = platform::kNoWindow);
    ~CLumeraSetDlg() override;

    const std::string& SettingsPath() const { return m_settingsPath; }

    // Section "SetLumera" of the language files beside the tool onto the
    // dialog, in the user's language.
    void LoadDialogTexts();
    // The pictures and items of both lists, then the saved choices.
    void InitFunctionCombos();

    // Message handlers, as the message map binds them.
    void OnDefaultOptions();
    void OnCustomOptions();
    LResult OnPaint(WParam, LParam);
    LResult OnQueryDragIcon(WParam, LParam);

protected:
    bool OnInitDialog() override;
    bool DispatchMessageMap(std::uint32_t message, WParam wParam, LParam lParam,
                            LResult& result) override;
    // Saves the three keys, tells the driver, closes; a write that fails
    // leaves the dialog open and the driver untold.
    void OnOK() override;

private:
    void ShowChoices(bool useDefaults);
    void TakeChoicesFromLists();
    bool WriteSetting(std::string_view key, int value);

    ToolPorts& m_ports;
    platform::IconHandle m_hIcon = 0;
    std::string m_settingsPath;
    int m_useDefaults = contract::settings_file::kDefaultUseDefaults;
    int m_frontChoice = contract::settings_file::kDefaultFrontChoice;
    int m_backChoice = contract::settings_file::kDefaultBackChoice;
    // The lists show the remembered choices only while they are disabled.
    bool m_listsEnabled = true;
    platform::ImageListHandle m_functionImages = 0;
    DialogTexts m_dialogTexts;
};

} // namespace pensettings
