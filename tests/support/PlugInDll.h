// The built mimic.dll as a host meets it: loaded by path, its class factory,
// and its answer to whether it can unload.
#pragma once

#include <windows.h>
#include <string>

#include "base/Raii.h"

namespace testsupport {

// A path from the build (a Unix path under Wine) as Windows programs name it.
std::string WindowsPathOf(std::string path);

class PlugInDll
{
public:
    PlugInDll() = default;
    PlugInDll(const PlugInDll &) = delete;
    PlugInDll &operator=(const PlugInDll &) = delete;

    // Loads the module and takes the plug-in's class factory; failures are test failures.
    void Load(const std::string &path);
    bool CanUnloadNow() const { return !m_canUnloadNow || m_canUnloadNow() == S_OK; }
    HMODULE Module() const { return m_module; }
    template <typename F>
    F Export(const char *name) const
    {
        return reinterpret_cast<F>(reinterpret_cast<void *>(::GetProcAddress(m_module, name)));
    }
    // Lets go of the factory; the module is freed when it can unload, which is returned.
    bool Release();

    mimic::ComPtr<IClassFactory> factory;

private:
    HMODULE m_module = nullptr;
    HRESULT(STDAPICALLTYPE *m_canUnloadNow)() = nullptr;
};

} // namespace testsupport
