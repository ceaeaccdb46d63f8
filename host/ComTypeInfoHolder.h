// The IDispatch half of a dual interface, answered from the type library
// that a module carries as its resource TYPELIB 1.
#pragma once

#include <windows.h>
#include <oaidl.h>

#include "base/Raii.h"

class KComTypeInfoHolder
{
public:
    // The type library that must describe riid, and the interface itself.
    KComTypeInfoHolder(REFGUID libid, WORD wMajor, WORD wMinor, REFIID riid);
    ~KComTypeInfoHolder();
    KComTypeInfoHolder(const KComTypeInfoHolder &) = delete;
    KComTypeInfoHolder &operator=(const KComTypeInfoHolder &) = delete;

    // One call per user of the interface's type information. The first
    // loads the type library from hModule's file; the result tells whether
    // the type information is there. Every AddRef, even a failed one, is
    // matched by one Release.
    HRESULT AddRef(HINSTANCE hModule);
    // The last one lets go of the type library.
    void Release();

    // IDispatch, for an object that implements the interface.
    HRESULT GetTypeInfo(UINT iTInfo, LCID lcid, ITypeInfo **ppTInfo);
    HRESULT GetIDsOfNames(REFIID riid, LPOLESTR *rgszNames, UINT cNames, LCID lcid, DISPID *rgDispId);
    // pThis: the object's pointer of the interface this holder describes.
    HRESULT Invoke(void *pThis, DISPID dispIdMember, REFIID riid, LCID lcid, WORD wFlags,
                   DISPPARAMS *pDispParams, VARIANT *pVarResult, EXCEPINFO *pExcepInfo, UINT *puArgErr);

private:
    HRESULT Load(HINSTANCE hModule);
    void Unload();

    GUID m_libid;
    WORD m_wMajor;
    WORD m_wMinor;
    IID m_iid;
    LONG m_cRef = 0;
    HRESULT m_hrLoad = E_UNEXPECTED;
    // For a dual interface, its dispinterface: DispInvoke reaches the
    // object's vtable through it.
    mimic::ComPtr<ITypeInfo> m_pDispInfo;
};
