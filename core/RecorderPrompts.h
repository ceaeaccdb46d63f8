// What a recording asks the user before it starts, and what it tells the user
// while it runs. The plug-in answers with its dialogs and message boxes;
// anyone else may answer without a window.
#pragma once

#include <windows.h>
#include <unknwn.h>
#include <string>

namespace mimic {

class ActionCatalogue;
struct ActionEntry;

class IRecorderPrompts
{
public:
    virtual ~IRecorderPrompts() = default;

    // Whether the temporary action is to be recorded.
    virtual bool ConfirmTemporary(HWND hParent) = 0;
    // Settles a named action, starting from the proposed entry; false, and
    // the entry untouched, when the user cancelled.
    virtual bool SettleAction(HWND hParent, ActionEntry &entry) = 0;
    // Whether the script of an existing action of that name is overwritten.
    virtual bool ConfirmOverwrite(HWND hOwner) = 0;
    // A command came from a document the recording does not track.
    virtual void ReportUntrackedDocument(HWND hOwner) = 0;
    // A catalogue file could not be saved; the text names it and says why.
    virtual void ReportSaveFailure(HWND hOwner, const std::string &error) = 0;
};

// The record confirmation, Action Properties in new mode, and message boxes.
class DialogPrompts final : public IRecorderPrompts
{
public:
    DialogPrompts(IUnknown *pFramework, ActionCatalogue &catalogue)
        : m_pFramework(pFramework), m_catalogue(catalogue)
    {
    }

    bool ConfirmTemporary(HWND hParent) override;
    bool SettleAction(HWND hParent, ActionEntry &entry) override;
    bool ConfirmOverwrite(HWND hOwner) override;
    void ReportUntrackedDocument(HWND hOwner) override;
    void ReportSaveFailure(HWND hOwner, const std::string &error) override;

private:
    IUnknown *m_pFramework; // not owned
    ActionCatalogue &m_catalogue;
};

} // namespace mimic
