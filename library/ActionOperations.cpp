#include "library/ActionOperations.h"

#include <algorithm>

#include "base/Paths.h"
#include "host/baseutil.h"
#include "library/ActionCatalogue.h"
#include "library/Settings.h"

namespace mimic {

ActionOperations::ActionOperations(IUnknown *pFramework, ActionCatalogue &catalogue)
    : m_pFramework(pFramework), m_catalogue(catalogue)
{
}

bool ActionOperations::CopyIntoFolder(const ActionEntry &entry, const ConfirmOverwrite &confirmOverwrite,
                                      std::string &replaced)
{
    replaced.clear();
    const std::string folder = m_catalogue.GetFolder(entry.bGlobal);
    // Without a folder the target would be at the root of the current drive,
    // or below the host's working folder.
    if (folder.empty())
    {
        ::SetLastError(ERROR_PATH_NOT_FOUND);
        return false;
    }
    ::CreateDirectoryA(folder.c_str(), nullptr);
    const std::string target = folder + "\\" + entry.strName + ".pl";

    // However the two are spelled, a script is never copied onto itself.
    if (SameFile(entry.strPath, target))
        return true;
    if (!FileUtils::Exists(target))
        return ::CopyFileA(entry.strPath.c_str(), target.c_str(), TRUE) != FALSE;
    if (!confirmOverwrite || !confirmOverwrite())
    {
        // A refusal is no error: the caller tells it from a failed copy by the error code.
        ::SetLastError(ERROR_SUCCESS);
        return false;
    }
    // The copy is made whole beside the script it replaces and only then
    // takes its name; the replaced script stays, renamed, until the caller
    // knows whether the move completes.
    char copy[MAX_PATH], backup[MAX_PATH];
    if (!::GetTempFileNameA(folder.c_str(), "mim", 0, copy))
        return false;
    DWORD err = ERROR_SUCCESS;
    if (!::GetTempFileNameA(folder.c_str(), "mim", 0, backup))
        err = ::GetLastError();
    else if (!::CopyFileA(entry.strPath.c_str(), copy, FALSE) ||
             !::MoveFileExA(target.c_str(), backup, MOVEFILE_REPLACE_EXISTING))
        err = ::GetLastError();
    else if (!::MoveFileExA(copy, target.c_str(), 0))
    {
        err = ::GetLastError();
        ::MoveFileExA(backup, target.c_str(), 0);
    }
    ::DeleteFileA(copy);
    if (err == ERROR_SUCCESS)
    {
        replaced = backup;
        return true;
    }
    ::DeleteFileA(backup);
    ::SetLastError(err);
    return false;
}

bool ActionOperations::MoveToOtherFolder(ActionEntry &edited, const ActionEntry &wanted,
                                         const ConfirmOverwrite &confirmOverwrite, DWORD &dwError)
{
    dwError = ERROR_SUCCESS;
    m_saveError.clear();
    m_keptScript.clear();
    std::string replaced;
    if (!CopyIntoFolder(wanted, confirmOverwrite, replaced))
    {
        dwError = ::GetLastError();
        return false;
    }
    const std::string newPath = m_catalogue.GetFolder(wanted.bGlobal) + "\\" + wanted.strName + ".pl";
    // With both folder settings naming one folder the script and its section
    // are already where they belong: removing the "old" ones would lose them.
    const bool sameFile = SameFile(edited.strPath, newPath);
    // Puts the other folder back as it was: its script of that name, if the
    // copy replaced one, or none.
    const auto takeBack = [&] {
        if (sameFile)
            return;
        if (replaced.empty())
        {
            // The copy took the attributes of a read-only script along.
            ::SetFileAttributesA(newPath.c_str(), FILE_ATTRIBUTE_NORMAL);
            FileUtils::Delete(newPath);
        }
        else
            ::MoveFileExA(replaced.c_str(), newPath.c_str(), MOVEFILE_REPLACE_EXISTING);
    };

    ActionEntry saved = wanted;
    saved.strPath = newPath;
    if (!m_catalogue.SaveEntry(saved))
    {
        // A script there without its section would come back with default
        // values and no hotkey: the action stays in its folder instead.
        m_saveError = m_catalogue.LastSaveError();
        takeBack();
        return false;
    }
    // An old script that stays (a program holds it open, or it is read-only)
    // would leave the action in both folders: it stays in its own only, and
    // the other folder gets back the settings of the action it had.
    if (!sameFile && !FileUtils::Delete(edited.strPath))
    {
        dwError = ::GetLastError();
        m_keptScript = edited.strPath;
        const auto &list = m_catalogue.Entries();
        const auto other = std::find_if(list.begin(), list.end(), [&](const ActionEntry &e) {
            return e.bGlobal == wanted.bGlobal && EqualNoCase(e.strName, wanted.strName);
        });
        if (replaced.empty() || other == list.end())
            (void)m_catalogue.RemoveEntry(saved);
        else
            (void)m_catalogue.SaveEntry(*other);
        takeBack();
        return false;
    }
    if (!replaced.empty())
        ::DeleteFileA(replaced.c_str());
    // A section left behind names a script that is gone, which lists nothing.
    if (!sameFile)
        (void)m_catalogue.RemoveEntry(edited);
    edited.bGlobal = wanted.bGlobal;
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
    // Without a folder the copies would land at the root of the current drive,
    // or below the host's working folder.
    if (folder.empty())
    {
        m_saveError = "Can't add the files: " + m_catalogue.FolderError(bGlobal) + ".";
        return false;
    }
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
    if (settings.ReadText(setting::kLastMacroPath, last) && SameFile(last, deletedPath))
        settings.WriteText(setting::kLastMacroPath, "");
}

} // namespace mimic
