#pragma once

#include <string>

namespace mimic {

// The largest repeat count the dialogs take.
constexpr int kMaxRepeat = 999;

// One action: a Perl script in the local or global action folder and its
// section in that folder's "mimic.ini". A plain value; copies are independent.
struct ActionEntry
{
    int nRepeat = 1;              // "PlayMode": runs when played without a chosen count
    bool bGlobal = false;         // the script lives in the global folder
    bool bMenu = false;           // "AddToMenu": offered in the host's actions menu
    std::string strPath;          // full path of the script
    std::string strName;          // file name without ".pl"; also the ini section name
    std::string strAccel = "Ctrl+0"; // hotkey text, empty for none
    int nCmdId = -1;              // host command id given by the last scan
};

} // namespace mimic
