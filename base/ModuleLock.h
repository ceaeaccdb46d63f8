// The COM module's lock count: one for every live object of the module and
// every lock taken through its class factory. The module may be unloaded
// only when it is 0.
#pragma once

#include <windows.h>

namespace mimic {

void ModuleLock();
void ModuleUnlock();
LONG ModuleLockCount();

} // namespace mimic
