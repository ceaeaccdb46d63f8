// The built mimic.dll as a host meets it: loaded by path, its exports, the
// plug-in's class object, and its answer to whether it may unload.
#pragma once

#include <windows.h>
#include <string>

#include "base/Raii.h"

namespace support {

// The interfaces declare LPWSTR where the host passes narrow text.
inline LPWSTR Narrow(const std::string &text)
{
    return reinterpret_cast<LPWSTR>(const_cast<char *>(text.c_str()));
}

class PlugInModule
{
public:
    PlugInModule() = default;
    ~PlugInModule() { Release(); }
    PlugInModule(const PlugInModule &) = delete;
    PlugInModule &operator=(const PlugInModule &) = delete;

    // Loads the module (a path from the build is taken as Windows names it);
    // false when it does not load or lacks the class object or unload exports.
    bool Load(const std::string &path);
    // Asks the module for the plug-in's class object, kept in `factory`.
    HRESULT TakeFactory();
    bool CanUnloadNow() const { return !m_canUnloadNow || m_canUnloadNow() == S_OK; }
    HMODULE Module() const { return m_module.get(); }
    template <typename F>
    F Export(const char *name) const
    {
        return reinterpret_cast<F>(reinterpret_cast<void *>(::GetProcAddress(m_module.get(), name)));
    }
    // Lets go of the factory, then frees the module if it agrees to unload,
    // which is returned. A module that refuses stays loaded: objects still
    // live in it.
    bool Release();

    mimic::ComPtr<IClassFactory> factory;

private:
    struct ModuleTraits
    {
        using Type = HMODULE;
        static HMODULE None() { return nullptr; }
        static void Close(HMODULE module) { ::FreeLibrary(module); }
    };
    mimic::UniqueHandleT<ModuleTraits> m_module;
    HRESULT(STDAPICALLTYPE *m_getClassObject)(REFCLSID, REFIID, void **) = nullptr;
    HRESULT(STDAPICALLTYPE *m_canUnloadNow)() = nullptr;
};

} // namespace support
