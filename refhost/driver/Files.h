// The reference host's own file work: whole files read and written, lines
// appended, folders made and scratch names.
#pragma once

#include <string>

namespace refhost {

// A file's whole contents; empty when it cannot be read.
std::string ReadWhole(const std::string &path);
// Replaces the file's contents; false unless all of the text was written.
bool WriteWhole(const std::string &path, const std::string &text);
// Adds the line and a line end, making the file when it is missing.
bool AppendLine(const std::string &path, const std::string &line);
// A file that is there, not a folder.
bool IsFile(const std::string &path);
// The folder and its parents; true when the folder is there afterwards.
bool MakeFolders(const std::string &path);
// A name in the temporary folder that no other run of this process uses.
std::string TempName(const std::string &prefix);

} // namespace refhost
