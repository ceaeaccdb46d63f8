#include "support/ScratchHost.h"

#include "mimic.h"

namespace support {

ScratchHost::ScratchHost(const char *tag)
    : temp(tag), installDir(temp / "inst"), designsDir(temp / "designs"), workDir(temp / "work"),
      localDir(workDir + "\\Actions"), globalDir(installDir + "\\Script\\Actions")
{
    MakeFolder(localDir);
    MakeFolder(globalDir);
    MakeFolder(designsDir);
    NewHost();
}

void ScratchHost::NewHost()
{
    host.Reset();
    host = refhost::RefFramework::Create();
    host->SetInstallDir(installDir + "\\");
    host->SetDesignsDir(designsDir + "\\");
    host->OpenWorkspace(workDir + "\\proj.wsp");
}

void ScratchHost::ReadyForPlugIn()
{
    host->OpenPlugIn(CLSID_HostPlugIn);
    host->RegisterDocumentClass(CLSID_EditorDocument, "Vantrel.Editor.1");
}

} // namespace support
