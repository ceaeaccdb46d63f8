// Action Properties: names a new action (new mode) or edits an existing one
// (edit mode): repeat count, global or local, menu entry and hotkey.
#pragma once

#include <unknwn.h>
#include <memory>
#include <string>

#include "library/ActionEntry.h"
#include "ui/Dialog.h"
#include "ui/HotkeyEdit.h"

namespace mimic {

class ActionCatalogue;

class CTaskProperties : public CDialog
{
public:
    CTaskProperties(IUnknown *pFramework, HWND hParent);
    CTaskProperties(IUnknown *pFramework, HWND hParent, ActionCatalogue &catalogue);
    ~CTaskProperties() override;

    void SetInitialEntry(const ActionEntry &entry) { m_entry = entry; }
    // Edit mode: the record (a working copy of the catalogue's) that OK updates.
    void SetEditEntry(ActionEntry *pEntry) { m_pEditEntry = pEntry; }

    // Results, readable after the dialog closed. New mode: the action as the
    // user settled it. Edit mode: whether OK found a setting changed.
    const ActionEntry &Entry() const { return m_entry; }
    bool Modified() const { return m_bModified; }

protected:
    bool DoDataExchange(bool bSaveAndValidate) override;
    BOOL OnInitDialog() override;
    void OnOK() override;

private:
    void OnNameChanged();
    bool ValidateRepeat();
    void UpdateAssignmentStatus();
    void OnAssign();
    void OnRemove();
    // False when the dialog stays open: the move saved nothing.
    bool MoveToOtherFolder();
    std::string HostCommandFor(const ACCEL &accel) const;
    bool NameUsable() const;
    void EnableOk(bool bEnable);
    bool IsNewMode() const { return m_pEditEntry == nullptr; }

    ActionEntry m_entry;
    bool m_bModified = false;
    std::unique_ptr<KHotkeyEdit> m_pHotkeyEdit;
    ActionEntry *m_pEditEntry = nullptr; // not owned
    IUnknown *m_pFramework;              // not owned, no reference taken
    ActionCatalogue &m_catalogue;
    // Set while the dialog fills its controls, so their change handlers keep still.
    bool m_bFilling = false;
};

} // namespace mimic
