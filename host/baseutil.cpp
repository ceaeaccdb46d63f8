#include "host/baseutil.h"

#include <shlobj.h>
#include <cstring>

#include "base/Raii.h"

namespace baseutil {

bool ReadFromReg(HKEY hKey, const char *pszName, std::string &value)
{
    if (!hKey)
        return false;
    DWORD type = 0, cb = 0;
    if (::RegQueryValueExA(hKey, pszName, nullptr, &type, nullptr, &cb) != ERROR_SUCCESS)
        return false;
    if (type != REG_SZ && type != REG_EXPAND_SZ)
        return false;
    std::string buf(cb + 1, '\0');
    // The value may grow between the two calls; ask again until it fits.
    for (;;)
    {
        DWORD size = static_cast<DWORD>(buf.size());
        LONG rc = ::RegQueryValueExA(hKey, pszName, nullptr, &type, reinterpret_cast<BYTE *>(&buf[0]), &size);
        if (rc == ERROR_MORE_DATA)
        {
            buf.assign(size + 1, '\0');
            continue;
        }
        if (rc != ERROR_SUCCESS || (type != REG_SZ && type != REG_EXPAND_SZ))
            return false;
        // Stored strings need not be terminated; stop at the first NUL or the size.
        buf.resize(size);
        size_t nul = buf.find('\0');
        if (nul != std::string::npos)
            buf.resize(nul);
        value = buf;
        return true;
    }
}

bool WriteToReg(HKEY hKey, const char *pszName, const char *pszValue)
{
    if (!hKey)
        return false;
    const char *text = pszValue ? pszValue : "";
    return ::RegSetValueExA(hKey, pszName, 0, REG_SZ, reinterpret_cast<const BYTE *>(text),
                            static_cast<DWORD>(strlen(text) + 1)) == ERROR_SUCCESS;
}

bool ReadNumberFromReg(HKEY hKey, const char *pszName, DWORD &value)
{
    if (!hKey)
        return false;
    DWORD type = 0, data = 0, cb = sizeof(data);
    if (::RegQueryValueExA(hKey, pszName, nullptr, &type, reinterpret_cast<BYTE *>(&data), &cb) != ERROR_SUCCESS)
        return false;
    if (type != REG_DWORD || cb != sizeof(DWORD))
        return false;
    value = data;
    return true;
}

bool WriteNumberToReg(HKEY hKey, const char *pszName, DWORD value)
{
    if (!hKey)
        return false;
    return ::RegSetValueExA(hKey, pszName, 0, REG_DWORD, reinterpret_cast<const BYTE *>(&value),
                            sizeof(value)) == ERROR_SUCCESS;
}

std::string GetPrivateProfileStringA(const char *pszSection, const char *pszKey, const char *pszDefault,
                                     const char *pszIniPath)
{
    // The platform truncates silently and reports size - 1; grow until the value fits.
    std::string buf(256, '\0');
    for (;;)
    {
        DWORD n = ::GetPrivateProfileStringA(pszSection, pszKey, pszDefault ? pszDefault : "", &buf[0],
                                             static_cast<DWORD>(buf.size()), pszIniPath);
        if (n + 1 < buf.size() || buf.size() >= (1u << 26))
        {
            buf.resize(n);
            return buf;
        }
        buf.assign(buf.size() * 4, '\0');
    }
}

void split(std::vector<std::string> &pieces, const std::string &text, char separator)
{
    pieces.clear();
    size_t start = 0;
    for (;;)
    {
        size_t pos = text.find(separator, start);
        if (pos == std::string::npos)
        {
            pieces.push_back(text.substr(start));
            return;
        }
        pieces.push_back(text.substr(start, pos - start));
        start = pos + 1;
    }
}

namespace {

// The browser opens at its root; the start folder can only be selected once it is up.
int CALLBACK BrowseCallback(HWND hWnd, UINT uMsg, LPARAM, LPARAM lpData)
{
    if (uMsg == BFFM_INITIALIZED && lpData)
        ::SendMessageA(hWnd, BFFM_SETSELECTIONA, TRUE, lpData);
    return 0;
}

} // namespace

bool BrowseFolders(HWND hOwner, std::string &folder, const char *pszTitle, const char *pszInitialFolder,
                   bool bIncludeFiles)
{
    const std::string start = pszInitialFolder ? pszInitialFolder : folder;
    char displayName[MAX_PATH] = {};
    BROWSEINFOA bi = {};
    bi.hwndOwner = hOwner;
    bi.pszDisplayName = displayName;
    bi.lpszTitle = pszTitle;
    bi.ulFlags = BIF_RETURNONLYFSDIRS | (bIncludeFiles ? BIF_BROWSEINCLUDEFILES : 0);
    bi.lpfn = BrowseCallback;
    bi.lParam = start.empty() ? 0 : reinterpret_cast<LPARAM>(start.c_str());
    mimic::UniqueCoTaskMem<LPITEMIDLIST> pidl(::SHBrowseForFolderA(&bi));
    char path[MAX_PATH] = {};
    if (!pidl || !::SHGetPathFromIDListA(pidl.get(), path))
        return false;
    folder = path;
    return true;
}

} // namespace baseutil

namespace FileUtils {

bool Exists(const std::string &path)
{
    DWORD attrs = ::GetFileAttributesA(path.c_str());
    return attrs != INVALID_FILE_ATTRIBUTES && !(attrs & FILE_ATTRIBUTE_DIRECTORY);
}

bool Delete(const std::string &path)
{
    return ::DeleteFileA(path.c_str()) != FALSE;
}

std::string GetPathFromFile(const std::string &path)
{
    size_t pos = path.find_last_of('\\');
    return pos == std::string::npos ? std::string() : path.substr(0, pos);
}

std::string GetNameFromFile(const std::string &path)
{
    size_t pos = path.find_last_of('\\');
    return pos == std::string::npos ? path : path.substr(pos + 1);
}

std::string RemoveExtFromFile(const std::string &name)
{
    size_t dot = name.find_last_of('.');
    size_t slash = name.find_last_of('\\');
    if (dot == std::string::npos || (slash != std::string::npos && dot < slash))
        return name;
    return name.substr(0, dot);
}

bool equalPath(const std::string &a, const std::string &b)
{
    auto full = [](const std::string &p) {
        char buf[MAX_PATH * 4];
        DWORD n = ::GetFullPathNameA(p.c_str(), sizeof(buf), buf, nullptr);
        return (n == 0 || n >= sizeof(buf)) ? p : std::string(buf, n);
    };
    return ::lstrcmpiA(full(a).c_str(), full(b).c_str()) == 0;
}

} // namespace FileUtils

namespace baseutil {

KString KWindow::GetWindowTextA() const
{
    int len = ::GetWindowTextLengthA(m_hWnd);
    if (len <= 0)
        return KString();
    std::string text(static_cast<size_t>(len) + 1, '\0');
    int got = ::GetWindowTextA(m_hWnd, &text[0], len + 1);
    text.resize(got > 0 ? static_cast<size_t>(got) : 0);
    return KString(text);
}

void KWindow::SetWindowTextA(const char *pszText) const
{
    if (m_hWnd)
        ::SetWindowTextA(m_hWnd, pszText ? pszText : "");
}

void KWindow::ShowWindow(int nCmdShow) const
{
    if (m_hWnd)
        ::ShowWindow(m_hWnd, nCmdShow);
}

} // namespace baseutil
