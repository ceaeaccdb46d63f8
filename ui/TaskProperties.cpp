#include "ui/TaskProperties.h"

#include <cstdlib>

#include "base/Raii.h"
#include "base/Text.h"
#include "host/baseutil.h"
#include "host/hostapi.h"
#include "library/ActionCatalogue.h"
#include "library/ActionOperations.h"
#include "ui/MessageBox.h"
#include "ui/resource.h"

namespace mimic {

namespace {

std::string Trim(const std::string &text)
{
    const char *blanks = " \t\r\n\v\f";
    size_t first = text.find_first_not_of(blanks);
    if (first == std::string::npos)
        return std::string();
    return text.substr(first, text.find_last_not_of(blanks) - first + 1);
}

} // namespace

CTaskProperties::CTaskProperties(IUnknown *pFramework, HWND hParent)
    : CTaskProperties(pFramework, hParent, ActionCatalogue::Instance())
{
}

CTaskProperties::CTaskProperties(IUnknown *pFramework, HWND hParent, ActionCatalogue &catalogue)
    : CDialog(IDD_TASK_PROPERTIES, hParent), m_pHotkeyEdit(new KHotkeyEdit()), m_pFramework(pFramework),
      m_catalogue(catalogue)
{
    OnCommandCode(IDC_TP_NAME, EN_CHANGE, [this] { OnNameChanged(); });
    OnCommandCode(IDC_TP_REPEAT, EN_CHANGE, [this] {
        if (!m_bFilling)
            ValidateRepeat();
    });
    OnCommandCode(IDC_TP_NEW, EN_CHANGE, [this] {
        if (!m_bFilling)
            UpdateAssignmentStatus();
    });
    OnCommand(IDC_TP_GLOBAL, [this] { UpdateData(true); });
    OnCommand(IDC_TP_MENU, [this] { UpdateData(true); });
    OnCommand(IDC_TP_ASSIGN, [this] { OnAssign(); });
    OnCommand(IDC_TP_REMOVE, [this] { OnRemove(); });
}

CTaskProperties::~CTaskProperties() = default;

bool CTaskProperties::DoDataExchange(bool bSaveAndValidate)
{
    HWND hDlg = GetSafeHwnd();
    if (bSaveAndValidate)
    {
        m_entry.strName = WindowText(Item(IDC_TP_NAME));
        // An empty repeat text is the repeat check's to report; it leaves the count alone.
        const std::string repeat = WindowText(Item(IDC_TP_REPEAT));
        if (!repeat.empty())
            m_entry.nRepeat = std::atoi(repeat.c_str());
        m_entry.bGlobal = ::IsDlgButtonChecked(hDlg, IDC_TP_GLOBAL) == BST_CHECKED;
        m_entry.bMenu = ::IsDlgButtonChecked(hDlg, IDC_TP_MENU) == BST_CHECKED;
        m_entry.strAccel = WindowText(Item(IDC_TP_CURRENT));
        m_pHotkeyEdit->StoreText(WindowText(m_pHotkeyEdit->GetHwnd()));
        return true;
    }
    m_bFilling = true;
    ::SetDlgItemTextA(hDlg, IDC_TP_NAME, m_entry.strName.c_str());
    ::SetDlgItemInt(hDlg, IDC_TP_REPEAT, static_cast<UINT>(m_entry.nRepeat), TRUE);
    ::CheckDlgButton(hDlg, IDC_TP_GLOBAL, m_entry.bGlobal ? BST_CHECKED : BST_UNCHECKED);
    ::CheckDlgButton(hDlg, IDC_TP_MENU, m_entry.bMenu ? BST_CHECKED : BST_UNCHECKED);
    ::SetDlgItemTextA(hDlg, IDC_TP_CURRENT, m_entry.strAccel.c_str());
    m_pHotkeyEdit->SetWindowTextA(m_pHotkeyEdit->StoredText().c_str());
    m_bFilling = false;
    return true;
}

BOOL CTaskProperties::OnInitDialog()
{
    HWND hDlg = GetSafeHwnd();
    m_pHotkeyEdit->Attach(Item(IDC_TP_NEW), Item(IDC_TP_ASSIGNED), Item(IDC_TP_WARNING));

    HWND hSpin = Item(IDC_TP_SPIN);
    ::SendMessageA(hSpin, UDM_SETRANGE32, 1, 999);
    ::SendMessageA(hSpin, UDM_SETPOS32, 0, 1);

    BOOL bDefaultFocus = TRUE;
    if (!IsNewMode())
    {
        m_entry.bGlobal = m_pEditEntry->bGlobal;
        m_entry.nRepeat = m_pEditEntry->nRepeat;
        m_entry.strAccel = m_pEditEntry->strAccel;
        m_entry.strName = m_pEditEntry->strName;
        m_entry.strPath = m_pEditEntry->strPath;
        m_entry.bMenu = m_pEditEntry->bMenu;
        ::EnableWindow(Item(IDC_TP_NAME), FALSE);
        ::SendMessageA(hSpin, UDM_SETPOS32, 0, static_cast<short>(m_entry.nRepeat));
    }
    else
    {
        ::SendMessageA(hDlg, WM_NEXTDLGCTL, reinterpret_cast<WPARAM>(Item(IDC_TP_NAME)), TRUE);
        ::EnableWindow(Item(IDC_TP_NAME), TRUE);
        EnableOk(false);
        bDefaultFocus = FALSE;
    }

    // Without a workspace there is no local folder.
    ComPtr<IUnknown> workspace;
    if (hostapi::ConnectOpenPlugIn(m_pFramework, false, CLSID_WorkspaceManager, IID_IPlugIn, workspace.PutVoid()) !=
            S_OK ||
        !workspace)
    {
        m_entry.bGlobal = true;
        ::EnableWindow(Item(IDC_TP_GLOBAL), FALSE);
    }
    workspace.Reset();

    m_pHotkeyEdit->AssignedLine().ShowWindow(SW_HIDE);
    m_pHotkeyEdit->WarningLine().ShowWindow(SW_HIDE);
    ::EnableWindow(Item(IDC_TP_ASSIGN), FALSE);
    ::EnableWindow(Item(IDC_TP_REMOVE), !m_entry.strAccel.empty());
    m_pHotkeyEdit->StoreText(m_entry.strAccel);
    UpdateData(false);
    UpdateAssignmentStatus();
    return bDefaultFocus;
}

bool CTaskProperties::NameUsable() const
{
    const std::string name = Trim(m_entry.strName);
    // The typed name is trimmed: what is left must be a name of its own.
    return IsNewMode() ? IsNamedActionName(name) : !name.empty();
}

void CTaskProperties::EnableOk(bool bEnable)
{
    ::EnableWindow(Item(IDOK), bEnable ? TRUE : FALSE);
}

void CTaskProperties::OnNameChanged()
{
    if (m_bFilling)
        return;
    UpdateData(true);
    m_entry.strName = Trim(m_entry.strName);
    EnableOk(NameUsable());
}

bool CTaskProperties::ValidateRepeat()
{
    const std::string text = WindowText(Item(IDC_TP_REPEAT));
    if (text.empty())
    {
        ShowMessage(GetSafeHwnd(), "Please specify an integer value for repeat time.", "Warning",
                    MB_OK | MB_ICONEXCLAMATION);
        EnableOk(false);
        return false;
    }
    // strtoll saturates, so any run of digits above 999 is caught.
    long long value = std::strtoll(text.c_str(), nullptr, 10);
    if (value > 999)
    {
        value = 999;
        m_bFilling = true;
        ::SetDlgItemTextA(GetSafeHwnd(), IDC_TP_REPEAT, "999");
        m_bFilling = false;
    }
    m_entry.nRepeat = static_cast<int>(value);
    EnableOk(!IsNewMode() || NameUsable());
    return true;
}

std::string CTaskProperties::HostCommandFor(const ACCEL &accel) const
{
    if (!m_pFramework)
        return std::string();
    ComPtr<IHostAccelerators> service;
    if (FAILED(m_pFramework->QueryInterface(IID_IHostAccelerators, service.PutVoid())) || !service)
        return std::string();
    for (const GUID *context : {&CLSID_EditorDocument, &CLSID_HostPlugIn, &CLSID_HostGlobalCommands})
    {
        UniqueBstr command;
        if (service->GetCommandForKey(accel.fVirt, accel.key, *context, command.put()) == S_OK)
            return NarrowFromBstr(command.get());
    }
    return std::string();
}

void CTaskProperties::UpdateAssignmentStatus()
{
    UpdateData(true);
    const std::string pressed = WindowText(m_pHotkeyEdit->GetHwnd());
    const ActionEntry *owner = m_catalogue.FindByAccel(pressed.c_str());
    const std::string hostCommand = HostCommandFor(m_pHotkeyEdit->Accel());

    ::EnableWindow(Item(IDC_TP_ASSIGN), TRUE);
    m_pHotkeyEdit->WarningLine().ShowWindow(SW_HIDE);
    std::string status;
    if (owner && !owner->strAccel.empty() && hostCommand.empty())
        status = "\nCurrently assigned to: " + owner->strName + ", " + owner->strAccel;
    else if (!hostCommand.empty())
    {
        status = "\nCurrently assigned to: " + hostCommand;
        m_pHotkeyEdit->WarningLine().SetWindowTextA("Global hotkey cannot be assigned to this action");
        m_pHotkeyEdit->WarningLine().ShowWindow(SW_SHOW);
        ::EnableWindow(Item(IDC_TP_ASSIGN), FALSE);
    }
    else
        status = "\n[unassigned]";
    m_pHotkeyEdit->AssignedLine().SetWindowTextA(status.c_str());
    m_pHotkeyEdit->AssignedLine().ShowWindow(SW_SHOW);
}

void CTaskProperties::OnAssign()
{
    UpdateData(true);
    m_entry.strAccel = WindowText(m_pHotkeyEdit->GetHwnd());
    ::EnableWindow(Item(IDC_TP_REMOVE), !m_entry.strAccel.empty());
    UpdateData(false);
}

void CTaskProperties::OnRemove()
{
    UpdateData(true);
    m_entry.strAccel.clear();
    ::EnableWindow(Item(IDC_TP_REMOVE), FALSE);
    UpdateData(false);
}

void CTaskProperties::OnOK()
{
    UpdateData(true);
    if (!ValidateRepeat())
    {
        ::SetFocus(Item(IDC_TP_REPEAT));
        return;
    }
    if (IsNewMode())
    {
        // The recorder takes the hotkey from other actions once the recording
        // really starts: a start declined afterwards (an existing script not
        // overwritten) must leave them their hotkeys.
        m_entry.strName = Trim(m_entry.strName);
        EndDialog(IDOK);
        return;
    }

    ActionEntry &edited = *m_pEditEntry;
    const bool accelChanged = m_entry.strAccel != edited.strAccel;
    m_bModified = m_entry.nRepeat != edited.nRepeat || accelChanged || m_entry.bGlobal != edited.bGlobal ||
                  m_entry.bMenu != edited.bMenu;
    if (m_entry.bGlobal == edited.bGlobal)
    {
        if (accelChanged)
        {
            const std::string previous = edited.strAccel;
            edited.strAccel = m_entry.strAccel;
            // Two actions would answer one hotkey: the dialog stays, to try
            // again or cancel.
            if (!m_catalogue.ClearAccel(edited))
            {
                edited.strAccel = previous;
                ReportSaveFailure(GetSafeHwnd(), m_catalogue.LastSaveError());
                return;
            }
        }
        edited.nRepeat = m_entry.nRepeat;
        edited.strName = Trim(m_entry.strName);
        edited.bMenu = m_entry.bMenu;
        EndDialog(IDOK);
        return;
    }
    if (MoveToOtherFolder())
        EndDialog(IDOK);
}

bool CTaskProperties::MoveToOtherFolder()
{
    const auto confirmOverwrite = [this] { return ConfirmFolderOverwrite(GetSafeHwnd()); };
    DWORD dwError = ERROR_SUCCESS;
    ActionOperations operations(m_pFramework, m_catalogue);
    const bool moved = operations.MoveToOtherFolder(*m_pEditEntry, m_entry, confirmOverwrite, dwError);
    if (!operations.KeptScript().empty())
    {
        // Nothing moved; the dialog stays, to try again once the script is free, or cancel.
        std::string reason = SystemMessage(dwError);
        while (!reason.empty() && (reason.back() == '\n' || reason.back() == '\r' || reason.back() == ' '))
            reason.pop_back();
        const std::string text = "Can't move the action: " + operations.KeptScript() + " can't be deleted. " + reason +
                                 " The action stays where it was.";
        ShowMessage(GetSafeHwnd(), text.c_str(), "NEXO Action Recorder/Player", MB_OK | MB_ICONERROR);
        return false;
    }
    if (!operations.SaveError().empty())
    {
        ReportSaveFailure(GetSafeHwnd(), operations.SaveError());
        // Not moved: nothing changed, and the dialog stays to try again or cancel.
        return moved;
    }
    // Keeping the script already in the other folder is the user's choice, not a failure.
    if (moved || dwError == ERROR_SUCCESS)
        return true;
    const std::string text = "Can't save " + m_entry.strPath + " file. " + SystemMessage(dwError);
    ShowMessage(GetSafeHwnd(), text.c_str(), "NEXO Action Recorder/Player", MB_OK | MB_ICONERROR);
    return true;
}

} // namespace mimic
