// The dialogs that only the tests and the screenshot tool show.
#pragma once

#define IDD_TEST_HOTKEY 901
#define IDC_TEST_HOTKEY 9001
#define IDC_TEST_ASSIGNED 9002
#define IDC_TEST_WARNING 9003

#ifndef RC_INVOKED
#include "ui/Dialog.h"
#include "ui/HotkeyEdit.h"

namespace testsupport {

// A dialog that holds a hotkey field, as Action Properties does, with a text on its warning line if given.
class HotkeyDialog : public mimic::CDialog
{
public:
    explicit HotkeyDialog(const char *warning = nullptr) : CDialog(IDD_TEST_HOTKEY, nullptr), m_warning(warning) {}
    BOOL OnInitDialog() override
    {
        field.Attach(Item(IDC_TEST_HOTKEY), Item(IDC_TEST_ASSIGNED), Item(IDC_TEST_WARNING));
        if (m_warning)
            field.WarningLine().SetWindowTextA(m_warning);
        ::SetFocus(Item(IDC_TEST_HOTKEY));
        return FALSE;
    }
    mimic::KHotkeyEdit field;

private:
    const char *m_warning;
};

} // namespace testsupport
#endif
