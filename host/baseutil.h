// The host's base utility library as the plug-in calls it: registry and ini
// values, text splitting, file paths, window text.
#pragma once

#include <windows.h>
#include <string>
#include <vector>

namespace baseutil {

// A string value (REG_SZ or REG_EXPAND_SZ, unexpanded); false when absent or of another type.
bool ReadFromReg(HKEY hKey, const char *pszName, std::string &value);
bool WriteToReg(HKEY hKey, const char *pszName, const char *pszValue);

// A number: only a REG_DWORD of exactly four bytes counts; anything else is absent.
bool ReadNumberFromReg(HKEY hKey, const char *pszName, DWORD &value);
bool WriteNumberToReg(HKEY hKey, const char *pszName, DWORD value);

// One key of an ini section, whatever its length; the default when absent.
std::string GetPrivateProfileStringA(const char *pszSection, const char *pszKey, const char *pszDefault,
                                     const char *pszIniPath);

// The pieces between separators, in order; empty pieces kept.
void split(std::vector<std::string> &pieces, const std::string &text, char separator);

// The platform's folder browser, modal over the owner, opened at the initial
// folder (or at the folder passed in when there is none). True and the chosen
// folder when the user confirms one that has a file-system path.
bool BrowseFolders(HWND hOwner, std::string &folder, const char *pszTitle, const char *pszInitialFolder,
                   bool bIncludeFiles = false);

} // namespace baseutil

namespace FileUtils {

bool Exists(const std::string &path);  // a file, not a folder
bool Delete(const std::string &path);
std::string GetPathFromFile(const std::string &path);   // up to, not including, the last backslash
std::string GetNameFromFile(const std::string &path);   // after the last backslash
std::string RemoveExtFromFile(const std::string &name); // without the last extension
bool equalPath(const std::string &a, const std::string &b);

} // namespace FileUtils

namespace baseutil {

class KString
{
public:
    KString() = default;
    explicit KString(std::string text) : m_text(std::move(text)) {}
    const char *c_str() const { return m_text.c_str(); }
    const std::string &str() const { return m_text; }

private:
    std::string m_text;
};

// A window the host's libraries wrap: the handle, and what is asked of it.
class KWindow
{
public:
    KWindow() = default;
    explicit KWindow(HWND hWnd) : m_hWnd(hWnd) {}
    virtual ~KWindow() = default;
    void Attach(HWND hWnd) { m_hWnd = hWnd; }
    HWND GetHwnd() const { return m_hWnd; }
    KString GetWindowTextA() const;
    void SetWindowTextA(const char *pszText) const;
    void ShowWindow(int nCmdShow) const;

protected:
    HWND m_hWnd = nullptr;
};

// A static text control.
class CStatic : public KWindow
{
};

} // namespace baseutil
