#include "host/GridCtrl.h"

#include "base/Raii.h"

namespace {

const UINT kColumnMessage = 0x40F; // accepted; the list sizes its columns itself

struct GridData
{
    HWND hList = nullptr;
    std::vector<int> columnTypes;
    std::map<INT_PTR, LPARAM> params;                   // row id -> parameter
    std::map<std::pair<INT_PTR, int>, int> checkStates; // (row id, column) -> state
    INT_PTR nextRowId = 1;
    mimic::UniqueImageList checks; // shared with the list, which must not destroy it
};

GridData *Data(HWND hGrid)
{
    return hGrid ? reinterpret_cast<GridData *>(::GetWindowLongPtrA(hGrid, GWLP_USERDATA)) : nullptr;
}

mimic::UniqueImageList MakeCheckImages(HWND hWnd)
{
    const int size = ::GetSystemMetrics(SM_CYSMICON);
    mimic::UniqueImageList list(ImageList_Create(size, size, ILC_COLOR24 | ILC_MASK, 2, 0));
    mimic::WindowDC screen(hWnd);
    for (UINT state : {0u, static_cast<UINT>(DFCS_CHECKED)})
    {
        mimic::UniqueMemoryDC dc(::CreateCompatibleDC(screen.get()));
        mimic::UniqueHBitmap bmp(::CreateCompatibleBitmap(screen.get(), size, size));
        {
            // The bitmap must be out of the DC before the image list copies it.
            mimic::SelectedObject drawing(dc.get(), bmp.get());
            RECT rc = {0, 0, size, size};
            ::FillRect(dc.get(), &rc, ::GetSysColorBrush(COLOR_WINDOW));
            RECT box = {2, 2, size - 2, size - 2};
            ::DrawFrameControl(dc.get(), &box, DFC_BUTTON, DFCS_BUTTONCHECK | DFCS_FLAT | state);
        }
        ImageList_AddMasked(list.get(), bmp.get(), ::GetSysColor(COLOR_WINDOW) ^ 0x010101);
    }
    return list;
}

int RowIndex(HWND hList, HGCROW hRow)
{
    LVFINDINFOA find = {};
    find.flags = LVFI_PARAM;
    find.lParam = reinterpret_cast<LPARAM>(hRow);
    return static_cast<int>(::SendMessageA(hList, LVM_FINDITEMA, static_cast<WPARAM>(-1), reinterpret_cast<LPARAM>(&find)));
}

void ShowCheck(HWND hList, int index, int column, int state)
{
    LVITEMA item = {};
    item.mask = LVIF_IMAGE;
    item.iItem = index;
    item.iSubItem = column;
    item.iImage = state ? 1 : 0;
    ::SendMessageA(hList, LVM_SETITEMA, 0, reinterpret_cast<LPARAM>(&item));
}

void ToggleCheck(HWND hGrid, GridData *data, int index, int column)
{
    LVITEMA item = {};
    item.mask = LVIF_PARAM;
    item.iItem = index;
    if (!::SendMessageA(data->hList, LVM_GETITEMA, 0, reinterpret_cast<LPARAM>(&item)))
        return;
    int &state = data->checkStates[{item.lParam, column}];
    state = state ? 0 : 1;
    ShowCheck(data->hList, index, column, state);
    ::InvalidateRect(hGrid, nullptr, FALSE);
}

void Notify(HWND hGrid, UINT code, UINT vk = 0)
{
    NMGCKEY nm = {};
    nm.hdr.hwndFrom = hGrid;
    nm.hdr.idFrom = static_cast<UINT_PTR>(::GetDlgCtrlID(hGrid));
    nm.hdr.code = code;
    nm.nVirtKey = vk;
    ::SendMessageA(::GetParent(hGrid), WM_NOTIFY, nm.hdr.idFrom, reinterpret_cast<LPARAM>(&nm));
}

LRESULT OnListNotify(HWND hGrid, GridData *data, NMHDR *hdr)
{
    switch (hdr->code)
    {
    case LVN_ITEMCHANGED:
    {
        NMLISTVIEW *nm = reinterpret_cast<NMLISTVIEW *>(hdr);
        if ((nm->uChanged & LVIF_STATE) && ((nm->uOldState ^ nm->uNewState) & LVIS_SELECTED))
            Notify(hGrid, GCN_SELCHANGED);
        return 0;
    }
    case NM_DBLCLK:
        Notify(hGrid, GCN_DBLCLK);
        return 0;
    case NM_CLICK:
    {
        NMITEMACTIVATE *nm = reinterpret_cast<NMITEMACTIVATE *>(hdr);
        LVHITTESTINFO hit = {};
        hit.pt = nm->ptAction;
        if (::SendMessageA(data->hList, LVM_SUBITEMHITTEST, 0, reinterpret_cast<LPARAM>(&hit)) >= 0 &&
            hit.iSubItem >= 0 && hit.iSubItem < static_cast<int>(data->columnTypes.size()) &&
            data->columnTypes[static_cast<size_t>(hit.iSubItem)] == GCT_CHECKBOX)
            ToggleCheck(hGrid, data, hit.iItem, hit.iSubItem);
        return 0;
    }
    case LVN_KEYDOWN:
    {
        NMLVKEYDOWN *nm = reinterpret_cast<NMLVKEYDOWN *>(hdr);
        if (nm->wVKey == VK_SPACE)
        {
            // Space toggles the check boxes of the selected rows, as in a list.
            for (int i = -1; (i = static_cast<int>(::SendMessageA(data->hList, LVM_GETNEXTITEM, static_cast<WPARAM>(i),
                                                                  LVNI_SELECTED))) >= 0;)
                for (size_t c = 0; c < data->columnTypes.size(); ++c)
                    if (data->columnTypes[c] == GCT_CHECKBOX)
                        ToggleCheck(hGrid, data, i, static_cast<int>(c));
        }
        Notify(hGrid, GCN_KEYDOWN, nm->wVKey);
        return 0;
    }
    default:
        return 0;
    }
}

LRESULT CALLBACK GridProc(HWND hWnd, UINT msg, WPARAM wParam, LPARAM lParam)
{
    GridData *data = Data(hWnd);
    switch (msg)
    {
    case WM_NCCREATE:
        // The list scrolls itself; scroll bars on the frame around it would be dead.
        ::SetWindowLongA(hWnd, GWL_STYLE, ::GetWindowLongA(hWnd, GWL_STYLE) & ~(WS_HSCROLL | WS_VSCROLL));
        break;
    case WM_CREATE:
    {
        data = new GridData();
        ::SetWindowLongPtrA(hWnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(data));
        ::SetWindowLongA(hWnd, GWL_EXSTYLE, ::GetWindowLongA(hWnd, GWL_EXSTYLE) | WS_EX_CONTROLPARENT);
        RECT rc;
        ::GetClientRect(hWnd, &rc);
        data->hList = ::CreateWindowExA(WS_EX_CLIENTEDGE, WC_LISTVIEWA, "",
                                        WS_CHILD | WS_VISIBLE | WS_TABSTOP | LVS_REPORT | LVS_SHOWSELALWAYS |
                                            LVS_SHAREIMAGELISTS,
                                        0, 0,
                                        rc.right, rc.bottom, hWnd, nullptr, nullptr, nullptr);
        ::SendMessageA(data->hList, LVM_SETEXTENDEDLISTVIEWSTYLE, 0,
                       LVS_EX_FULLROWSELECT | LVS_EX_SUBITEMIMAGES | LVS_EX_GRIDLINES);
        data->checks = MakeCheckImages(hWnd);
        ::SendMessageA(data->hList, LVM_SETIMAGELIST, LVSIL_SMALL, reinterpret_cast<LPARAM>(data->checks.get()));
        ::SendMessageA(data->hList, WM_SETFONT, ::SendMessageA(::GetParent(hWnd), WM_GETFONT, 0, 0), FALSE);
        return 0;
    }
    case WM_SIZE:
        if (data)
            ::MoveWindow(data->hList, 0, 0, LOWORD(lParam), HIWORD(lParam), TRUE);
        return 0;
    case WM_SETFOCUS:
        if (data)
            ::SetFocus(data->hList);
        return 0;
    case WM_CHAR:
        // Keys the parent hands back go to the list (incremental search).
        return data ? ::SendMessageA(data->hList, msg, wParam, lParam) : 0;
    case WM_SETREDRAW:
        // The rows are the list's: it is the one to stop and resume painting.
        if (data)
        {
            ::SendMessageA(data->hList, WM_SETREDRAW, wParam, 0);
            if (wParam)
                ::InvalidateRect(data->hList, nullptr, TRUE);
        }
        return 0;
    case WM_NOTIFY:
        if (data && reinterpret_cast<NMHDR *>(lParam)->hwndFrom == data->hList)
            return OnListNotify(hWnd, data, reinterpret_cast<NMHDR *>(lParam));
        break;
    case kColumnMessage:
        return 0;
    case WM_NCDESTROY:
        if (data)
        {
            delete data;
            ::SetWindowLongPtrA(hWnd, GWLP_USERDATA, 0);
        }
        break;
    default:
        break;
    }
    return ::DefWindowProcA(hWnd, msg, wParam, lParam);
}

} // namespace

