#include "ui/ActionsMenu.h"

#include "HostServices.h"
#include "base/Raii.h"
#include "library/ActionCatalogue.h"

namespace mimic {

bool BuildActionsMenu(IUnknown *pFramework, ActionCatalogue &catalogue, IUnknown **ppMenu, REFCLSID rclsid)
{
    if (!ppMenu)
        return false;
    if (!catalogue.CommandsAdded())
        catalogue.Reload(false);
    if (catalogue.Count() < 1 || !pFramework)
        return false;
    ComPtr<IHostMenuService> service;
    ComPtr<IHostMenu> menu;
    if (FAILED(pFramework->QueryInterface(IID_IHostMenuService, service.PutVoid())) || !service ||
        FAILED(service->CreateMenu(menu.Put())) || !menu)
        return false;
    bool added = false;
    for (const ActionEntry &entry : catalogue.Entries())
    {
        if (!entry.bMenu)
            continue;
        (void)menu->AddItem(0, entry.strName.c_str(), rclsid, static_cast<UINT>(entry.nCmdId));
        added = true;
    }
    return added && SUCCEEDED(menu->QueryInterface(IID_IUnknown, reinterpret_cast<void **>(ppMenu)));
}

} // namespace mimic
