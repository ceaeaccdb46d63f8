// Ids of the dialogs that only the tests and the screenshot tool show.
#pragma once

#define IDD_TEST_HOTKEY 901
#define IDC_TEST_HOTKEY 9001
#define IDC_TEST_ASSIGNED 9002
#define IDC_TEST_WARNING 9003
