// Player Settings: the user picks an action and a repeat count to play.
#pragma once

#include "host/GridCtrl.h"
#include "ui/ActionGrid.h"
#include "ui/Dialog.h"

namespace mimic {

class ActionCatalogue;
struct ActionEntry;

class KMacroListDlg : public CDialog
{
public:
    explicit KMacroListDlg(HWND hParent);
    KMacroListDlg(HWND hParent, ActionCatalogue &catalogue);
    ~KMacroListDlg() override;

    // Results, readable after the dialog closed: none when no action was chosen.
    ActionEntry *GetChosenAction() const { return m_pChosen; }
    int GetRepeatCount() const { return m_nRepeat; }

protected:
    bool DoDataExchange(bool bSaveAndValidate) override;
    BOOL OnInitDialog() override;
    void OnOK() override;

private:
    void TakeOverSelection();
    void CheckRepeat();
    ActionEntry *FirstSelected() const;

    KGridCtrl m_grid;
    HWND m_hRepeat = nullptr;
    HWND m_hSpin = nullptr;
    ActionColumns m_cols;
    ActionEntry *m_pChosen = nullptr; // in the catalogue's list, not owned
    int m_nRepeat = 1;
    ActionCatalogue &m_catalogue;
};

} // namespace mimic
