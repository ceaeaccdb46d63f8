// Files and folders for the tests and the benchmarks: scratch folders under
// %TEMP% that go with their owner, whole files written and read at once, and
// paths from the build as Windows programs name them. Nothing here reports
// to a test framework; callers decide what a failure means.
#pragma once

#include <string>

namespace support {

// A new, empty folder %TEMP%\mimic-<tag>-<process>-<n>, removed with all it
// holds when the object goes.
class ScratchFolder
{
public:
    explicit ScratchFolder(const char *tag);
    ~ScratchFolder();
    ScratchFolder(const ScratchFolder &) = delete;
    ScratchFolder &operator=(const ScratchFolder &) = delete;

    const std::string &Path() const { return m_path; }
    // A path below the folder; "a\\b" style.
    std::string operator/(const std::string &relative) const { return m_path + "\\" + relative; }
    // Whether the folder could be created.
    bool Made() const { return m_made; }

private:
    std::string m_path;
    bool m_made = false;
};

void MakeFolder(const std::string &path); // with its parents
// The folder and everything below it, read-only files included.
void RemoveTree(const std::string &path);
// Creates or replaces the file with exactly these bytes; false unless all were written.
bool WriteTextFile(const std::string &path, const std::string &text);
// The file's bytes; empty when it cannot be read. Others may hold it open.
std::string ReadTextFile(const std::string &path);
bool FileExists(const std::string &path); // a file, not a folder
// A path from the build (a Unix path under Wine) as Windows programs name it.
std::string WindowsPathOf(std::string path);
// An action's section of a catalogue file, its four keys in the order the
// plug-in writes them, for files written whole: thousands of profile writes take minutes.
std::string CatalogueSection(const std::string &name, int repeat, const std::string &accel, const std::string &path,
                             bool bMenu);

} // namespace support
