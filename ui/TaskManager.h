// The Action Manager: lists every action, adds script files, deletes
// actions, re-reads the folders, opens an action's properties and chooses
// the actions of the host's actions menu.
#pragma once

#include <unknwn.h>

#include "host/GridCtrl.h"
#include "ui/ActionGrid.h"
#include "ui/Dialog.h"

namespace mimic {

class ActionCatalogue;
struct ActionEntry;

class CTaskManager : public CDialog
{
public:
    CTaskManager(IUnknown *pFramework, HWND hParent);
    CTaskManager(IUnknown *pFramework, HWND hParent, ActionCatalogue &catalogue);
    ~CTaskManager() override;

protected:
    bool DoDataExchange(bool bSaveAndValidate) override;
    BOOL OnInitDialog() override;
    void OnOK() override;

private:
    void FillGrid();
    void UpdateButtons();
    int SelectedCount();
    void Refresh();
    void Add();
    void Remove();
    void Properties();
    LRESULT OnGridKey(NMHDR *pHdr);
    ActionEntry *RowEntry(HGCROW hRow) const;
    bool MenuChecked(HGCROW hRow) const;

    KGridCtrl m_grid;
    ActionColumns m_cols;
    int m_colMenu = -1;
    IUnknown *m_pFramework; // not owned
    ActionCatalogue &m_catalogue;
};

} // namespace mimic
