#include "base/Text.h"

#include "base/Raii.h"

namespace mimic {

namespace {

// The calling thread's ANSI code page, which may differ from the system's
// (SetThreadLocale): the page CP_THREAD_ACP names, resolved here because the
// flags a conversion may take depend on which page it is. A locale without
// an ANSI code page falls back on the system's, as CP_THREAD_ACP does.
UINT ThreadCodePage()
{
    DWORD cp = 0;
    if (::GetLocaleInfoW(::GetThreadLocale(), LOCALE_IDEFAULTANSICODEPAGE | LOCALE_RETURN_NUMBER,
                         reinterpret_cast<LPWSTR>(&cp), sizeof(cp) / sizeof(WCHAR)) == 0 ||
        cp == 0)
        return ::GetACP();
    return cp;
}

} // namespace

std::string NarrowFromWide(const wchar_t *pwsz, int cch)
{
    if (!pwsz || cch == 0)
        return std::string();
    // A character the code page lacks becomes '?', never a look-alike: a file
    // name with a Greek capital omega must not become the name of the file
    // Omega. UTF-8 has every character and takes no flags.
    const UINT cp = ThreadCodePage();
    const DWORD flags = cp == CP_UTF8 ? 0 : WC_NO_BEST_FIT_CHARS;
    int len = ::WideCharToMultiByte(cp, flags, pwsz, cch, nullptr, 0, nullptr, nullptr);
    if (len <= 0)
        return std::string();
    std::string out(static_cast<size_t>(len), '\0');
    ::WideCharToMultiByte(cp, flags, pwsz, cch, &out[0], len, nullptr, nullptr);
    if (cch < 0 && !out.empty() && out.back() == '\0')
        out.pop_back();
    return out;
}

std::string NarrowFromBstr(BSTR bstr)
{
    if (!bstr)
        return std::string();
    return NarrowFromWide(bstr, static_cast<int>(::SysStringLen(bstr)));
}

std::wstring WideFromNarrow(const char *psz, int cch)
{
    if (!psz || cch == 0)
        return std::wstring();
    const UINT cp = ThreadCodePage();
    int len = ::MultiByteToWideChar(cp, 0, psz, cch, nullptr, 0);
    if (len <= 0)
        return std::wstring();
    std::wstring out(static_cast<size_t>(len), L'\0');
    ::MultiByteToWideChar(cp, 0, psz, cch, &out[0], len);
    if (cch < 0 && !out.empty() && out.back() == L'\0')
        out.pop_back();
    return out;
}

BSTR BstrFromNarrow(const char *psz)
{
    std::wstring w = WideFromNarrow(psz ? psz : "");
    return ::SysAllocStringLen(w.data(), static_cast<UINT>(w.size()));
}

std::string SystemMessage(DWORD dwError)
{
    UniqueLocalMem<char *> text;
    const DWORD n = ::FormatMessageA(FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM |
                                         FORMAT_MESSAGE_IGNORE_INSERTS,
                                     nullptr, dwError, 0, reinterpret_cast<char *>(text.put()), 0, nullptr);
    std::string message = (n && text) ? std::string(text.get(), n) : std::string();
    while (!message.empty() && (message.back() == '\n' || message.back() == '\r' || message.back() == ' '))
        message.pop_back();
    return message.empty() ? "Error " + std::to_string(dwError) + "." : message;
}

} // namespace mimic
