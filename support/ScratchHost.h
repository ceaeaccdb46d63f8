// The reference host on scratch folders: an installation with its global
// action folder, a designs folder and an open workspace with its local one,
// all in one scratch folder that goes with the object. The plug-in's folder
// settings, left at their defaults, name exactly these two action folders.
#pragma once

#include <string>

#include "base/Raii.h"
#include "refhost/com/RefFramework.h"
#include "support/Files.h"

namespace support {

class ScratchHost
{
public:
    explicit ScratchHost(const char *tag);
    ScratchHost(const ScratchHost &) = delete;
    ScratchHost &operator=(const ScratchHost &) = delete;

    // A fresh framework on the same folders: no settings, no commands known.
    void NewHost();
    // What mimic.dll expects of a host that loads it: the host's own plug-in
    // open and the editor's document class known.
    void ReadyForPlugIn();
    IUnknown *Framework() const { return static_cast<IHostFramework *>(host.Get()); }

    ScratchFolder temp;
    std::string installDir, designsDir, workDir, localDir, globalDir;
    mimic::ComPtr<refhost::RefFramework> host;
};

} // namespace support
