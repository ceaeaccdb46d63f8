// Writes one recording as a Perl action script: a header that connects to or
// opens the starting document and loops $repeat times, one line per recorded
// command or document, and the brace that closes the loop.
#pragma once

#include <windows.h>
#include <string>

#include "base/Raii.h"

namespace mimic {

struct ActionEntry;
class ActionCatalogue;

class ScriptWriter
{
public:
    // The catalogue that saves the action's section when the script opens.
    explicit ScriptWriter(ActionCatalogue &catalogue);
    ScriptWriter();
    ScriptWriter(const ScriptWriter &) = delete;
    ScriptWriter &operator=(const ScriptWriter &) = delete;

    // E_FAIL when the script cannot be created or the action's section cannot
    // be saved (SaveError says why); an existing script is then left as it was.
    virtual HRESULT Open(const char *pszPath, int nReserved);
    virtual HRESULT OpenDocument(const char *pszVarName, const char *pszClsidText, const char *pszParams);
    virtual HRESULT CloseDocument(const char *pszVarName, UINT nCookie, bool bAsDocument);
    virtual HRESULT WriteCommand(const char *pszVarName, const char *pszCommand, const char *pszParams);
    virtual HRESULT WriteMethodCall(const char *pszVarName, const char *pszMethod, const char *pszArgs);
    virtual HRESULT Reserved();
    virtual HRESULT Close();
    virtual ~ScriptWriter();

    // Not owned; used only inside Open.
    void SetEntry(const ActionEntry *pEntry) { m_pEntry = pEntry; }

    int DocumentCount() const { return m_nDocuments; }
    bool IsOpened() const { return m_bOpened; }
    // Why Open could not save the action's section, naming the file; empty otherwise.
    const std::string &SaveError() const { return m_saveError; }

private:
    // The variable of the most recently opened document still open.
    std::string CurrentVariable() const;
    void WriteBlock(const std::string &block);

    ActionCatalogue &m_catalogue;
    UniqueFile m_file;
    int m_nDocuments = 0;
    bool m_bOpened = false;
    std::string m_saveError;
    const ActionEntry *m_pEntry = nullptr;
};

} // namespace mimic
