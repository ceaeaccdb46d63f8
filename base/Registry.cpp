#include "base/Registry.h"

namespace mimic {

bool ReadRegNumber(HKEY hKey, const char *pszName, DWORD &value)
{
    if (!hKey)
        return false;
    DWORD type = 0, data = 0, cb = sizeof(data);
    if (::RegQueryValueExA(hKey, pszName, nullptr, &type, reinterpret_cast<BYTE *>(&data), &cb) != ERROR_SUCCESS ||
        type != REG_DWORD || cb != sizeof(DWORD))
        return false;
    value = data;
    return true;
}

bool WriteRegNumber(HKEY hKey, const char *pszName, DWORD value)
{
    return hKey && ::RegSetValueExA(hKey, pszName, 0, REG_DWORD, reinterpret_cast<const BYTE *>(&value),
                                    sizeof(value)) == ERROR_SUCCESS;
}

} // namespace mimic
