#include "refhost/com/RefOptionsDialog.h"

#include <commctrl.h>
#include <prsht.h>
#include <string>
#include <vector>

namespace refhost {

namespace {

// Dialog units. The page area fits the plug-in's page of 252 by 201.
const short kMargin = 7;
const short kPageTop = 19;
const short kPageWidth = 252;
const short kPageHeight = 201;
const short kButtonTop = kPageTop + kPageHeight + kMargin;
const short kWidth = kPageWidth + 2 * kMargin;
const short kHeight = kButtonTop + 14 + kMargin;

// An in-memory dialog template: the host has no resources of its own.
class TemplateBuilder
{
public:
    TemplateBuilder(DWORD style, short cx, short cy, const char *caption, WORD pointSize, const char *face)
    {
        Dword(style);
        Dword(0); // extended style
        m_countAt = m_words.size();
        Word(0); // items, counted as they come
        Word(0);
        Word(0);
        Word(static_cast<WORD>(cx));
        Word(static_cast<WORD>(cy));
        Word(0); // no menu
        Word(0); // the dialog class
        Text(caption);
        Word(pointSize);
        Text(face);
    }

    // atom: 0x0080 button, 0x0082 static.
    void Item(WORD atom, DWORD style, short x, short y, short cx, short cy, int id, const char *text)
    {
        if (m_words.size() % 2)
            Word(0); // items start on a DWORD boundary
        Dword(style | WS_CHILD | WS_VISIBLE);
        Dword(0);
        Word(static_cast<WORD>(x));
        Word(static_cast<WORD>(y));
        Word(static_cast<WORD>(cx));
        Word(static_cast<WORD>(cy));
        Word(static_cast<WORD>(id));
        Word(0xFFFF);
        Word(atom);
        Text(text);
        Word(0); // no creation data
        ++m_words[m_countAt];
    }

    LPCDLGTEMPLATEA Get() const { return reinterpret_cast<LPCDLGTEMPLATEA>(m_words.data()); }

private:
    void Word(WORD w) { m_words.push_back(w); }
    void Dword(DWORD d)
    {
        Word(LOWORD(d));
        Word(HIWORD(d));
    }
    void Text(const char *text)
    {
        for (const char *p = text; *p; ++p)
            Word(static_cast<unsigned char>(*p));
        Word(0);
    }

