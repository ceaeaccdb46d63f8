// The plug-in's settings: the values in its registry key, spelled as the
// settings already stored on users' machines spell them ("Defaul" included),
// their defaults, the keys of an action folder's "mimic.ini", and the one
// reader and writer of the key.
#pragma once

#include <windows.h>
#include <unknwn.h>
#include <string>

#include "base/Raii.h"

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

// The two forms a local folder setting takes; the first is its default.
constexpr char kWorkspaceFolder[] = "Current workspace folder";
constexpr char kDesignFolder[] = "Current design folder";
constexpr char kDefaultGlobalPath[] = "$(VANTREL)\\Script\\Actions";

} // namespace setting

// An action's section in its folder's catalogue file, keys in the order written.
namespace inikey {

constexpr char kFileName[] = "mimic.ini";
constexpr char kPlayMode[] = "PlayMode";
constexpr char kAccel[] = "Accel";
constexpr char kFilePath[] = "FilePath";
constexpr char kAddToMenu[] = "AddToMenu";

} // namespace inikey

// The plug-in's settings key, opened through the host for as long as this
// object lives. A key the host refuses leaves every reader with its defaults
// and makes every write do nothing.
class PlugInSettings
{
public:
    explicit PlugInSettings(IUnknown *pFramework);

    bool IsOpen() const { return static_cast<bool>(m_key); }
    void Close() { m_key.reset(); }

    // A number counts only as a REG_DWORD of four bytes and a text only as a
    // string value; anything else is absent, and absent leaves value as it was.
    bool ReadNumber(const char *pszName, DWORD &value) const;
    bool ReadText(const char *pszName, std::string &value) const;
    void WriteNumber(const char *pszName, DWORD value) const;
    void WriteText(const char *pszName, const std::string &value) const;

    // The folder settings, their defaults in place of an absent or empty value.
    std::string LocalFolder() const;
    std::string GlobalFolder() const;

private:
    UniqueHKey m_key;
};

// The action that playing the last action plays: its script and repeat count.
// Stored by a finished recording and by a choice in Player Settings.
struct LastAction
{
    std::string strPath; // empty when none is stored or the key is refused
    int nRepeat = 1;     // a count that is absent or 0 plays once
};
LastAction ReadLastAction(IUnknown *pFramework);
void StoreLastAction(IUnknown *pFramework, const std::string &scriptPath, int nRepeat);

} // namespace mimic