bool KGridCtrl::RegisterClass()
{
    static const bool s_registered = [] {
        INITCOMMONCONTROLSEX icc = {sizeof(icc), ICC_LISTVIEW_CLASSES};
        ::InitCommonControlsEx(&icc);
        WNDCLASSA wc = {};
        wc.lpfnWndProc = GridProc;
        // The module that holds this code, which may be the plug-in's DLL.
        HMODULE hModule = nullptr;
        ::GetModuleHandleExA(GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS | GET_MODULE_HANDLE_EX_FLAG_UNCHANGED_REFCOUNT,
                             reinterpret_cast<LPCSTR>(&GridProc), &hModule);
        wc.hInstance = hModule;
        wc.hCursor = ::LoadCursorA(nullptr, IDC_ARROW);
        wc.lpszClassName = ClassName();
        wc.style = CS_GLOBALCLASS;
        return ::RegisterClassA(&wc) != 0 || ::GetLastError() == ERROR_CLASS_ALREADY_EXISTS;
    }();
    return s_registered;
}

void KGridCtrl::Attach(HWND hGrid)
{
    m_hGrid = hGrid;
}

HWND KGridCtrl::ListView() const
{
    GridData *data = Data(m_hGrid);
    return data ? data->hList : nullptr;
}

int KGridCtrl::AddColumn(const char *pszTitle, int nFormat, int nWidth)
{
    GC_COLUMN column;
    column.mask = GCCF_WIDTH | GCCF_TEXT;
    column.text = pszTitle ? pszTitle : "";
    column.width = nWidth;
    int index = AddColumn(column);
    if (index >= 0 && nFormat == 2)
    {
        LVCOLUMNA lvc = {};
        lvc.mask = LVCF_FMT;
        lvc.fmt = LVCFMT_CENTER;
        ::SendMessageA(ListView(), LVM_SETCOLUMNA, static_cast<WPARAM>(index), reinterpret_cast<LPARAM>(&lvc));
    }
    return index;
}

