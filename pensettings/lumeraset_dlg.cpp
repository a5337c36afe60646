#include "pensettings/lumeraset_dlg.h"

#include "common/settings_location.h"
#include "pensettings/lumeraset_dialog_template.h"
#include "platform/window_messages.h"

#include <array>

namespace pensettings {

using namespace platform;

namespace {

constexpr int kPictureSize = 32;
constexpr int kImagesPerFunction = 2;
constexpr std::uint32_t kMaskBlack = 0x000000;

} // namespace

CLumeraSetDlg::CLumeraSetDlg(ToolPorts& ports, WindowHandle parent)
    : CDialog(ports.windows, LumeraSetDialogTemplate(), parent), m_ports(ports),
      m_hIcon(ports.windows.LoadAppIcon(kAppIconId)) {}

CLumeraSetDlg::~CLumeraSetDlg() {
    // The lists never own their pictures.
    m_ports.windows.DestroyImageList(m_functionImages);
}

bool CLumeraSetDlg::DispatchMessageMap(std::uint32_t message, WParam wParam, LParam lParam,
                                       LResult& result) {
    static constexpr std::array kMessageMap = {
        framework::OnMessage(wm::kPaint, &CLumeraSetDlg::OnPaint),
        framework::OnMessage(wm::kQueryDragIcon, &CLumeraSetDlg::OnQueryDragIcon),
        framework::OnCommand(kDefaultOptionsId, &CLumeraSetDlg::OnDefaultOptions),
        framework::OnCommand(kCustomOptionsId, &CLumeraSetDlg::OnCustomOptions),
    };
    return framework::DispatchMessageMap<CLumeraSetDlg>(*this, kMessageMap, message, wParam, lParam,
                                                        result);
}

bool CLumeraSetDlg::OnInitDialog() {
    CDialog::OnInitDialog();
    Windows().SetIcon(GetSafeHwnd(), m_hIcon, true);
    Windows().SetIcon(GetSafeHwnd(), m_hIcon, false);
    const bool isAdmin = m_ports.security.IsUserAdmin();
    m_settingsPath = common::LocateSettingsFile(m_ports.files, m_ports.clock, isAdmin);
    LoadDialogTexts();
    InitFunctionCombos();
    return true;
}

void CLumeraSetDlg::LoadDialogTexts() {
    const auto note = [this](const std::string& line) {
        m_ports.trace.Failure(common::kTextsTraceStep, 0, line);
    };
    const common::LanguageChoice choice =
        common::ChooseLanguage(m_ports.profile, m_settingsPath, m_ports.locale);
    if (!choice.note.empty()) {
        note(choice.note);
    }
    // The tool's own folder, not the user's settings folder.
    m_dialogTexts = ReadDialogTexts(m_ports.profile,
                                    common::TextSourceIn(common::ExecutableFolder(m_ports.files),
                                                         choice.language, m_ports.files),
                                    note);
    Windows().SetWindowText(GetSafeHwnd(), m_dialogTexts.title);
    for (std::size_t i = 0; i < kControlTexts.size(); ++i) {
        Windows().SetDlgItemText(GetSafeHwnd(), kControlTexts[i].controlId,
                                 m_dialogTexts.controls[i]);
    }
}

void CLumeraSetDlg::InitFunctionCombos() {
    WindowSystem& windows = Windows();
    const WindowHandle dialog = GetSafeHwnd();
    constexpr int kImageCount = kFunctionCount * kImagesPerFunction;
    m_functionImages = windows.CreateImageList(kPictureSize, kPictureSize,
                                               ilc::kColor24 | ilc::kMask, 0, kImageCount);
    for (int function = 0; function < kFunctionCount; ++function) {
        for (int copy = 0; copy < kImagesPerFunction; ++copy) {
            windows.AddMaskedBitmap(m_functionImages, kFirstFunctionBitmapId + function,
                                    kMaskBlack);
        }
    }
    for (const int list : {kFrontListId, kBackListId}) {
        windows.SetComboImageList(dialog, list, m_functionImages);
        for (int function = 0; function < kFunctionCount; ++function) {
            const int image = function * kImagesPerFunction;
            windows.InsertComboItem(dialog, list, function,
                                    m_dialogTexts.functions[static_cast<std::size_t>(function)],
                                    image, image + 1);
        }
    }
    ProfilePort& profile = m_ports.profile;
    m_useDefaults = profile.GetInt(contract::settings_file::kButtonSection,
                                   contract::settings_file::kUseDefaultsKey,
                                   contract::settings_file::kDefaultUseDefaults, m_settingsPath);
    m_frontChoice = profile.GetInt(contract::settings_file::kButtonSection,
                                   contract::settings_file::kFrontChoiceKey,
                                   contract::settings_file::kDefaultFrontChoice, m_settingsPath);
    m_backChoice = profile.GetInt(contract::settings_file::kButtonSection,
                                  contract::settings_file::kBackChoiceKey,
                                  contract::settings_file::kDefaultBackChoice, m_settingsPath);
    ShowChoices(m_useDefaults != 0);
}

void CLumeraSetDlg::ShowChoices(bool useDefaults) {
    WindowSystem& windows = Windows();
    const WindowHandle dialog = GetSafeHwnd();
    windows.CheckDlgButton(dialog, kDefaultOptionsId, useDefaults);
    windows.CheckDlgButton(dialog, kCustomOptionsId, !useDefaults);
    // A choice that names no item leaves its list without a selection.
    windows.SetComboSelection(dialog, kFrontListId, m_frontChoice);
    windows.SetComboSelection(dialog, kBackListId, m_backChoice);
    windows.EnableDlgItem(dialog, kFrontListId, !useDefaults);
    windows.EnableDlgItem(dialog, kBackListId, !useDefaults);
    m_listsEnabled = !useDefaults;
}

void CLumeraSetDlg::TakeChoicesFromLists() {
    m_frontChoice = Windows().GetComboSelection(GetSafeHwnd(), kFrontListId);
    m_backChoice = Windows().GetComboSelection(GetSafeHwnd(), kBackListId);
}

void CLumeraSetDlg::OnDefaultOptions() {
    TakeChoicesFromLists();
    Windows().EnableDlgItem(GetSafeHwnd(), kFrontListId, false);
    Windows().EnableDlgItem(GetSafeHwnd(), kBackListId, false);
    m_listsEnabled = false;
}

void CLumeraSetDlg::OnCustomOptions() {
    // A second click on the checked button must not undo picks made since.
    if (m_listsEnabled) {
        return;
    }
    Windows().SetComboSelection(GetSafeHwnd(), kFrontListId, m_frontChoice);
    Windows().SetComboSelection(GetSafeHwnd(), kBackListId, m_backChoice);
    Windows().EnableDlgItem(GetSafeHwnd(), kFrontListId, true);
    Windows().EnableDlgItem(GetSafeHwnd(), kBackListId, true);
    m_listsEnabled = true;
}

bool CLumeraSetDlg::WriteSetting(std::string_view key, int value) {
    return m_ports.profile.WriteString(contract::settings_file::kButtonSection, key,
                                       std::to_string(value), m_settingsPath);
}

void CLumeraSetDlg::OnOK() {
    m_useDefaults = Windows().IsDlgButtonChecked(GetSafeHwnd(), kDefaultOptionsId) ? 1 : 0;
    TakeChoicesFromLists();
    // Only a complete save is announced; the driver re-reads all three keys.
    const bool saved = WriteSetting(contract::settings_file::kUseDefaultsKey, m_useDefaults) &&
                       WriteSetting(contract::settings_file::kFrontChoiceKey, m_frontChoice) &&
                       WriteSetting(contract::settings_file::kBackChoiceKey, m_backChoice);
    if (!saved) {
        // The dialog stays, so that the user can try again or cancel.
        Windows().MessageBox(GetSafeHwnd(), m_dialogTexts.saveFailed, m_dialogTexts.title,
                             mb::kOk | mb::kIconWarning);
        return;
    }
    Windows().PostMessage(
        Windows().FindWindow(contract::driver_window::kClass, contract::driver_window::kTitle),
        contract::driver_message::kButtonSettingsChanged, 0, 0);
    EndDialog(id::kOk);
}

LResult CLumeraSetDlg::OnPaint(WParam, LParam) {
    PaintWithIcon(m_hIcon);
    return 0;
}

LResult CLumeraSetDlg::OnQueryDragIcon(WParam, LParam) {
    return static_cast<LResult>(m_hIcon);
}

} // namespace pensettings
