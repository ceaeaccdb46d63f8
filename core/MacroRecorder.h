// The recorder: turns one recording into one action script, tracks the
// documents that take part in it, and keeps the plug-in's settings.
#pragma once

#include <windows.h>
#include <unknwn.h>
#include <oleauto.h>
#include <map>
#include <memory>
#include <string>

#include "base/Raii.h"
#include "library/ActionEntry.h"
#include "script/RecordingTarget.h"

namespace mimic {

class ActionCatalogue;
class DocumentSink;
class IRecorderPrompts;
class ScriptWriter;

enum RecorderState : int
{
    RecorderIdle = 0,
    RecorderRecording = 1,
    RecorderPaused = 2,
};

class KMacroRecorder final : public IRecordingTarget
{
public:
    // Asks its questions with the plug-in's dialogs.
    KMacroRecorder(IUnknown *pFramework, UINT nPlugInCookie);
    KMacroRecorder(IUnknown *pFramework, UINT nPlugInCookie, ActionCatalogue &catalogue);
    // Asks the given prompts (not owned; they outlive the recorder).
    KMacroRecorder(IUnknown *pFramework, UINT nPlugInCookie, ActionCatalogue &catalogue, IRecorderPrompts &prompts);
    ~KMacroRecorder();
    KMacroRecorder(const KMacroRecorder &) = delete;
    KMacroRecorder &operator=(const KMacroRecorder &) = delete;

    void Start(HWND hParent, long nCookie);
    void Pause();
    void Stop();
    void GetState(long *pState, long *pCookie) const;

    void RecordEvent(UINT nCookie, const char *pszCommand, const char *pszParams) override;
    void AttachDocument(REFCLSID rclsid, UINT nCookie);
    void DetachDocument(REFCLSID rclsid, UINT nCookie);
    void DetachAll();
    void WriteDocumentOpen(UINT nCookie);
    void WriteDocumentEvent(UINT nCookie) override;
    bool GetDocumentObject(UINT nCookie, REFIID riid, void **ppv) override;

    // Player Settings: a chosen action becomes the last action; the outputs
    // stay untouched when the user chose none.
    void ChooseActionToPlay(HWND hParent, long *nTimes, BSTR *pFileName);
    // The hotkey text of the action with that command id; S_FALSE when none has it.
    HRESULT GetAccelForCommand(int nCmdId, BSTR *pAccel);

    // The Action Manager, modally over the parent; its result is not used.
    void ShowActionManager(HWND hParent);

    // The action folder, macros expanded.
    std::string GetActionFolder(bool bGlobal);

    // The host's actions menu: one item per action marked for it, in list
    // order. True when a menu with at least one item was handed out.
    bool BuildActionsMenu(IUnknown **ppMenu, REFCLSID rclsid);

    const ActionEntry &Entry() const { return m_entry; }
    size_t TrackedDocuments() const { return m_documents.size(); }

private:
    IUnknown *m_pFramework; // not owned: the plug-in object holds the reference
    [[maybe_unused]] UINT m_nPlugInCookie; // kept as the host handed it; nothing reads it yet
    long m_nRecordingCookie = 0;
    std::unique_ptr<ScriptWriter> m_pWriter;
    RecorderState m_state = RecorderIdle;
    std::map<UINT, ComPtr<DocumentSink>> m_documents;
    int m_nNextDocIndex = 0;
    ActionEntry m_entry;
    ActionCatalogue &m_catalogue;
    std::unique_ptr<IRecorderPrompts> m_pOwnPrompts;
    IRecorderPrompts *m_pPrompts; // m_pOwnPrompts or the caller's
};

} // namespace mimic
