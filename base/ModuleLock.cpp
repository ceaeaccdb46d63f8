#include "base/ModuleLock.h"

namespace mimic {

namespace {
volatile LONG g_nLocks = 0;
} // namespace

void ModuleLock()
{
    ::InterlockedIncrement(&g_nLocks);
}

void ModuleUnlock()
{
    ::InterlockedDecrement(&g_nLocks);
}

LONG ModuleLockCount()
{
    return ::InterlockedCompareExchange(&g_nLocks, 0, 0);
}

} // namespace mimic
