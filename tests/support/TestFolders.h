// Scratch folders and files on the real file system, removed afterwards.
#pragma once

#include <string>

namespace testsupport {

class TempFolder
{
public:
    TempFolder();
    ~TempFolder();
    TempFolder(const TempFolder &) = delete;
    TempFolder &operator=(const TempFolder &) = delete;

    const std::string &Path() const { return m_path; }
    // A path below the folder; "a\\b" style.
    std::string operator/(const std::string &relative) const { return m_path + "\\" + relative; }

private:
    std::string m_path;
};

void MakeFolder(const std::string &path); // with its parents
void WriteTextFile(const std::string &path, const std::string &text);
std::string ReadTextFile(const std::string &path);
bool FileExists(const std::string &path);
void RemoveTree(const std::string &path);

} // namespace testsupport
