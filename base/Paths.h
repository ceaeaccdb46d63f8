// Paths and the short texts that name things (hotkeys, sections) compared the
// way the file system compares names: code unit by code unit, letter case
// ignored and nothing else. A locale's rules would make "Strasse" and
// "Straße", or a name with a soft hyphen and one without, the same name.
#pragma once

#include <string>

namespace mimic {

// Equal ignoring letter case only; both are read in the calling thread's ANSI
// code page.
bool EqualNoCase(const std::string &a, const std::string &b);
// The same order, for sorted containers: negative, zero or positive.
int CompareNoCase(const std::string &a, const std::string &b);
// The same for many comparisons of the same names: each name converted once
// (NoCaseForm), then compared as often as a sorted container needs.
std::wstring NoCaseForm(const std::string &text);
int CompareNoCase(const std::wstring &a, const std::wstring &b);

// Whether the two paths name one file: when both exist, by the volume and the
// file's index, so a short 8.3 name, another drive letter or a share's name
// find it too; otherwise by their full paths, ignoring letter case only.
bool SameFile(const std::string &a, const std::string &b);

// A drive path ("C:\x") or a network path ("\\server\share"): one that names
// the same place whatever the process's current folder and drive are.
bool IsRootedPath(const std::string &path);

} // namespace mimic
