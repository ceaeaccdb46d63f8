// One action folder's "mimic.ini", which several people and several copies
// of the plug-in may share, often on a file server. It is read whole, once
// per load. A save is one change of the file under a lock that holds across
// processes and machines: lock, read, change, write a new file beside it,
// replace the old one in one step, unlock. Readers therefore see the old file
// or the new one, never a mix, and two saves never lose each other's sections.
#pragma once

#include <windows.h>
#include <string>
#include <vector>

#include "library/IniDocument.h"

namespace mimic {

class CatalogueFile
{
public:
    enum class State
    {
        Missing,   // no file: every action has its defaults
        Read,      // the file's values
        Unreadable // the file is there but could not be read (held by a program, no access, UTF-16)
    };

    static constexpr DWORD kDefaultWaitMs = 5000;

    // The ini file itself; the lock is a file beside it, never replaced.
    explicit CatalogueFile(std::string iniPath, DWORD waitMs = kDefaultWaitMs);

    static std::string LockPath(const std::string &iniPath) { return iniPath + ".lock"; }
    static std::string NewPath(const std::string &iniPath) { return iniPath + ".new"; }

    // The whole file, without the lock: a save replaces it in one step.
    State Load(IniDocument &doc) const;

    // Changes that Commit makes, in this order, as one change of the file.
    void Set(const std::string &section, const std::string &key, const std::string &value);
    void RemoveSection(const std::string &section);
    // The values the caller is about to write may be defaults that stood in
    // for an unreadable file: writing into a section the file holds is refused.
    void KeepStoredSections() { m_bKeepStored = true; }

    // False when nothing could be written; then the file is as it was and
    // Error says why, naming the file.
    bool Commit();
    const std::string &Error() const { return m_error; }
    const std::string &Path() const { return m_path; }

private:
    struct Change
    {
        std::string section, key, value;
        bool bRemove;
    };

    bool Fail(const std::string &why);

    std::string m_path;
    DWORD m_waitMs;
    std::vector<Change> m_changes;
    bool m_bKeepStored = false;
    std::string m_error;
};

} // namespace mimic