int KGridCtrl::AddColumn(const GC_COLUMN &column)
{
    GridData *data = Data(m_hGrid);
    if (!data)
        return -1;
    LVCOLUMNA lvc = {};
    lvc.mask = LVCF_TEXT | LVCF_WIDTH;
    lvc.pszText = const_cast<char *>((column.mask & GCCF_TEXT) ? column.text.c_str() : "");
    lvc.cx = (column.mask & GCCF_WIDTH) ? column.width : 60;
    const int index = static_cast<int>(data->columnTypes.size());
    if (::SendMessageA(data->hList, LVM_INSERTCOLUMNA, static_cast<WPARAM>(index), reinterpret_cast<LPARAM>(&lvc)) < 0)
        return -1;
    data->columnTypes.push_back((column.mask & GCCF_TYPE) ? column.type : GCT_TEXT);
    return index;
}

bool KGridCtrl::SetColumn(int nColumn, const GC_COLUMN &column)
{
    GridData *data = Data(m_hGrid);
    if (!data || nColumn < 0 || nColumn >= static_cast<int>(data->columnTypes.size()))
        return false;
    if (column.mask & GCCF_TYPE)
        data->columnTypes[static_cast<size_t>(nColumn)] = column.type;
    LVCOLUMNA lvc = {};
    if (column.mask & GCCF_WIDTH)
    {
        lvc.mask |= LVCF_WIDTH;
        lvc.cx = column.width;
    }
    if (column.mask & GCCF_TEXT)
    {
        lvc.mask |= LVCF_TEXT;
        lvc.pszText = const_cast<char *>(column.text.c_str());
    }
    return !lvc.mask ||
           ::SendMessageA(data->hList, LVM_SETCOLUMNA, static_cast<WPARAM>(nColumn), reinterpret_cast<LPARAM>(&lvc));
}

HGCROW KGridCtrl::InsertRow(HGCROW /*hParent*/, HGCROW hAfter)
{
    GridData *data = Data(m_hGrid);
    if (!data)
        return nullptr;
    const INT_PTR id = data->nextRowId++;
    LVITEMA item = {};
    item.mask = LVIF_PARAM | LVIF_TEXT | LVIF_IMAGE;
    item.iItem = hAfter == GCR_LAST ? static_cast<int>(::SendMessageA(data->hList, LVM_GETITEMCOUNT, 0, 0))
                                    : RowIndex(data->hList, hAfter) + 1;
    item.pszText = const_cast<char *>("");
    item.iImage = I_IMAGENONE;
    item.lParam = id;
    if (::SendMessageA(data->hList, LVM_INSERTITEMA, 0, reinterpret_cast<LPARAM>(&item)) < 0)
        return nullptr;
    HGCROW row = reinterpret_cast<HGCROW>(id);
    int index = RowIndex(data->hList, row);
    for (size_t c = 0; c < data->columnTypes.size(); ++c)
        if (data->columnTypes[c] == GCT_CHECKBOX)
            ShowCheck(data->hList, index, static_cast<int>(c), 0);
    return row;
}

