// The reference host's modal driver, with its failures reported as test failures.
#pragma once

#include <windows.h>
#include <commctrl.h>
#include <gtest/gtest.h>
#include <algorithm>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "refhost/driver/ModalDriver.h"

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

// The action names in a dialog's action grid, row by row, read from the list
// itself so that it works on dialogs of the loaded mimic.dll too.
inline std::vector<std::string> GridNames(const ModalWindow &w)
{
    HWND list = w.FindChild(WC_LISTVIEWA);
    std::vector<std::string> names(list ? static_cast<size_t>(::SendMessageA(list, LVM_GETITEMCOUNT, 0, 0)) : 0);
    for (size_t row = 0; row < names.size(); ++row)
    {
        char text[MAX_PATH] = "";
        LVITEMA item = {};
        item.iSubItem = 1; // the action column
        item.pszText = text;
        item.cchTextMax = MAX_PATH;
        ::SendMessageA(list, LVM_GETITEMTEXTA, row, reinterpret_cast<LPARAM>(&item));
        names[row] = text;
    }
    return names;
}

// Selects exactly the grid's rows of these actions, as clicks would.
inline void SelectActions(const ModalWindow &w, const std::vector<std::string> &names)
{
    HWND list = w.FindChild(WC_LISTVIEWA);
    const std::vector<std::string> rows = GridNames(w);
    LVITEMA item = {};
    item.stateMask = LVIS_SELECTED | LVIS_FOCUSED;
    ::SendMessageA(list, LVM_SETITEMSTATE, static_cast<WPARAM>(-1), reinterpret_cast<LPARAM>(&item));
    item.state = LVIS_SELECTED | LVIS_FOCUSED;
    for (const std::string &name : names)
    {
        auto it = std::find(rows.begin(), rows.end(), name);
        EXPECT_NE(it, rows.end()) << "no row shows " << name;
        if (it != rows.end())
            ::SendMessageA(list, LVM_SETITEMSTATE, static_cast<WPARAM>(it - rows.begin()),
                           reinterpret_cast<LPARAM>(&item));
    }
}

} // namespace testsupport
