// Resource and control ids of the whole plug-in.
#pragma once

#ifndef IDC_STATIC
#define IDC_STATIC (-1)
#endif

// Dialog templates
#define IDD_RECORD 201
#define IDD_REPLACE_FILE 202

// Record
#define IDC_RECORD_DONTSHOW 1001

// Replace File
#define IDC_REPLACE 1011
