// Narrow text is the plug-in's own; wide text only crosses COM boundaries.
#pragma once

#include <windows.h>
#include <oleauto.h>
#include <string>

namespace mimic {

// Converts with the calling thread's ANSI code page. A null string is empty.
std::string NarrowFromWide(const wchar_t *pwsz, int cch = -1);
std::string NarrowFromBstr(BSTR bstr);
std::wstring WideFromNarrow(const char *psz, int cch = -1);
// A new BSTR the caller frees; null only when out of memory.
BSTR BstrFromNarrow(const char *psz);
inline BSTR BstrFromNarrow(const std::string &s) { return BstrFromNarrow(s.c_str()); }

// The system's explanation of an error code, without its line break.
std::string SystemMessage(DWORD dwError);

} // namespace mimic
