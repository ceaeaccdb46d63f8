#include "library/CatalogueFile.h"

#include <cstdio>
#include <map>
#include <mutex>

#include "base/Raii.h"
#include "base/Text.h"

namespace mimic {

namespace {

// Another process's hold on a file lasts a moment (a reader, a virus
// scanner, another save): try again until the deadline.
template <typename Attempt, typename Busy>
bool WithRetries(ULONGLONG deadline, Attempt attempt, Busy busy)
{
    for (DWORD pause = 1;; pause = pause < 32 ? pause * 2 : 50)
    {
        if (attempt())
            return true;
        const DWORD err = ::GetLastError();
        if (!busy(err) || ::GetTickCount64() >= deadline)
        {
            ::SetLastError(err);
            return false;
        }
        ::Sleep(pause);
    }
}

bool SharingViolation(DWORD err)
{
    return err == ERROR_SHARING_VIOLATION || err == ERROR_LOCK_VIOLATION;
}

// The whole file; on Unreadable, why says why and the last error is set.
CatalogueFile::State ReadBytes(const std::string &path, std::string &bytes, std::string &why)
{
    bytes.clear();
    // Others may go on reading and writing it; a save elsewhere waits for
    // this handle to close before it replaces the file.
    UniqueFile file(::CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                  nullptr, OPEN_EXISTING, FILE_FLAG_SEQUENTIAL_SCAN, nullptr));
    DWORD err = ::GetLastError();
    if (!file)
    {
        if (err == ERROR_FILE_NOT_FOUND || err == ERROR_PATH_NOT_FOUND)
            return CatalogueFile::State::Missing;
        why = SystemMessage(err);
        ::SetLastError(err);
        return CatalogueFile::State::Unreadable;
    }
    LARGE_INTEGER size = {};
    bool ok = ::GetFileSizeEx(file.get(), &size) && size.QuadPart < (1LL << 30);
    if (ok)
    {
        bytes.resize(static_cast<size_t>(size.QuadPart));
        DWORD got = 0;
        ok = bytes.empty() ||
             (::ReadFile(file.get(), &bytes[0], static_cast<DWORD>(bytes.size()), &got, nullptr) && got == bytes.size());
    }
    if (!ok)
    {
        err = ::GetLastError();
        why = SystemMessage(err);
        bytes.clear();
        ::SetLastError(err);
        return CatalogueFile::State::Unreadable;
    }
    // The profile functions read UTF-16 too, but nothing here writes it:
    // such a file is left alone rather than rewritten in another encoding.
    if (IniDocument::IsUtf16(bytes))
    {
        why = "it is stored as UTF-16 text";
        bytes.clear();
        ::SetLastError(ERROR_BAD_FORMAT);
        return CatalogueFile::State::Unreadable;
    }
    return CatalogueFile::State::Read;
}

// A local disc reports a full disc while the data is written; a file server
// may report it only when the data reaches it, which a flush waits for.
bool OnFileServer(const std::string &path)
{
    // The drive's kind costs round trips to the system, and a folder does not
    // change volumes while it is in use: ask once per folder.
    static std::mutex s_lock;
    static std::map<std::string, bool> s_remote;
    const std::string folder = path.substr(0, path.find_last_of("\\/") + 1);
    std::lock_guard<std::mutex> hold(s_lock);
    const auto known = s_remote.find(folder);
    if (known != s_remote.end())
        return known->second;
    char root[MAX_PATH];
    const bool remote = ::GetVolumePathNameA(path.c_str(), root, MAX_PATH) && ::GetDriveTypeA(root) == DRIVE_REMOTE;
    return s_remote[folder] = remote;
}

// The new file is complete before it takes the old one's place, so a crash
// or a full disc leaves the old file or the new one. On failure the last
// error says why and nothing is left behind.
bool WriteBeside(const std::string &path, const std::string &bytes, ULONGLONG deadline)
{
    const std::string newPath = CatalogueFile::NewPath(path);
    UniqueFile out;
    if (!WithRetries(
            deadline,
            [&] {
                out.reset(::CreateFileA(newPath.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                                        FILE_ATTRIBUTE_NORMAL, nullptr));
                return static_cast<bool>(out);
            },
            SharingViolation))
        return false;
    DWORD n = 0;
    bool ok = ::WriteFile(out.get(), bytes.data(), static_cast<DWORD>(bytes.size()), &n, nullptr) &&
              n == bytes.size() && (!OnFileServer(path) || ::FlushFileBuffers(out.get()));
    DWORD err = ok ? ERROR_SUCCESS : (::GetLastError() ? ::GetLastError() : static_cast<DWORD>(ERROR_WRITE_FAULT));
    out.reset();
    if (ok)
    {
        // Replacing a file fails while anyone has it open, a reader included.
        ok = WithRetries(
            deadline,
            [&] {
                return ::MoveFileExA(newPath.c_str(), path.c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH) !=
                       FALSE;
            },
            [](DWORD e) { return e == ERROR_ACCESS_DENIED || SharingViolation(e); });
        err = ::GetLastError();
    }
    if (ok)
        return true;
    ::DeleteFileA(newPath.c_str());
    ::SetLastError(err);
    return false;
}

std::string Seconds(DWORD ms)
{
    char text[32];
    snprintf(text, sizeof(text), "%g", ms / 1000.0);
    return text;
}

} // namespace

