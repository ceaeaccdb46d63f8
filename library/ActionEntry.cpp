#include "library/ActionEntry.h"

#include <windows.h>

#include "base/Text.h"

namespace mimic {

namespace {

wchar_t AsciiUpper(wchar_t c)
{
    return c >= L'a' && c <= L'z' ? static_cast<wchar_t>(c - L'a' + L'A') : c;
}

bool SameAsciiLetters(const std::wstring &a, const wchar_t *b)
{
    size_t i = 0;
    for (; i < a.size() && b[i]; ++i)
        if (AsciiUpper(a[i]) != AsciiUpper(b[i]))
            return false;
    return i == a.size() && !b[i];
}

// A file named after a device opens the device, whatever its extension and
// blanks before it: the script would go to a port or nowhere. COM0, LPT0 and
// the superscript-digit forms are devices only on newer Windows, and the
// console's own names only to some functions; they are refused everywhere,
// so that an action made on one computer works on every other that shares
// its folder.
bool IsDeviceName(const std::wstring &name)
{
    std::wstring base = name.substr(0, name.find(L'.'));
    while (!base.empty() && base.back() == L' ')
        base.pop_back();
    for (const wchar_t *device : {L"CON", L"PRN", L"AUX", L"NUL", L"CONIN$", L"CONOUT$"})
        if (SameAsciiLetters(base, device))
            return true;
    const std::wstring port = base.substr(0, 3);
    if (base.size() != 4 || !(SameAsciiLetters(port, L"COM") || SameAsciiLetters(port, L"LPT")))
        return false;
    const wchar_t digit = base[3];
    return (digit >= L'0' && digit <= L'9') || digit == L'\u00B9' || digit == L'\u00B2' || digit == L'\u00B3';
}

} // namespace

bool IsActionScriptName(const std::string &name)
{
    // Wide, so that a trail byte of a double-byte character is not taken for
    // one of the characters below.
    const std::wstring wide = WideFromNarrow(name.c_str(), static_cast<int>(name.size()));
    if (wide.empty() || wide.find_first_not_of(L'.') == std::wstring::npos || wide.front() == L' ' ||
        wide.back() == L' ')
        return false;
    for (wchar_t c : wide)
        if (c < 0x20 || std::wstring(L"\\/:*?\"<>|{}").find(c) != std::wstring::npos)
            return false;
    return !IsDeviceName(wide);
}

// Letter case aside, names compare byte for byte, as the file system and the
// profile functions compare them: a linguistic comparison would take names
// with an ignorable character (a soft hyphen) for the reserved one.
bool IsNamedActionName(const std::string &name)
{
    const std::wstring reserved = WideFromNarrow(kTemporaryActionName);
    return IsActionScriptName(name) &&
           !SameAsciiLetters(WideFromNarrow(name.c_str(), static_cast<int>(name.size())), reserved.c_str());
}

bool ActionNameFromFile(const std::string &file, std::string &name)
{
    if (file.size() <= 3 || !SameAsciiLetters(WideFromNarrow(file.c_str() + file.size() - 3, 3), L".pl"))
        return false;
    name = file.substr(0, file.size() - 3);
    return IsActionScriptName(name);
}

} // namespace mimic
