// The plug-in's values in its registry key, spelled as the settings already
// stored on users' machines spell them ("Defaul" included).
#pragma once

namespace mimic {
namespace setting {

constexpr char kRecordTemporary[] = "Record Temporary Task";
// Non-zero means the record confirmation is NOT shown.
constexpr char kDontConfirm[] = "Show confirmation dialog";
constexpr char kShortcutNumber[] = "Defaul ShortCut Number";
constexpr char kLastMacroPath[] = "Last Macro Path";
constexpr char kRepeatCount[] = "Defaul Repeat Count";
constexpr char kLocalPath[] = "Local Path";
constexpr char kGlobalPath[] = "Global Path";

} // namespace setting
} // namespace mimic
