// A document of the reference host: a COM object with connection points for
// the document event interfaces and the plug-in's event sink. The host fires
// its open notifications and reports the commands the user runs in it.
#pragma once

#include <windows.h>
#include <ocidl.h>
#include <olectl.h>
#include <map>
#include <string>

#include "HostServices.h"
#include "base/Raii.h"
#include "mimic.h"
#include "refhost/com/RefUnknown.h"

namespace refhost {

class RefConnectionPoint;

class RefDocument final : public RefUnknown<IConnectionPointContainer>
{
public:
    static mimic::ComPtr<RefDocument> Create(UINT nCookie, const std::string &file, REFCLSID rclsid);

    STDMETHODIMP EnumConnectionPoints(IEnumConnectionPoints **ppEnum) override;
    STDMETHODIMP FindConnectionPoint(REFIID riid, IConnectionPoint **ppCP) override;

    UINT Cookie() const { return m_nCookie; }
    const std::string &File() const { return m_file; }
    const CLSID &ClassId() const { return m_clsid; }

    // Advise (or unadvise) on that interface's point fails from now on.
    void RefuseAdvise(REFIID riid, bool bRefuse = true);
    void RefuseUnadvise(REFIID riid, bool bRefuse = true);
    size_t SinkCount(REFIID riid) const;

    // What the host tells the advised sinks. Texts go out narrow.
    void ReportCommand(const char *pszCommand, const char *pszParams);
    void FireOpen(long nValue);
    void FireOpen(long nValue, const char *pszText1, const char *pszText2);
    void FireOpen(long nValue, const char *pszText1, const char *pszText2, const char *pszText3);

private:
    RefDocument(UINT nCookie, const std::string &file, REFCLSID rclsid);
    ~RefDocument() override;
    IUnknown *Interface(REFIID riid) override;
    RefConnectionPoint *Point(REFIID riid) const;

    UINT m_nCookie;
    std::string m_file;
    CLSID m_clsid;
    mimic::ComPtr<RefConnectionPoint> m_points[3];
};

} // namespace refhost