bool KGridCtrl::SetItemText(HGCROW hRow, int nColumn, const char *pszText)
{
    GridData *data = Data(m_hGrid);
    int index = data ? RowIndex(data->hList, hRow) : -1;
    if (index < 0)
        return false;
    LVITEMA item = {};
    item.iSubItem = nColumn;
    item.pszText = const_cast<char *>(pszText ? pszText : "");
    return ::SendMessageA(data->hList, LVM_SETITEMTEXTA, static_cast<WPARAM>(index), reinterpret_cast<LPARAM>(&item)) !=
           0;
}

bool KGridCtrl::SetItem(const GC_ITEM &gi)
{
    GridData *data = Data(m_hGrid);
    int index = data ? RowIndex(data->hList, gi.row) : -1;
    if (index < 0)
        return false;
    if (gi.mask & GCIF_TEXT)
        SetItemText(gi.row, gi.column, gi.text.c_str());
    if (gi.mask & GCIF_CHECK)
    {
        data->checkStates[{reinterpret_cast<INT_PTR>(gi.row), gi.column}] = gi.checkState ? 1 : 0;
        ShowCheck(data->hList, index, gi.column, gi.checkState);
    }
    return true;
}

bool KGridCtrl::GetItem(GC_ITEM &gi) const
{
    GridData *data = Data(m_hGrid);
    int index = data ? RowIndex(data->hList, gi.row) : -1;
    if (index < 0)
        return false;
    if (gi.mask & GCIF_CHECK)
    {
        auto it = data->checkStates.find({reinterpret_cast<INT_PTR>(gi.row), gi.column});
        gi.checkState = it == data->checkStates.end() ? 0 : it->second;
    }
    if (gi.mask & GCIF_TEXT)
    {
        char buf[1024] = {};
        LVITEMA item = {};
        item.iSubItem = gi.column;
        item.pszText = buf;
        item.cchTextMax = sizeof(buf);
        ::SendMessageA(data->hList, LVM_GETITEMTEXTA, static_cast<WPARAM>(index), reinterpret_cast<LPARAM>(&item));
        gi.text = buf;
    }
    return true;
}

bool KGridCtrl::SetRowParam(HGCROW hRow, LPARAM lParam)
{
    GridData *data = Data(m_hGrid);
    if (!data || RowIndex(data->hList, hRow) < 0)
        return false;
    data->params[reinterpret_cast<INT_PTR>(hRow)] = lParam;
    return true;
}

LPARAM KGridCtrl::GetRowParam(HGCROW hRow) const
{
    GridData *data = Data(m_hGrid);
    if (!data)
        return 0;
    auto it = data->params.find(reinterpret_cast<INT_PTR>(hRow));
    return it == data->params.end() ? 0 : it->second;
}

void KGridCtrl::DeleteAllRows()
{
    GridData *data = Data(m_hGrid);
    if (!data)
        return;
    ::SendMessageA(data->hList, LVM_DELETEALLITEMS, 0, 0);
    data->params.clear();
    data->checkStates.clear();
}

int KGridCtrl::GetSelectedCount() const
{
    GridData *data = Data(m_hGrid);
    return data ? static_cast<int>(::SendMessageA(data->hList, LVM_GETSELECTEDCOUNT, 0, 0)) : 0;
}

bool KGridCtrl::SelectRow(HGCROW hRow, bool bSelect)
{
    GridData *data = Data(m_hGrid);
    int index = data ? RowIndex(data->hList, hRow) : -1;
    if (index < 0)
        return false;
    LVITEMA item = {};
    item.stateMask = LVIS_SELECTED | LVIS_FOCUSED;
    item.state = bSelect ? (LVIS_SELECTED | LVIS_FOCUSED) : 0;
    return ::SendMessageA(data->hList, LVM_SETITEMSTATE, static_cast<WPARAM>(index), reinterpret_cast<LPARAM>(&item)) !=
           0;
}

KGridCtrl::iterator KGridCtrl::begin(UINT nFlags) const
{
    iterator it;
    GridData *data = Data(m_hGrid);
    if (!data)
        return it;
    const UINT next = nFlags == GCRS_SELECTED ? LVNI_SELECTED : LVNI_ALL;
    for (int i = -1; (i = static_cast<int>(::SendMessageA(data->hList, LVM_GETNEXTITEM, static_cast<WPARAM>(i), next))) >= 0;)
    {
        LVITEMA item = {};
        item.mask = LVIF_PARAM;
        item.iItem = i;
        ::SendMessageA(data->hList, LVM_GETITEMA, 0, reinterpret_cast<LPARAM>(&item));
        it.m_rows.push_back(reinterpret_cast<HGCROW>(item.lParam));
    }
    return it;
}

KGridCtrl::iterator KGridCtrl::end() const
{
    return iterator();
}
