#include "ui/Dialog.h"

namespace mimic {

HINSTANCE ModuleInstance()
{
    HMODULE hModule = nullptr;
    ::GetModuleHandleExA(GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS | GET_MODULE_HANDLE_EX_FLAG_UNCHANGED_REFCOUNT,
                         reinterpret_cast<LPCSTR>(&ModuleInstance), &hModule);
    return hModule;
}

CDialog::CDialog(UINT nTemplateId, HWND hParent) : m_hParent(hParent), m_nTemplateId(nTemplateId) {}

CDialog::~CDialog() = default;

INT_PTR CDialog::DoModal()
{
    return ::DialogBoxParamA(ModuleInstance(), MAKEINTRESOURCEA(m_nTemplateId), m_hParent, DialogProc,
                             reinterpret_cast<LPARAM>(this));
}

bool CDialog::DoDataExchange(bool /*bSaveAndValidate*/)
{
    return true;
}

bool CDialog::UpdateData(bool bSaveAndValidate)
{
    return DoDataExchange(bSaveAndValidate);
}

BOOL CDialog::OnInitDialog()
{
    UpdateData(false);
    return TRUE;
}

void CDialog::OnOK()
{
    if (UpdateData(true))
        EndDialog(IDOK);
}

void CDialog::OnCancel()
{
    EndDialog(IDCANCEL);
}

bool CDialog::OnMessage(UINT, WPARAM, LPARAM, INT_PTR &)
{
    return false;
}

void CDialog::OnCommandCode(int nId, int nCode, std::function<void()> handler)
{
    m_commands[{nId, nCode}] = std::move(handler);
}

void CDialog::OnNotify(int nId, UINT nCode, std::function<LRESULT(NMHDR *)> handler)
{
    m_notifications[{nId, nCode}] = std::move(handler);
}

void CDialog::EndDialog(INT_PTR nResult)
{
    if (m_hWnd)
        ::EndDialog(m_hWnd, nResult);
}

INT_PTR CALLBACK CDialog::DialogProc(HWND hWnd, UINT uMsg, WPARAM wParam, LPARAM lParam)
{
    return RouteDialogMessage<CDialog>(hWnd, uMsg, wParam, lParam,
                                       [](LPARAM param) { return reinterpret_cast<CDialog *>(param); });
}

INT_PTR CDialog::HandleMessage(UINT uMsg, WPARAM wParam, LPARAM lParam)
{
    switch (uMsg)
    {
    case WM_INITDIALOG:
        return OnInitDialog();
    case WM_COMMAND:
    {
        const int id = LOWORD(wParam), code = HIWORD(wParam);
        auto it = m_commands.find({id, code});
        if (it != m_commands.end())
        {
            it->second();
            return TRUE;
        }
        if (code == BN_CLICKED && id == IDOK)
        {
            OnOK();
            return TRUE;
        }
        if (code == BN_CLICKED && id == IDCANCEL)
        {
            OnCancel();
            return TRUE;
        }
        break;
    }
    case WM_NOTIFY:
    {
        NMHDR *hdr = reinterpret_cast<NMHDR *>(lParam);
        auto it = m_notifications.find({static_cast<int>(hdr->idFrom), hdr->code});
        if (it != m_notifications.end())
        {
            ::SetWindowLongPtrA(m_hWnd, DWLP_MSGRESULT, it->second(hdr));
            return TRUE;
        }
        break;
    }
    default:
        break;
    }
    INT_PTR lResult = 0;
    if (OnMessage(uMsg, wParam, lParam, lResult))
        return lResult;
    return FALSE;
}

} // namespace mimic
