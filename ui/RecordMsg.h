// Asks before a temporary action is recorded; the user may switch the
// question off for the future.
#pragma once

#include <unknwn.h>

#include "ui/Dialog.h"

namespace mimic {

class CRecordMsg : public CDialog
{
public:
    CRecordMsg(IUnknown *pFramework, HWND hParent);

private:
    void OnYes();

    IUnknown *m_pFramework; // not owned
};

} // namespace mimic
