// The host's second document event interface with every notification that
// the plug-in has no use for answered S_OK: only the open notification is
// left to the implementer.
#pragma once

#include <windows.h>

#include "HostServices.h"

namespace mimic {

class DocumentEvents2Base : public IDocumentEvents2
{
public:
    STDMETHODIMP OnObjectAdded(long, long, long) override { return S_OK; }
    STDMETHODIMP OnObjectRemoved(long, long, long) override { return S_OK; }
    STDMETHODIMP OnObjectChanged(long, long, long) override { return S_OK; }
    STDMETHODIMP OnSaved(long, long) override { return S_OK; }
    STDMETHODIMP OnClosing(long, long) override { return S_OK; }
    STDMETHODIMP OnLayerChanged(long, long, long) override { return S_OK; }
    STDMETHODIMP OnPropertyChanged(long, long, long) override { return S_OK; }
    STDMETHODIMP OnConnectionChanged(long, long, long) override { return S_OK; }
    STDMETHODIMP OnSheetChanged(long, long, long) override { return S_OK; }
    STDMETHODIMP OnUndo(long, long) override { return S_OK; }
    STDMETHODIMP OnRedo(long, long) override { return S_OK; }

protected:
    ~DocumentEvents2Base() = default;
};

} // namespace mimic