    std::vector<WORD> m_words;
    size_t m_countAt = 0;
};

std::string WindowText(HWND hWnd)
{
    char text[256] = {};
    ::GetWindowTextA(hWnd, text, sizeof(text));
    return text;
}

} // namespace

RefOptionsDialog::RefOptionsDialog(PageFactory factory) : m_factory(std::move(factory)) {}

INT_PTR RefOptionsDialog::DoModal(HWND hOwner)
{
    TemplateBuilder dlg(DS_SETFONT | DS_MODALFRAME | DS_CENTER | WS_POPUP | WS_CAPTION | WS_SYSMENU, kWidth,
                        kHeight, kCaption, 8, "MS Shell Dlg");
    dlg.Item(0x0082, SS_LEFT | SS_NOPREFIX, kMargin, kMargin, kPageWidth, 8, kTitleId, "");
    dlg.Item(0x0080, BS_PUSHBUTTON | WS_TABSTOP, kMargin, kButtonTop, 70, 14, kRestoreId, "Restore Defaults");
    dlg.Item(0x0080, BS_DEFPUSHBUTTON | WS_TABSTOP, kWidth - kMargin - 158, kButtonTop, 50, 14, IDOK, "OK");
    dlg.Item(0x0080, BS_PUSHBUTTON | WS_TABSTOP, kWidth - kMargin - 104, kButtonTop, 50, 14, IDCANCEL, "Cancel");
    dlg.Item(0x0080, BS_PUSHBUTTON | WS_TABSTOP, kWidth - kMargin - 50, kButtonTop, 50, 14, kApplyId, "Apply");
    m_bModified = false;
    m_nRefused = 0;
    return ::DialogBoxIndirectParamA(::GetModuleHandleA(nullptr), dlg.Get(), hOwner, DialogProc,
                                     reinterpret_cast<LPARAM>(this));
}

INT_PTR CALLBACK RefOptionsDialog::DialogProc(HWND hWnd, UINT uMsg, WPARAM wParam, LPARAM lParam)
{
    RefOptionsDialog *self = nullptr;
    if (uMsg == WM_INITDIALOG)
    {
        self = reinterpret_cast<RefOptionsDialog *>(lParam);
        self->m_hWnd = hWnd;
        ::SetWindowLongPtrA(hWnd, DWLP_USER, lParam);
    }
    else
        self = reinterpret_cast<RefOptionsDialog *>(::GetWindowLongPtrA(hWnd, DWLP_USER));
    if (!self)
        return FALSE;
    INT_PTR result = self->HandleMessage(uMsg, wParam, lParam);
    if (uMsg == WM_NCDESTROY)
        self->m_hWnd = self->m_hPage = nullptr;
    return result;
}

INT_PTR RefOptionsDialog::HandleMessage(UINT uMsg, WPARAM wParam, LPARAM)
{
    switch (uMsg)
    {
    case WM_INITDIALOG:
        OnInitDialog();
        return TRUE;
    case PSM_CHANGED:
        SetModified(true);
        return TRUE;
    case PSM_UNCHANGED:
        SetModified(false);
        return TRUE;
    case WM_COMMAND:
        if (HIWORD(wParam) != BN_CLICKED)
            return FALSE;
        switch (LOWORD(wParam))
        {
        case IDOK:
            // As a property sheet does: OK applies whether or not anything changed.
            if (Apply())
                ::EndDialog(m_hWnd, IDOK);
            return TRUE;
        case IDCANCEL:
            ::EndDialog(m_hWnd, IDCANCEL);
            return TRUE;
        case kApplyId:
            Apply();
            return TRUE;
        case kRestoreId:
            RestoreDefaults();
            return TRUE;
        default:
            return FALSE;
        }
    default:
        return FALSE;
    }
}

void RefOptionsDialog::OnInitDialog()
{
    ::EnableWindow(::GetDlgItem(m_hWnd, kApplyId), FALSE);
    m_hPage = m_factory ? m_factory(m_hWnd) : nullptr;
    if (!m_hPage)
        return;
    RECT area = {kMargin, kPageTop, 0, 0};
    ::MapDialogRect(m_hWnd, &area);
    ::SetWindowPos(m_hPage, HWND_TOP, area.left, area.top, 0, 0, SWP_NOSIZE | SWP_NOACTIVATE);
    ::ShowWindow(m_hPage, SW_SHOW);
    ::SetDlgItemTextA(m_hWnd, kTitleId, WindowText(m_hPage).c_str());
}

bool RefOptionsDialog::Apply()
{
    if (!m_hPage)
        return true;
    PSHNOTIFY notify = {};
    notify.hdr.hwndFrom = m_hWnd;
    notify.hdr.idFrom = 0;
    notify.hdr.code = PSN_APPLY;
    ::SetWindowLongPtrA(m_hPage, DWLP_MSGRESULT, PSNRET_NOERROR);
    ::SendMessageA(m_hPage, WM_NOTIFY, 0, reinterpret_cast<LPARAM>(&notify));
    if (::GetWindowLongPtrA(m_hPage, DWLP_MSGRESULT) != PSNRET_NOERROR)
    {
        ++m_nRefused;
        return false;
    }
    SetModified(false);
    return true;
}

void RefOptionsDialog::RestoreDefaults()
{
    if (!m_hPage)
        return;
    NMHDR hdr = {};
    hdr.hwndFrom = m_hWnd;
    hdr.idFrom = 0;
    hdr.code = kRestoreDefaultsCode;
    ::SendMessageA(m_hPage, WM_NOTIFY, 0, reinterpret_cast<LPARAM>(&hdr));
}

void RefOptionsDialog::SetModified(bool bModified)
{
    m_bModified = bModified;
    HWND hApply = ::GetDlgItem(m_hWnd, kApplyId);
    // A disabled button that keeps the focus would leave the keyboard nowhere to go.
    if (!bModified && ::GetFocus() == hApply)
        ::SendMessageA(m_hWnd, WM_NEXTDLGCTL, reinterpret_cast<WPARAM>(::GetDlgItem(m_hWnd, IDOK)), TRUE);
    ::EnableWindow(hApply, bModified ? TRUE : FALSE);
}

} // namespace refhost
