#include "library/ActionOperations.h"

#include "host/baseutil.h"
#include "library/ActionCatalogue.h"
#include "library/Settings.h"

namespace mimic {

ActionOperations::ActionOperations(IUnknown *pFramework, ActionCatalogue &catalogue)
    : m_pFramework(pFramework), m_catalogue(catalogue)
{
}

bool ActionOperations::CopyIntoFolder(const ActionEntry &entry, const ConfirmOverwrite &confirmOverwrite)
{
    const std::string folder = m_catalogue.GetFolder(entry.bGlobal);
    // Without a folder the target would be at the root of the current drive.
    if (folder.empty())
    {
        ::SetLastError(ERROR_PATH_NOT_FOUND);
        return false;
    }
    ::CreateDirectoryA(folder.c_str(), nullptr);
    const std::string target = folder + "\\" + entry.strName + ".pl";

    // Deleting the target first would destroy a script that is already there.
    if (FileUtils::equalPath(entry.strPath, target))
        return true;

    if (FileUtils::Exists(target))
    {
        if (!confirmOverwrite || !confirmOverwrite())
        {
            // A refusal is no error: the caller tells it from a failed copy by the error code.
            ::SetLastError(ERROR_SUCCESS);
            return false;
        }
        FileUtils::Delete(target);
    }
    return ::CopyFileA(entry.strPath.c_str(), target.c_str(), TRUE) != FALSE;
}

bool ActionOperations::MoveToOtherFolder(ActionEntry &edited, const ActionEntry &wanted,
                                         const ConfirmOverwrite &confirmOverwrite, DWORD &dwError)
{
    dwError = ERROR_SUCCESS;
    m_saveError.clear();
    if (!CopyIntoFolder(wanted, confirmOverwrite))
    {
        dwError = ::GetLastError();
        return false;
    }
    const std::string newPath = m_catalogue.GetFolder(wanted.bGlobal) + "\\" + wanted.strName + ".pl";
    // With both folder settings naming one folder the script and its section
    // are already where they belong: removing the "old" ones would lose them.
    const bool sameFile = FileUtils::equalPath(edited.strPath, newPath);

    ActionEntry saved = wanted;
    saved.strPath = newPath;
    if (!m_catalogue.SaveEntry(saved))
    {
        // A script there without its section would come back with default
        // values and no hotkey: the action stays in its folder instead.
        m_saveError = m_catalogue.LastSaveError();
        if (!sameFile)
            FileUtils::Delete(newPath);
        return false;
    }
    // A section left behind names a script that is gone, which lists nothing.
    if (!sameFile)
        (void)m_catalogue.RemoveEntry(edited);
    edited.bGlobal = wanted.bGlobal;
    if (!sameFile)
        FileUtils::Delete(edited.strPath);
    // The caller saves this record into the new folder's ini: it must carry
    // what the user just set there, not the old values.
    edited.nRepeat = wanted.nRepeat;
    edited.bMenu = wanted.bMenu;
    edited.strPath = newPath;
    if (wanted.strAccel != edited.strAccel)
    {
        edited.strAccel = wanted.strAccel;
        if (!m_catalogue.ClearAccel(edited))
            m_saveError = m_catalogue.LastSaveError();
    }
    return true;
}

bool ActionOperations::AddFiles(const std::vector<std::string> &sources, bool bGlobal, const AskReplace &askReplace)
{
    m_saveError.clear();
    m_notAdded.clear();
    std::string folder = m_catalogue.GetFolder(bGlobal);
    // Without a folder the copies would land at the root of the current drive;
    // none is made.
    if (folder.empty())
        return false;
    ::CreateDirectoryA(folder.c_str(), nullptr);
    folder += "\\";

    bool replaceAll = false;
    std::vector<ActionEntry> added;
    for (const std::string &source : sources)
    {
        const std::string file = FileUtils::GetNameFromFile(source);
        ActionEntry entry;
        if (!ActionNameFromFile(file, entry.strName) || !IsNamedActionName(entry.strName))
        {
            m_notAdded.push_back({source, ERROR_SUCCESS});
            continue;
        }
        const std::string target = folder + file;
        entry.strPath = target;
        entry.bGlobal = bGlobal;
        entry.nRepeat = 1;
        entry.strAccel.clear();
        entry.bMenu = false;

        bool copied = ::CopyFileA(source.c_str(), target.c_str(), TRUE) != FALSE;
        DWORD dwError = copied ? ERROR_SUCCESS : ::GetLastError();
        // Any other failure (a source gone, a folder in the way, no right to
        // write) is no clash: replacing would not help.
        if (!copied && FileUtils::Exists(target))
        {
            const ReplaceAnswer answer =
                replaceAll ? ReplaceAnswer::ReplaceAll : askReplace ? askReplace(target) : ReplaceAnswer::Skip;
            if (answer == ReplaceAnswer::Skip)
                continue;
            replaceAll = answer == ReplaceAnswer::ReplaceAll;
            copied = ::CopyFileA(source.c_str(), target.c_str(), FALSE) != FALSE;
            dwError = copied ? ERROR_SUCCESS : ::GetLastError();
        }
        if (copied)
            added.push_back(entry);
        else
            m_notAdded.push_back({source, dwError});
    }
    if (!added.empty() && !m_catalogue.SaveEntries(added))
        m_saveError = m_catalogue.LastSaveError();
    return !added.empty();
}

bool ActionOperations::Remove(const ActionEntry &entry)
{
    m_saveError.clear();
    if (!FileUtils::Delete(entry.strPath))
        return false;
    (void)m_catalogue.RemoveEntry(entry);
    ForgetLastActionIf(entry.strPath);
    return true;
}

void ActionOperations::ForgetLastActionIf(const std::string &deletedPath)
{
    PlugInSettings settings(m_pFramework);
    std::string last;
    if (settings.ReadText(setting::kLastMacroPath, last) && FileUtils::equalPath(last, deletedPath))
        settings.WriteText(setting::kLastMacroPath, "");
}

} // namespace mimic
