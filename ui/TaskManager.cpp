#include "ui/TaskManager.h"

#include "base/Text.h"
#include "library/ActionCatalogue.h"
#include "library/ActionOperations.h"
#include "ui/ActionGrid.h"
#include "ui/InsertFileDlg.h"
#include "ui/MessageBox.h"
#include "ui/ReplaceDlg.h"
#include "ui/TaskProperties.h"
#include "ui/resource.h"

namespace mimic {

CTaskManager::CTaskManager(IUnknown *pFramework, HWND hParent)
    : CTaskManager(pFramework, hParent, ActionCatalogue::Instance())
{
}

CTaskManager::CTaskManager(IUnknown *pFramework, HWND hParent, ActionCatalogue &catalogue)
    : CDialog(IDD_TASK_MANAGER, hParent), m_pFramework(pFramework), m_catalogue(catalogue)
{
    KGridCtrl::RegisterClass();
    OnCommand(IDC_TM_ADD, [this] { Add(); });
    OnCommand(IDC_TM_REMOVE, [this] { Remove(); });
    OnCommand(IDC_TM_REFRESH, [this] { Refresh(); });
    OnCommand(IDC_TM_PROPERTIES, [this] { Properties(); });
    OnNotify(IDC_TM_GRID, GCN_SELCHANGED, [this](NMHDR *) {
        UpdateButtons();
        return 0;
    });
    OnNotify(IDC_TM_GRID, GCN_DBLCLK, [this](NMHDR *) {
        Properties();
        return 1;
    });
    OnNotify(IDC_TM_GRID, GCN_KEYDOWN, [this](NMHDR *pHdr) { return OnGridKey(pHdr); });
}

CTaskManager::~CTaskManager()
{
    m_grid.DeleteAllRows();
}

bool CTaskManager::DoDataExchange(bool /*bSaveAndValidate*/)
{
    m_grid.Attach(Item(IDC_TM_GRID));
    return true;
}

BOOL CTaskManager::OnInitDialog()
{
    CDialog::OnInitDialog();
    m_cols = AddActionColumns(m_grid, 1, 170);
    GC_COLUMN menu;
    menu.mask = GCCF_WIDTH | GCCF_TEXT | GCCF_TYPE | GCCF_STYLE;
    menu.width = 40;
    menu.text = "Menu";
    menu.type = GCT_CHECKBOX;
    menu.style = 1;
    m_colMenu = m_grid.AddColumn(menu);

    FillGrid();
    if (m_catalogue.Entries().empty())
    {
        ::EnableWindow(Item(IDC_TM_REMOVE), FALSE);
        ::EnableWindow(Item(IDC_TM_PROPERTIES), FALSE);
    }
    ::SendMessageA(Item(IDC_TM_GRID), 0x40F, static_cast<WPARAM>(m_cols.nAction), 0);
    ::SetFocus(Item(IDC_TM_GRID));
    return FALSE;
}

void CTaskManager::FillGrid()
{
    // Painting after every row makes a large catalogue take minutes to show.
    ::SendMessageA(Item(IDC_TM_GRID), WM_SETREDRAW, FALSE, 0);
    for (ActionEntry &entry : m_catalogue.Entries())
    {
        HGCROW row = AddActionRow(m_grid, m_cols, entry);
        GC_ITEM check;
        check.mask = GCIF_CHECK;
        check.row = row;
        check.column = m_colMenu;
        check.checkState = entry.bMenu ? 1 : 0;
        m_grid.SetItem(check);
    }
    ::SendMessageA(Item(IDC_TM_GRID), WM_SETREDRAW, TRUE, 0);
    ::SetFocus(Item(IDC_TM_GRID));
}

ActionEntry *CTaskManager::RowEntry(HGCROW hRow) const
{
    return reinterpret_cast<ActionEntry *>(m_grid.GetRowParam(hRow));
}

bool CTaskManager::MenuChecked(HGCROW hRow) const
{
    GC_ITEM check;
    check.mask = GCIF_CHECK;
    check.row = hRow;
    check.column = m_colMenu;
    m_grid.GetItem(check);
    return check.checkState != 0;
}

int CTaskManager::SelectedCount()
{
    int count = 0;
    for (auto it = m_grid.begin(GCRS_SELECTED); it != m_grid.end(); ++it)
        ++count;
    return count;
}

void CTaskManager::UpdateButtons()
{
    const int selected = SelectedCount();
    ::EnableWindow(Item(IDC_TM_REMOVE), selected > 0);
    ::EnableWindow(Item(IDC_TM_PROPERTIES), selected == 1);
}

void CTaskManager::Refresh()
{
    m_grid.DeleteAllRows();
    m_catalogue.Reload(false);
    FillGrid();
}

void CTaskManager::Add()
{
    const LocalFolderHosts hosts(m_pFramework); // held until the files are added
    const bool bothOpen = hosts.BothOpen();
    c_insertFileDlg dlg(GetSafeHwnd());
    dlg.m_bMakeGlobal = bothOpen ? 0 : 1;
    dlg.m_bCheckEnabled = bothOpen ? 1 : 0;
    if (dlg.DoModal() != IDOK)
        return;

    const auto askReplace = [this](const std::string &) {
        CReplaceDlg replace(GetSafeHwnd());
        if (replace.DoModal() != IDOK)
            return ReplaceAnswer::Skip;
        return replace.ReplaceAll() ? ReplaceAnswer::ReplaceAll : ReplaceAnswer::Replace;
    };
    ActionOperations operations(m_pFramework, m_catalogue);
    const bool bGlobal = dlg.m_bMakeGlobal != 0;
    const bool added = operations.AddFiles(dlg.GetPathNames(), bGlobal, askReplace);
    for (const ActionOperations::NotAdded &file : operations.NotAddedFiles())
    {
        if (file.dwError == ERROR_SUCCESS)
        {
            const std::string text =
                "Can't add " + file.source + ": it is not a .pl script, or its name can't be an action's name.";
            ShowMessage(GetSafeHwnd(), text.c_str(), "Warning", MB_OK | MB_ICONWARNING);
        }
        else
        {
            const std::string text = "Can't add " + file.source + " to " + m_catalogue.GetFolder(bGlobal) + ". " +
                                     SystemMessage(file.dwError);
            ShowMessage(GetSafeHwnd(), text.c_str(), "NEXO Action Recorder/Player", MB_OK | MB_ICONERROR);
        }
    }
    if (!operations.SaveError().empty())
        ReportSaveFailure(GetSafeHwnd(), operations.SaveError());
    if (added)
        Refresh();
}

void CTaskManager::Remove()
{
    if (ShowMessage(GetSafeHwnd(), "Do you really want to remove action(s) from the disc?", "Warning",
                    MB_YESNO | MB_ICONWARNING) == IDYES)
    {
        ActionOperations operations(m_pFramework, m_catalogue);
        for (auto it = m_grid.begin(GCRS_SELECTED); it != m_grid.end(); ++it)
            if (const ActionEntry *entry = RowEntry(*it))
                (void)operations.Remove(*entry);
        Refresh();
    }
    const bool any = SelectedCount() > 0;
    ::EnableWindow(Item(IDC_TM_REMOVE), any);
    ::EnableWindow(Item(IDC_TM_PROPERTIES), any);
}

void CTaskManager::Properties()
{
    auto it = m_grid.begin(GCRS_SELECTED);
    if (!(it != m_grid.end()))
        return;
    ActionEntry *entry = RowEntry(*it);
    if (!entry)
        return;
    ActionEntry copy = *entry;
    copy.bMenu = MenuChecked(*it);
    CTaskProperties dlg(m_pFramework, GetSafeHwnd(), m_catalogue);
    dlg.SetEditEntry(&copy);
    if (dlg.DoModal() == IDOK && dlg.Modified())
    {
        if (!m_catalogue.SaveEntry(copy))
            ReportSaveFailure(GetSafeHwnd(), m_catalogue.LastSaveError());
        Refresh();
    }
}

LRESULT CTaskManager::OnGridKey(NMHDR *pHdr)
{
    const UINT vk = reinterpret_cast<NMGCKEY *>(pHdr)->nVirtKey;
    if (vk == VK_DELETE)
        Remove();
    else
        ::SendMessageA(Item(IDC_TM_GRID), WM_CHAR, vk, 1);
    return 1;
}

void CTaskManager::OnOK()
{
    // One change of each catalogue file for all the boxes.
    std::vector<ActionEntry> toggled;
    std::vector<ActionEntry *> rows;
    for (auto it = m_grid.begin(GCRS_ALL); it != m_grid.end(); ++it)
    {
        ActionEntry *entry = RowEntry(*it);
        const bool checked = MenuChecked(*it);
        if (entry && checked != entry->bMenu)
        {
            rows.push_back(entry);
            toggled.push_back(*entry);
            toggled.back().bMenu = checked;
        }
    }
    if (!toggled.empty() && !m_catalogue.SaveEntries(toggled))
    {
        // The boxes stay as the user set them, to try again or cancel.
        ReportSaveFailure(GetSafeHwnd(), m_catalogue.LastSaveError());
        return;
    }
    for (size_t i = 0; i < rows.size(); ++i)
        rows[i]->bMenu = toggled[i].bMenu;
    EndDialog(IDOK);
}

} // namespace mimic
