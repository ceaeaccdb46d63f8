// Add action files: the platform's open-file dialog with a "Make global" check
// box below it, through which the user picks the scripts to add as actions.
#pragma once

#include <windows.h>
#include <commdlg.h>
#include <string>
#include <vector>

namespace mimic {

class c_insertFileDlg
{
public:
    // Explorer style, several files, each of which must exist, and our child template.
    static constexpr DWORD kAddFlags = OFN_EXPLORER | OFN_ALLOWMULTISELECT | OFN_FILEMUSTEXIST | OFN_PATHMUSTEXIST |
                                       OFN_ENABLETEMPLATE;
    // The names of several files together can be long.
    static constexpr DWORD kFileBufferSize = 64000;

    // Opens in the process's current folder as it is now.
    explicit c_insertFileDlg(HWND hParent, DWORD dwFlags = kAddFlags);
    c_insertFileDlg(const c_insertFileDlg &) = delete;
    c_insertFileDlg &operator=(const c_insertFileDlg &) = delete;

    // IDOK when the user confirmed a selection; IDCANCEL otherwise, also when
    // the platform could not show the dialog or the names did not fit.
    INT_PTR DoModal();

    // The confirmed files as full paths, in the platform's order; none unless
    // the last run ended with IDOK.
    std::vector<std::string> GetPathNames() const;

    // In: the check box's initial state; out: its state when the user confirmed.
    int m_bMakeGlobal = 0;
    // Whether the user may change the check box.
    int m_bCheckEnabled = 0;

    // The platform's record, set up for adding actions; DoModal adds the
    // template and the hook.
    OPENFILENAMEA m_ofn;

private:
    static UINT_PTR CALLBACK HookProc(HWND hDlg, UINT uMsg, WPARAM wParam, LPARAM lParam);
    void OnInitDialog(HWND hDlg);
    void OnFolderChange(HWND hDlg);
    void OnFileNameOK(HWND hDlg);

    std::vector<char> m_fileBuffer;
    std::string m_strInitialDir;
    bool m_bConfirmed = false;
};

} // namespace mimic
