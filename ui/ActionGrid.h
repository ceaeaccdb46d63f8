// The action list that the Action Manager and Player Settings both show:
// folder ("G"/"L"), name and hotkey, one row per action with the action as
// the row's parameter.
#pragma once

#include "host/GridCtrl.h"
#include "library/ActionEntry.h"

namespace mimic {

struct ActionColumns
{
    int nGL = -1;
    int nAction = -1;
    int nHotkey = -1;
};

inline ActionColumns AddActionColumns(KGridCtrl &grid, UINT nGLStyle, int nActionWidth)
{
    ActionColumns cols;
    GC_COLUMN look;
    look.mask = GCCF_TYPE | GCCF_STYLE;
    look.type = GCT_TEXT;
    cols.nGL = grid.AddColumn("G/L", 2, 40);
    look.style = nGLStyle;
    grid.SetColumn(cols.nGL, look);
    cols.nAction = grid.AddColumn("Action", 0, nActionWidth);
    look.style = 0x1000;
    grid.SetColumn(cols.nAction, look);
    cols.nHotkey = grid.AddColumn("Hotkey", 0, 90);
    look.style = 0;
    grid.SetColumn(cols.nHotkey, look);
    return cols;
}

// The entry must outlive the row: it is the row's parameter.
inline HGCROW AddActionRow(KGridCtrl &grid, const ActionColumns &cols, ActionEntry &entry)
{
    HGCROW row = grid.InsertRow(GCR_ROOT, GCR_LAST);
    grid.SetItemText(row, cols.nGL, entry.bGlobal ? "G" : "L");
    grid.SetItemText(row, cols.nAction, entry.strName.c_str());
    grid.SetItemText(row, cols.nHotkey, entry.strAccel.c_str());
    grid.SetRowParam(row, reinterpret_cast<LPARAM>(&entry));
    return row;
}

} // namespace mimic
