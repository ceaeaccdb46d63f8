// Every test program runs on one COM apartment thread, as the host's
// user-interface thread does, under a modal driver that fails any dialog
// or message box that a test did not script.
#include <windows.h>
#include <objbase.h>
#include <commctrl.h>
#include <gtest/gtest.h>

#include "tests/support/ModalDriver.h"

int main(int argc, char **argv)
{
    ::testing::InitGoogleTest(&argc, argv);
    refhost::SetModalFailureHandler([](const std::string &what) { ADD_FAILURE() << what; });
    ::CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
    INITCOMMONCONTROLSEX icc = {sizeof(icc), ICC_WIN95_CLASSES};
    ::InitCommonControlsEx(&icc);
    int rc;
    {
        testsupport::ModalDriver guard;
        rc = RUN_ALL_TESTS();
    }
    ::CoUninitialize();
    return rc;
}
