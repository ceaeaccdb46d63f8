// Actions as the tests look at them: in the catalogue's list, and as a
// section of a folder's catalogue file, compared in one line.
#pragma once

#include <string>

#include "host/baseutil.h"
#include "base/Raii.h"
#include "library/ActionCatalogue.h"
#include "library/CatalogueFile.h"
#include "support/Files.h"

namespace testsupport {

// The first listed action of that name, in either folder or only the one
// named by bGlobal (0 local, 1 global); null when none.
inline mimic::ActionEntry *FindAction(mimic::ActionCatalogue &catalogue, const std::string &name, int bGlobal = -1)
{
    for (mimic::ActionEntry &e : catalogue.Entries())
        if (e.strName == name && (bGlobal < 0 || e.bGlobal == (bGlobal != 0)))
            return &e;
    return nullptr;
}

// "PlayMode|Accel|FilePath|AddToMenu", "-" for each key absent.
inline std::string Section(const std::string &folder, const char *name)
{
    std::string text;
    for (const char *key : {"PlayMode", "Accel", "FilePath", "AddToMenu"})
        text += (text.empty() ? "" : "|") +
                baseutil::GetPrivateProfileStringA(name, key, "-", (folder + "\\mimic.ini").c_str());
    return text;
}

// A script's text after its loop's head: the recorded lines and the loop's end.
inline std::string ScriptBody(const std::string &path)
{
    const std::string text = support::ReadTextFile(path), head = "$index++ )\n{\n";
    const size_t at = text.find(head);
    return at == std::string::npos ? "<no loop>" : text.substr(at + head.size());
}

// Holds the lock that saves of the folder's catalogue file take, as another
// process in the middle of a save would.
class HeldCatalogueLock
{
public:
    explicit HeldCatalogueLock(const std::string &folder)
        : m_lock(::CreateFileA(mimic::CatalogueFile::LockPath(folder + "\\mimic.ini").c_str(),
                               GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_ALWAYS,
                               0, nullptr))
    {
        OVERLAPPED at = {};
        m_bHeld = m_lock && ::LockFileEx(m_lock.get(), LOCKFILE_EXCLUSIVE_LOCK, 0, 1, 0, &at);
    }
    bool Held() const { return m_bHeld; }

private:
    mimic::UniqueFile m_lock;
    bool m_bHeld = false;
};

} // namespace testsupport
