// The reference host's modal driver, with its failures reported as test failures.
#pragma once

#include <optional>
#include <string>
#include <utility>

#include "refhost/ModalDriver.h"

namespace testsupport {

using refhost::ModalDriver;
using refhost::ModalWindow;
using refhost::MsgIcon;
using refhost::PopupMenuDriver;
using refhost::SeenWindow;

// Runs the dialog modally with a step for its caption, on the given driver
// (which may expect more windows) or on one of its own.
template <typename Dialog>
INT_PTR RunModal(Dialog &dlg, const std::string &caption, ModalDriver::Step step, ModalDriver *driver = nullptr)
{
    std::optional<ModalDriver> own;
    if (!driver)
        driver = &own.emplace();
    driver->Expect(caption, std::move(step));
    return dlg.DoModal();
}

} // namespace testsupport
