#pragma once

#include <cstdint>
#include <string_view>

namespace pensettings {

inline constexpr int kLumeraSetDialogId = 102;
inline constexpr int kAppIconId = 128;

inline constexpr int kOuterGroupId = -1;
inline constexpr int kFrontLabelId = 1000;
inline constexpr int kBackLabelId = 1002;
inline constexpr int kFrontListId = 1008;
inline constexpr int kDefaultOptionsId = 1009;
inline constexpr int kBackListId = 1010;
inline constexpr int kCustomOptionsId = 1011;
inline constexpr int kInnerGroupId = 1012;

// The pictures of the function lists are bitmap resources from this number
// on, one per function in list order (resources/lumeraset.rc).
inline constexpr int kFirstFunctionBitmapId = 201;
inline constexpr int kFunctionCount = 11;

// Section "LUMERASET" of the settings file, shared with the driver.
inline constexpr std::string_view kSettingsSection = "LUMERASET";
inline constexpr std::string_view kUseDefaultsKey = "IF_SET_F_NO_T";
inline constexpr std::string_view kFrontChoiceKey = "BOX1LASTCHOOSE";
inline constexpr std::string_view kBackChoiceKey = "BOX2LASTCHOOSE";
inline constexpr int kDefaultUseDefaults = 0;
inline constexpr int kDefaultFrontChoice = 5;
inline constexpr int kDefaultBackChoice = 6;

// The running driver's main dialog, and what tells it to re-read the section.
inline constexpr std::string_view kDriverWindowClass = "#32770";
inline constexpr std::string_view kDriverWindowTitle = "QelELECDUALPRO";
inline constexpr std::uint32_t kButtonSettingsChanged = 0x7E6;

} // namespace pensettings
