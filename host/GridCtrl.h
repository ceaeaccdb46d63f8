// The host's grid control as the plug-in's dialogs use it: the window class
// "VANTREL_GridCtrl" that dialog templates place, a multi-column list with
// multiple selection and check-box columns.
#pragma once

#include <windows.h>
#include <commctrl.h>
#include <map>
#include <string>
#include <vector>

// Row handles; the reserved ones name the top level and "after the last row".
typedef struct GC_ROW_ *HGCROW;
#define GCR_ROOT (reinterpret_cast<HGCROW>(static_cast<INT_PTR>(-0x10000)))
#define GCR_LAST (reinterpret_cast<HGCROW>(static_cast<INT_PTR>(-0x0FFFF)))

// GC_COLUMN fields that count
#define GCCF_WIDTH 0x02
#define GCCF_TEXT 0x04
#define GCCF_TYPE 0x08
#define GCCF_STYLE 0x10
// Column types
#define GCT_TEXT 0
#define GCT_CHECKBOX 4
// GC_ITEM fields that count
#define GCIF_TEXT 0x01
#define GCIF_CHECK 0x02
// Row selections for iteration
#define GCRS_ALL 1
#define GCRS_SELECTED 7

// Notifications to the parent (WM_NOTIFY); key presses carry the key. The
// parent hands each key back as WM_CHAR, and a letter then selects the next
// row whose text in the column named by message 0x40F begins with it.
#define GCN_SELCHANGED (0U - 3000U)
#define GCN_DBLCLK (0U - 3001U)
#define GCN_KEYDOWN (0U - 3002U)
struct NMGCKEY
{
    NMHDR hdr;
    UINT nVirtKey;
};

struct GC_COLUMN
{
    GC_COLUMN() = default;
    UINT mask = 0;
    int width = 0;
    std::string text;
    int type = GCT_TEXT;
    UINT style = 0;
};

struct GC_ITEM
{
    GC_ITEM() = default;
    UINT mask = 0;
    HGCROW row = nullptr;
    int column = 0;
    int checkState = 0;
    std::string text;
};

class KGridCtrl
{
public:
    static const char *ClassName() { return "VANTREL_GridCtrl"; }
    // Once per process; every dialog that places the grid needs it first.
    static bool RegisterClass();

    KGridCtrl() = default;
    void Attach(HWND hGrid);
    HWND GetHwnd() const { return m_hGrid; }

    int AddColumn(const char *pszTitle, int nFormat, int nWidth);
    int AddColumn(const GC_COLUMN &column);
    bool SetColumn(int nColumn, const GC_COLUMN &column);

    HGCROW InsertRow(HGCROW hParent, HGCROW hAfter);
    bool SetItemText(HGCROW hRow, int nColumn, const char *pszText);
    bool SetItem(const GC_ITEM &item);
    bool GetItem(GC_ITEM &item) const;
    bool SetRowParam(HGCROW hRow, LPARAM lParam);
    LPARAM GetRowParam(HGCROW hRow) const;
    void DeleteAllRows();
    int GetSelectedCount() const;
    bool SelectRow(HGCROW hRow, bool bSelect);

    // Rows in display order: all of them, or the selected ones.
    class iterator
    {
    public:
        HGCROW operator*() const { return m_rows[m_pos]; }
        iterator &operator++()
        {
            ++m_pos;
            return *this;
        }
        bool operator!=(const iterator &o) const
        {
            return AtEnd() != o.AtEnd() || (!AtEnd() && m_pos != o.m_pos);
        }

    private:
        friend class KGridCtrl;
        bool AtEnd() const { return m_pos >= m_rows.size(); }
        std::vector<HGCROW> m_rows;
        size_t m_pos = 0;
    };
    iterator begin(UINT nFlags) const;
    iterator end() const;

    HWND ListView() const;

private:
    HWND m_hGrid = nullptr;
};
