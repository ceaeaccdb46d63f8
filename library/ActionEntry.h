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

// The temporary recording's action, which every temporary recording
// overwrites without asking: no named action may have its name.
constexpr char kTemporaryActionName[] = "temporary_action";

// Whether a script of this name can be an action: "<name>.pl" is a file that
// Windows can create in an action folder (no reserved device name, no
// character it forbids), the name's ini section is its own (the profile
// functions ignore blanks around a section name, so none may be there), and
// the play command line can carry the script's path (it has no escape for
// braces).
bool IsActionScriptName(const std::string &name);

// Whether a new named action may take this name: a script name that is not
// the temporary action's, in any letter case.
bool IsNamedActionName(const std::string &name);

// The action that a file in an action folder is: its name is the file name
// without its final ".pl", in any letter case. False for any other file, and
// for a script whose name no action can have.
bool ActionNameFromFile(const std::string &file, std::string &name);

} // namespace mimic
