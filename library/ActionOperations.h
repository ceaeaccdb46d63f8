// What the dialogs do to actions on disc: a script moved to the other folder,
// script files added as actions, actions deleted, and the last action
// forgotten with its script. A question these must ask comes from the caller.
#pragma once

#include <windows.h>
#include <unknwn.h>
#include <functional>
#include <string>
#include <vector>

#include "library/ActionEntry.h"

namespace mimic {

class ActionCatalogue;

// What to do with a file that its destination folder already holds.
enum class ReplaceAnswer
{
    Replace,    // this file
    ReplaceAll, // this file and every later clash of the same command
    Skip,       // leave this file out
};

class ActionOperations
{
public:
    // Asked before a move replaces a script of the same name; true replaces it.
    using ConfirmOverwrite = std::function<bool()>;
    // Asked when an added file cannot be copied without overwriting the target.
    using AskReplace = std::function<ReplaceAnswer(const std::string &target)>;

    ActionOperations(IUnknown *pFramework, ActionCatalogue &catalogue);

    // Moves the edited action into the folder that wanted's global flag names:
    // the script is copied there, wanted's settings are saved in that folder's
    // catalogue file, and the old section and script go. The edited record
    // then carries the new folder, path and settings. False when the script
    // was not copied; the edited record is unchanged and dwError is 0 when
    // the user kept the existing script, else the platform's reason. False
    // with SaveError too when the new folder's catalogue file could not be
    // saved: the copy is taken back and the action stays where it was. False
    // with KeptScript and dwError too when the old script could not be
    // deleted: the other folder is put back as it was. A hotkey that could
    // not be taken from the others is only reported.
    bool MoveToOtherFolder(ActionEntry &edited, const ActionEntry &wanted, const ConfirmOverwrite &confirmOverwrite,
                           DWORD &dwError);

    // A file that AddFiles left out without the caller's word.
    struct NotAdded
    {
        std::string source;
        DWORD dwError; // why its copy failed; ERROR_SUCCESS for a file that can't be an action
    };

    // Copies the files into the global or the local folder and saves each one
    // copied as an action: repeat count 1, no hotkey, not in the menu, in one
    // change of the catalogue file. Only ".pl" scripts whose names a new
    // action may have are copied: any other file would take another action's
    // section, the temporary action's script or the catalogue file itself.
    // Those, and files whose copy failed, are in NotAddedFiles; askReplace
    // comes only for a target that exists. True when any was added;
    // SaveError tells when the copies could not be saved with their settings,
    // or when the folder takes no writes (not known, or not a full path).
    bool AddFiles(const std::vector<std::string> &sources, bool bGlobal, const AskReplace &askReplace);
    const std::vector<NotAdded> &NotAddedFiles() const { return m_notAdded; }

    // Deletes the action's script; only once it is gone do its section and
    // the last action naming it go too. False, and nothing changed, when the
    // script could not be deleted. A section that could not be removed stays
    // unreported: it names no script, so it lists nothing, and a later action
    // of that name writes every one of its keys.
    bool Remove(const ActionEntry &entry);

    // Empties the stored last action when it names that script.
    void ForgetLastActionIf(const std::string &deletedPath);

    // Why the last operation could not save a catalogue file, naming it, or
    // had no folder to add files to; empty when every save succeeded.
    const std::string &SaveError() const { return m_saveError; }
    // The script that the last move copied but could not delete; empty when none.
    const std::string &KeptScript() const { return m_keptScript; }

private:
    // Copies the script into the folder that the entry's global flag names.
    // A script there is replaced only after confirmOverwrite, and only once
    // the copy is whole; replaced then names it, kept under another name.
    bool CopyIntoFolder(const ActionEntry &entry, const ConfirmOverwrite &confirmOverwrite, std::string &replaced);

    IUnknown *m_pFramework; // not owned
    ActionCatalogue &m_catalogue;
    std::string m_saveError;
    std::string m_keptScript;
    std::vector<NotAdded> m_notAdded;
};

} // namespace mimic
