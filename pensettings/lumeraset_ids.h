#pragma once

#include "common/program_contract.h"

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

} // namespace pensettings
