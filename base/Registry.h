// Numbers in the registry, as the plug-in keeps its settings: REG_DWORD values
// only. Anything else under the name (a text, a binary of another size) is
// not a stored number and leaves the caller's default in force.
#pragma once

#include <windows.h>

namespace mimic {

bool ReadRegNumber(HKEY hKey, const char *pszName, DWORD &value);
bool WriteRegNumber(HKEY hKey, const char *pszName, DWORD value);

} // namespace mimic
