#include "ui/InsertFileDlg.h"

#include <cstring>

#include "ui/Dialog.h"
#include "ui/resource.h"

namespace mimic {

namespace {

const char kFilter[] = "Action files(.pl)\0*.pl\0";

std::string CurrentFolder()
{
    DWORD size = ::GetCurrentDirectoryA(0, nullptr);
    if (!size)
        return std::string();
    std::string folder(size, '\0');
    DWORD got = ::GetCurrentDirectoryA(size, &folder[0]);
    if (!got || got >= size)
        return std::string();
    folder.resize(got);
    return folder;
}

} // namespace

c_insertFileDlg::c_insertFileDlg(HWND hParent, DWORD dwFlags)
    : m_ofn(), m_fileBuffer(kFileBufferSize, '\0'), m_strInitialDir(CurrentFolder())
{
    m_ofn.lStructSize = sizeof(m_ofn);
    m_ofn.hwndOwner = hParent;
    m_ofn.Flags = dwFlags | OFN_ENABLESIZING | OFN_HIDEREADONLY;
    m_ofn.lpstrFilter = kFilter;
    m_ofn.nFilterIndex = 1;
    m_ofn.lpstrFile = m_fileBuffer.data();
    m_ofn.nMaxFile = kFileBufferSize;
    m_ofn.lpstrTitle = "Add action files";
}

INT_PTR c_insertFileDlg::DoModal()
{
    m_ofn.lpstrInitialDir = m_strInitialDir.empty() ? nullptr : m_strInitialDir.c_str();
    m_ofn.hInstance = ModuleInstance();
    m_ofn.lpTemplateName = MAKEINTRESOURCEA(IDD_ADD_ACTION_FILES);
    m_ofn.Flags |= OFN_ENABLEHOOK;
    m_ofn.lpfnHook = HookProc;
    m_ofn.lCustData = reinterpret_cast<LPARAM>(this);
    m_bConfirmed = ::GetOpenFileNameA(&m_ofn) != FALSE;
    return m_bConfirmed ? IDOK : IDCANCEL;
}

std::vector<std::string> c_insertFileDlg::GetPathNames() const
{
    std::vector<std::string> paths;
    if (!m_bConfirmed || !m_ofn.lpstrFile)
        return paths;
    const char *p = m_ofn.lpstrFile;
    const char *end = p + m_ofn.nMaxFile;
    const std::string first(p, strnlen(p, m_ofn.nMaxFile));
    p += first.size() + 1;
    // One file comes back as its full path; several as the folder followed by their names.
    if (p >= end || !*p)
    {
        if (!first.empty())
            paths.push_back(first);
        return paths;
    }
    const std::string folder = (!first.empty() && first.back() == '\\') ? first : first + "\\";
    while (p < end && *p)
    {
        const std::string name(p, strnlen(p, static_cast<size_t>(end - p)));
        paths.push_back(folder + name);
        p += name.size() + 1;
    }
    return paths;
}

UINT_PTR CALLBACK c_insertFileDlg::HookProc(HWND hDlg, UINT uMsg, WPARAM, LPARAM lParam)
{
    c_insertFileDlg *self = nullptr;
    if (uMsg == WM_INITDIALOG)
    {
        self = reinterpret_cast<c_insertFileDlg *>(reinterpret_cast<OPENFILENAMEA *>(lParam)->lCustData);
        ::SetWindowLongPtrA(hDlg, DWLP_USER, reinterpret_cast<LONG_PTR>(self));
    }
    else
        self = reinterpret_cast<c_insertFileDlg *>(::GetWindowLongPtrA(hDlg, DWLP_USER));
    if (!self)
        return FALSE;
    // No exception may cross into the platform's dialog code.
    try
    {
        switch (uMsg)
        {
        case WM_INITDIALOG:
            self->OnInitDialog(hDlg);
            return TRUE;
        case WM_NOTIFY:
            switch (reinterpret_cast<NMHDR *>(lParam)->code)
            {
            case CDN_FOLDERCHANGE:
                self->OnFolderChange(hDlg);
                break;
            case CDN_FILEOK:
                // Only reached once the platform accepted the names; its verdict stands.
                self->OnFileNameOK(hDlg);
                break;
            case CDN_HELP:
                return TRUE;
            default:
                break;
            }
            return FALSE;
        case WM_HELP:
            // There is no help to show; unanswered, the request would travel on to the file dialog.
            ::SetWindowLongPtrA(hDlg, DWLP_MSGRESULT, TRUE);
            return TRUE;
        default:
            return FALSE;
        }
    }
    catch (...)
    {
        return FALSE;
    }
}

void c_insertFileDlg::OnInitDialog(HWND hDlg)
{
    ::CheckDlgButton(hDlg, IDC_AF_GLOBAL, m_bMakeGlobal ? BST_CHECKED : BST_UNCHECKED);
    ::EnableWindow(::GetDlgItem(hDlg, IDC_AF_GLOBAL), m_bCheckEnabled != 0);
    ::SendMessageA(::GetParent(hDlg), CDM_SETCONTROLTEXT, IDOK, reinterpret_cast<LPARAM>("Add Action"));
}

void c_insertFileDlg::OnFolderChange(HWND hDlg)
{
    // The platform makes each disc folder it shows the process's current one; a
    // virtual folder (My Computer) leaves the last, and the title keeps naming it.
    const std::string folder = CurrentFolder();
    if (!folder.empty())
        ::SetWindowTextA(::GetParent(hDlg), ("Add Files (" + folder + ")").c_str());
}

void c_insertFileDlg::OnFileNameOK(HWND hDlg)
{
    m_bMakeGlobal = ::IsDlgButtonChecked(hDlg, IDC_AF_GLOBAL) == BST_CHECKED ? 1 : 0;
}

} // namespace mimic
