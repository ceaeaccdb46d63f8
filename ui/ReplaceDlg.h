// Asks whether an existing script is replaced, for this file or for all the
// files still to come.
#pragma once

#include "ui/Dialog.h"

namespace mimic {

class CReplaceDlg : public CDialog
{
public:
    explicit CReplaceDlg(HWND hParent);
    bool ReplaceAll() const { return m_bReplaceAll; }

protected:
    BOOL OnInitDialog() override;

private:
    bool m_bReplaceAll = false;
};

} // namespace mimic
