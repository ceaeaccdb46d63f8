// The text of an ini file, read the way the platform's profile functions read
// it and changed only where WritePrivateProfileStringA would change it: every
// other byte (comments, blank lines, unknown keys, other sections, the file's
// own line breaks and spacing) stays as it was.
#pragma once

#include <string>
#include <unordered_map>
#include <vector>

namespace mimic {

class IniDocument
{
public:
    IniDocument();
    // The bytes of a file in the ANSI code page, or in UTF-8 after its
    // byte-order mark. (UTF-16 files are not for this class: see IsUtf16.)
    explicit IniDocument(const std::string &bytes);

    static bool IsUtf16(const std::string &bytes);

    // What GetPrivateProfileStringA gives for the key; false where it would
    // give its default (no such section or key, or a key line without "=").
    // Names compare with ASCII letters in either case and blanks around them
    // ignored; only the first section of a name counts, and in it the first
    // line of the key.
    bool Find(const std::string &section, const std::string &key, std::string &value) const;
    std::string Get(const std::string &section, const std::string &key) const;
    bool HasSection(const std::string &section) const;

    // What WritePrivateProfileStringA(section, key, value) would store: the
    // key's line in the first section of that name gets the value, or a new
    // line goes at the end of that section, or a new section at the end of
    // the file. A value keeps what comes before its first line break, without
    // leading blanks, which is all a profile read could give back.
    void Set(const std::string &section, const std::string &key, const std::string &value);
    // Every section of that name goes, with all of its lines.
    void RemoveSection(const std::string &section);

    std::string Bytes() const;

private:
    // A line with its line break: a stretch of the file as read, or a line
    // that an edit made.
    struct Line
    {
        size_t begin = 0, size = 0;
        int owned = -1; // an index into m_owned
    };
    // A section's stretch of the file as read is split into lines only when
    // it is looked into; a save touches few of them.
    struct Section
    {
        std::string name; // as stored, trimmed; empty for the lines before the first header
        size_t begin = 0, end = 0;
        mutable bool split = false;
        mutable std::vector<Line> lines; // a header line first
    };
    struct View
    {
        const char *p;
        size_t n;
    };

    View Text(const Line &line) const;
    const std::vector<Line> &Lines(const Section &section) const;
    Line Own(std::string text);
    void EndWithBreak(Line &line);
    const Section *First(const std::string &name) const;
    void Index();
    std::string Encode(const std::string &text) const;
    std::string Decode(const std::string &text) const;
    std::string Fold(const std::string &name) const;
    bool FoldedIs(const char *name, size_t n, const std::string &folded) const;

    std::string m_text;
    std::vector<std::string> m_owned;
    std::string m_bom;
    std::string m_eol = "\r\n";
    bool m_utf8 = false;
    const bool *m_leadBytes; // double-byte lead bytes of the text's code page
    std::vector<Section> m_sections;
    std::unordered_map<std::string, size_t> m_first; // folded name -> first section of that name
};

} // namespace mimic
