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
    struct Section
    {
        std::string name; // as stored, trimmed; empty for the lines before the first header
        std::vector<std::string> lines; // each with its own line break; a header line first
    };

    const Section *First(const std::string &name) const;
    void Index();
    std::string Encode(const std::string &text) const;
    std::string Decode(const std::string &text) const;
    std::string Fold(const std::string &name) const;

    std::string m_bom;
    std::string m_eol = "\r\n";
    bool m_utf8 = false;
    const bool *m_leadBytes; // double-byte lead bytes of the text's code page
    std::vector<Section> m_sections;
    std::unordered_map<std::string, size_t> m_first; // folded name -> first section of that name
};

} // namespace mimic