CatalogueFile::CatalogueFile(std::string iniPath, DWORD waitMs) : m_path(std::move(iniPath)), m_waitMs(waitMs) {}

CatalogueFile::State CatalogueFile::Load(IniDocument &doc) const
{
    std::string bytes, why;
    const State state = ReadBytes(m_path, bytes, why);
    doc = state == State::Read ? IniDocument(bytes) : IniDocument();
    return state;
}

void CatalogueFile::Set(const std::string &section, const std::string &key, const std::string &value)
{
    m_changes.push_back(Change{section, key, value, false});
}

void CatalogueFile::RemoveSection(const std::string &section)
{
    m_changes.push_back(Change{section, std::string(), std::string(), true});
}

bool CatalogueFile::Fail(const std::string &why)
{
    m_error = "Can't save " + m_path + ": " + why;
    return false;
}

bool CatalogueFile::Commit()
{
    m_error.clear();
    if (m_changes.empty())
        return true;
    const ULONGLONG deadline = ::GetTickCount64() + m_waitMs;

    // The lock is a byte of a file that is never replaced or deleted, so
    // every process locks the same file; byte-range locks hold on a file
    // server too, and the system drops them when a process dies.
    UniqueFile lock;
    const std::string lockPath = LockPath(m_path);
    if (!WithRetries(
            deadline,
            [&] {
                lock.reset(::CreateFileA(lockPath.c_str(), GENERIC_READ | GENERIC_WRITE,
                                         FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr, OPEN_ALWAYS,
                                         FILE_ATTRIBUTE_HIDDEN, nullptr));
                return static_cast<bool>(lock);
            },
            SharingViolation))
        return Fail(SystemMessage(::GetLastError()) + " Nothing was saved.");
    OVERLAPPED at = {};
    if (!WithRetries(
            deadline,
            [&] {
                return ::LockFileEx(lock.get(), LOCKFILE_EXCLUSIVE_LOCK | LOCKFILE_FAIL_IMMEDIATELY, 0, 1, 0, &at) !=
                       FALSE;
            },
            SharingViolation))
        return Fail("someone else is saving it, and it stayed locked for " + Seconds(m_waitMs) +
                    " seconds. Nothing was saved; try again.");
    struct Unlock
    {
        HANDLE h;
        OVERLAPPED *at;
        ~Unlock() { ::UnlockFileEx(h, 0, 1, 0, at); }
    } unlock{lock.get(), &at};

    std::string bytes, why;
    State state = State::Missing;
    WithRetries(
        deadline,
        [&] {
            state = ReadBytes(m_path, bytes, why);
            return state != State::Unreadable;
        },
        SharingViolation);
    if (state == State::Unreadable)
        return Fail("it can't be read (" + why + "), so it was left as it is.");

    IniDocument doc = state == State::Read ? IniDocument(bytes) : IniDocument();
    for (const Change &change : m_changes)
        if (m_bKeepStored && !change.bRemove && doc.HasSection(change.section))
            return Fail("it could not be read when the actions were listed, so they show default values that "
                        "would overwrite the stored ones. Nothing was saved; refresh the list and try again.");
    for (const Change &change : m_changes)
    {
        if (change.bRemove)
            doc.RemoveSection(change.section);
        else
            doc.Set(change.section, change.key, change.value);
    }
    const std::string updated = doc.Bytes();
    if (updated == bytes)
        return true;

    if (!WriteBeside(m_path, updated, deadline))
        return Fail(SystemMessage(::GetLastError()) + " The file was left as it was.");
    return true;
}

} // namespace mimic
