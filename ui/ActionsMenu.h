// The host's actions menu: one item per action marked for it, in list order.
#pragma once

#include <windows.h>
#include <unknwn.h>

namespace mimic {

class ActionCatalogue;

// True when a menu with at least one item was handed out in *ppMenu. A
// catalogue whose commands are not registered yet is reloaded first.
bool BuildActionsMenu(IUnknown *pFramework, ActionCatalogue &catalogue, IUnknown **ppMenu, REFCLSID rclsid);

} // namespace mimic
