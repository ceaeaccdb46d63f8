#include "host/GridCtrl.h"

#include <algorithm>

#include "base/Raii.h"

namespace {

// Names the column whose texts typed letters search.
const UINT kColumnMessage = 0x40F;
// Column widths are given in pixels for a font whose characters are this
// wide on average (the dialog font at 96 dots per inch); larger fonts and
// higher resolutions widen them in proportion.
const int kDesignCharWidth = 6;

struct GridData
{
    HWND hList = nullptr;
    std::vector<int> columnTypes;
    std::vector<int> columnWidths; // as asked, before scaling
    int charWidth = kDesignCharWidth;
    int searchColumn = 0;
    UINT keyInFlight = 0; // the key whose notification the parent is handling
    std::map<INT_PTR, LPARAM> params;                   // row id -> parameter
    std::map<std::pair<INT_PTR, int>, int> checkStates; // (row id, column) -> state
    INT_PTR nextRowId = 1;
    INT_PTR firstRowId = 1; // rows below it went with DeleteAllRows
    // Row ids in the list's order, so that a walk over every row costs no
    // list messages: rows come only one by one and go only all at once.
    std::vector<HGCROW> order;
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

// The average character width of the list's font, measured as dialogs
// measure their base unit.
int FontCharWidth(HWND hList)
{
    HFONT font = reinterpret_cast<HFONT>(::SendMessageA(hList, WM_GETFONT, 0, 0));
    mimic::WindowDC dc(hList);
    mimic::SelectedObject selected(dc.get(), font ? static_cast<HGDIOBJ>(font) : ::GetStockObject(DEFAULT_GUI_FONT));
    static const char kAlphabet[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz";
    SIZE size = {};
    if (!::GetTextExtentPoint32A(dc.get(), kAlphabet, 52, &size) || size.cx <= 0)
        return kDesignCharWidth;
    return (size.cx / 26 + 1) / 2;
}

int ScaledWidth(const GridData *data, int width)
{
    return ::MulDiv(width, data->charWidth, kDesignCharWidth);
}

void ApplyFont(GridData *data, WPARAM font, BOOL redraw)
{
    ::SendMessageA(data->hList, WM_SETFONT, font, redraw);
    data->charWidth = FontCharWidth(data->hList);
    for (size_t c = 0; c < data->columnWidths.size(); ++c)
        ::SendMessageA(data->hList, LVM_SETCOLUMNWIDTH, c, ScaledWidth(data, data->columnWidths[c]));
}

// The list blends the images of a selected row into the highlight, which
// leaves a check box hard to read; it is drawn again as in any other row.
void DrawSelectedChecks(const GridData *data, NMLVCUSTOMDRAW *cd)
{
    const int index = static_cast<int>(cd->nmcd.dwItemSpec);
    if (!(::SendMessageA(data->hList, LVM_GETITEMSTATE, static_cast<WPARAM>(index), LVIS_SELECTED) & LVIS_SELECTED))
        return;
    for (size_t c = 0; c < data->columnTypes.size(); ++c)
    {
        if (data->columnTypes[c] != GCT_CHECKBOX)
            continue;
        RECT box = {};
        box.top = static_cast<LONG>(c);
        box.left = LVIR_ICON;
        if (!::SendMessageA(data->hList, LVM_GETSUBITEMRECT, static_cast<WPARAM>(index),
                            reinterpret_cast<LPARAM>(&box)))
            continue;
        auto it = data->checkStates.find({static_cast<INT_PTR>(cd->nmcd.lItemlParam), static_cast<int>(c)});
        const int state = it == data->checkStates.end() ? 0 : it->second;
        ImageList_Draw(data->checks.get(), state ? 1 : 0, cd->nmcd.hdc, box.left, box.top, ILD_NORMAL);
    }
}

unsigned char UpperChar(unsigned char c)
{
    // One character, passed in the pointer's low word, is converted in place of a text.
    return static_cast<unsigned char>(
        reinterpret_cast<UINT_PTR>(::CharUpperA(reinterpret_cast<LPSTR>(static_cast<UINT_PTR>(c)))));
}

// Typed characters select the next row, after the focused one and round
// again from the top, whose text in the search column begins with them.
void SelectByInitial(GridData *data, UINT ch)
{
    if (ch == data->keyInFlight)
    {
        // The parent hands back the key's code, not its character: keys
        // without one (arrows, function keys) search for nothing.
        ch = ::MapVirtualKeyA(ch, MAPVK_VK_TO_CHAR) & 0xFFFF;
    }
    if (ch <= ' ' || ch > 0xFF)
        return;
    const int count = static_cast<int>(::SendMessageA(data->hList, LVM_GETITEMCOUNT, 0, 0));
    const int focused =
        static_cast<int>(::SendMessageA(data->hList, LVM_GETNEXTITEM, static_cast<WPARAM>(-1), LVNI_FOCUSED));
    const unsigned char wanted = UpperChar(static_cast<unsigned char>(ch));
    for (int step = 1; step <= count; ++step)
    {
        const int index = (focused + step + count) % count;
        char text[2] = {};
        LVITEMA item = {};
        item.iSubItem = data->searchColumn;
        item.pszText = text;
        item.cchTextMax = sizeof(text);
        ::SendMessageA(data->hList, LVM_GETITEMTEXTA, static_cast<WPARAM>(index), reinterpret_cast<LPARAM>(&item));
        if (!text[0] || UpperChar(static_cast<unsigned char>(text[0])) != wanted)
            continue;
        LVITEMA state = {};
        state.stateMask = LVIS_SELECTED;
        ::SendMessageA(data->hList, LVM_SETITEMSTATE, static_cast<WPARAM>(-1), reinterpret_cast<LPARAM>(&state));
        state.stateMask = LVIS_SELECTED | LVIS_FOCUSED;
        state.state = LVIS_SELECTED | LVIS_FOCUSED;
        ::SendMessageA(data->hList, LVM_SETITEMSTATE, static_cast<WPARAM>(index), reinterpret_cast<LPARAM>(&state));
        ::SendMessageA(data->hList, LVM_ENSUREVISIBLE, static_cast<WPARAM>(index), FALSE);
        return;
    }
}

// Characters reach the rows only through the grid (the parent hands each key
// back), so the list's own search, which knows only the first column, stays
// out. The list's own procedure is kept in its user data: the common
// controls' subclass chain made every message to the list dear on some
// systems, which a walk over 1,000 rows pays 2,000 times.
LRESULT CALLBACK ListProc(HWND hWnd, UINT msg, WPARAM wParam, LPARAM lParam)
{
    const WNDPROC own = reinterpret_cast<WNDPROC>(::GetWindowLongPtrA(hWnd, GWLP_USERDATA));
    if (msg == WM_CHAR)
        return 0;
    if (msg == WM_NCDESTROY)
        ::SetWindowLongPtrA(hWnd, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(own));
    return ::CallWindowProcA(own, hWnd, msg, wParam, lParam);
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
        data->keyInFlight = nm->wVKey;
        Notify(hGrid, GCN_KEYDOWN, nm->wVKey);
        data->keyInFlight = 0;
        return 0;
    }
    case NM_CUSTOMDRAW:
    {
        NMLVCUSTOMDRAW *cd = reinterpret_cast<NMLVCUSTOMDRAW *>(hdr);
        if (cd->nmcd.dwDrawStage == CDDS_PREPAINT)
            return CDRF_NOTIFYITEMDRAW;
        if (cd->nmcd.dwDrawStage == CDDS_ITEMPREPAINT)
            return CDRF_NOTIFYPOSTPAINT;
        if (cd->nmcd.dwDrawStage == CDDS_ITEMPOSTPAINT)
            DrawSelectedChecks(data, cd);
        return CDRF_DODEFAULT;
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
        ::SetWindowLongPtrA(data->hList, GWLP_USERDATA,
                            ::SetWindowLongPtrA(data->hList, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(ListProc)));
        ApplyFont(data, static_cast<WPARAM>(::SendMessageA(::GetParent(hWnd), WM_GETFONT, 0, 0)), FALSE);
        return 0;
    }
    case WM_SETFONT:
        if (data)
            ApplyFont(data, wParam, LOWORD(lParam));
        return 0;
    case WM_GETFONT:
        return data ? ::SendMessageA(data->hList, WM_GETFONT, 0, 0) : 0;
    case WM_SIZE:
        if (data)
            ::MoveWindow(data->hList, 0, 0, LOWORD(lParam), HIWORD(lParam), TRUE);
        return 0;
    case WM_SETFOCUS:
        if (data)
            ::SetFocus(data->hList);
        return 0;
    case WM_CHAR:
        if (data)
            SelectByInitial(data, static_cast<UINT>(wParam));
        return 0;
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
        if (data)
            data->searchColumn = static_cast<int>(wParam);
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
    const int width = (column.mask & GCCF_WIDTH) ? column.width : 60;
    lvc.cx = ScaledWidth(data, width);
    const int index = static_cast<int>(data->columnTypes.size());
    if (::SendMessageA(data->hList, LVM_INSERTCOLUMNA, static_cast<WPARAM>(index), reinterpret_cast<LPARAM>(&lvc)) < 0)
        return -1;
    data->columnTypes.push_back((column.mask & GCCF_TYPE) ? column.type : GCT_TEXT);
    data->columnWidths.push_back(width);
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
        lvc.cx = ScaledWidth(data, column.width);
        data->columnWidths[static_cast<size_t>(nColumn)] = column.width;
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
    const int index = static_cast<int>(::SendMessageA(data->hList, LVM_INSERTITEMA, 0, reinterpret_cast<LPARAM>(&item)));
    if (index < 0)
        return nullptr;
    HGCROW row = reinterpret_cast<HGCROW>(id);
    data->order.insert(data->order.begin() + std::min(static_cast<size_t>(index), data->order.size()), row);
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
    // Rows go only all at once, so a row's id tells whether it is there; its
    // position costs a search of the list and is looked up only for its text.
    const INT_PTR id = reinterpret_cast<INT_PTR>(gi.row);
    if (!data || id < data->firstRowId || id >= data->nextRowId)
        return false;
    if (gi.mask & GCIF_CHECK)
    {
        auto it = data->checkStates.find({reinterpret_cast<INT_PTR>(gi.row), gi.column});
        gi.checkState = it == data->checkStates.end() ? 0 : it->second;
    }
    if (gi.mask & GCIF_TEXT)
    {
        const int index = RowIndex(data->hList, gi.row);
        if (index < 0)
            return false;
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
    data->firstRowId = data->nextRowId;
    data->params.clear();
    data->checkStates.clear();
    data->order.clear();
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
    if (nFlags != GCRS_SELECTED)
    {
        it.m_rows = data->order;
        return it;
    }
    for (int i = -1;
         (i = static_cast<int>(::SendMessageA(data->hList, LVM_GETNEXTITEM, static_cast<WPARAM>(i), LVNI_SELECTED))) >= 0;)
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
