#include "library/IniDocument.h"

#include <windows.h>
#include <algorithm>

namespace mimic {

namespace {

// The profile functions' blanks: the C locale's white space and ^Z, the old
// end-of-file mark. A line ends at CR as well as at LF.
bool IsBlank(char c)
{
    return c == ' ' || (c >= '\t' && c <= '\r') || c == '\x1a';
}

bool IsBreak(char c)
{
    return c == '\r' || c == '\n';
}

const bool *AnsiLeadBytes()
{
    static const struct Table
    {
        Table()
        {
            for (int b = 0; b < 256; ++b)
                lead[b] = ::IsDBCSLeadByteEx(CP_ACP, static_cast<BYTE>(b)) != FALSE;
        }
        bool lead[256];
    } s_table;
    return s_table.lead;
}

const bool kNoLeadBytes[256] = {};

bool IsLead(const bool *lead, char c)
{
    return lead[static_cast<unsigned char>(c)];
}

std::string Convert(const std::string &text, UINT from, UINT to)
{
    if (text.empty())
        return text;
    const int n = static_cast<int>(text.size());
    std::wstring wide(static_cast<size_t>(::MultiByteToWideChar(from, 0, text.data(), n, nullptr, 0)), L'\0');
    ::MultiByteToWideChar(from, 0, text.data(), n, &wide[0], static_cast<int>(wide.size()));
    const int wn = static_cast<int>(wide.size());
    std::string out(static_cast<size_t>(::WideCharToMultiByte(to, 0, wide.data(), wn, nullptr, 0, nullptr, nullptr)),
                    '\0');
    ::WideCharToMultiByte(to, 0, wide.data(), wn, &out[0], static_cast<int>(out.size()), nullptr, nullptr);
    return out;
}

std::string Trim(const std::string &text)
{
    size_t b = 0, e = text.size();
    while (b < e && IsBlank(text[b]))
        ++b;
    while (e > b && IsBlank(text[e - 1]))
        --e;
    return text.substr(b, e - b);
}

// Names and values end at a NUL byte, as C strings do.
std::string UpToNul(const std::string &line, size_t b, size_t e)
{
    const size_t nul = line.find('\0', b);
    return line.substr(b, (nul < e ? nul : e) - b);
}

// One line as the profile functions see it.
struct Parsed
{
    enum Kind { Blank, Header, Key } kind = Blank;
    std::string name;
    bool hasValue = false;
    size_t valueBegin = 0, valueEnd = 0; // the value as stored, quotes and all
    size_t end = 0;                      // where the text ends, before blanks and the line break
};

Parsed Parse(const std::string &line, const bool *lead)
{
    Parsed p;
    size_t b = 0, e = 0;
    while (e < line.size() && !IsBreak(line[e]))
        ++e;
    while (b < e && IsBlank(line[b]))
        ++b;
    while (e > b && IsBlank(line[e - 1]))
        --e;
    p.end = e;
    if (b == e)
        return p;

    if (line[b] == '[')
    {
        // The header's name runs to its last "]"; whatever follows is ignored.
        size_t close = std::string::npos;
        for (size_t i = b + 1; i < e; ++i)
        {
            if (IsLead(lead, line[i]))
                ++i;
            else if (line[i] == ']')
                close = i;
        }
        if (close != std::string::npos)
        {
            size_t nb = b + 1, ne = close;
            while (nb < ne && IsBlank(line[nb]))
                ++nb;
            while (ne > nb && IsBlank(line[ne - 1]))
                --ne;
            p.kind = Parsed::Header;
            p.name = UpToNul(line, nb, ne);
            return p;
        }
    }

    // A key: its name up to the first "=", or the whole line when there is none.
    p.kind = Parsed::Key;
    const size_t eq = line.find('=', b);
    size_t nameEnd = e;
    if (eq < e)
    {
        nameEnd = eq;
        while (nameEnd > b && IsBlank(line[nameEnd - 1]))
            --nameEnd;
        p.hasValue = true;
        p.valueBegin = eq + 1;
        while (p.valueBegin < e && IsBlank(line[p.valueBegin]))
            ++p.valueBegin;
        p.valueEnd = std::min(e, line.find('\0', p.valueBegin));
    }
    p.name = UpToNul(line, b, nameEnd);
    return p;
}

// A value in matching single or double quotes is given without them.
std::string Unquote(const std::string &value)
{
    if (value.size() >= 2 && (value[0] == '"' || value[0] == '\'') && value.back() == value[0])
        return value.substr(1, value.size() - 2);
    return value;
}

bool HasBreak(const std::string &line)
{
    return !line.empty() && IsBreak(line.back());
}

} // namespace

IniDocument::IniDocument() : m_leadBytes(AnsiLeadBytes())
{
    m_sections.emplace_back();
}

IniDocument::IniDocument(const std::string &bytes) : IniDocument()
{
    size_t pos = 0;
    if (bytes.compare(0, 3, "\xEF\xBB\xBF") == 0)
    {
        m_bom = bytes.substr(0, 3);
        m_utf8 = true;
        m_leadBytes = kNoLeadBytes;
        pos = 3;
    }
    bool eolSeen = false;
    while (pos < bytes.size())
    {
        size_t next = pos;
        while (next < bytes.size() && !IsBreak(bytes[next]))
            ++next;
        const size_t end = next;
        if (next < bytes.size())
            next += (bytes[next] == '\r' && next + 1 < bytes.size() && bytes[next + 1] == '\n') ? 2 : 1;
        // New lines follow the file's own line breaks.
        if (!eolSeen && next > end)
        {
            m_eol = bytes.substr(end, next - end);
            eolSeen = true;
        }
        std::string line = bytes.substr(pos, next - pos);
        Parsed p = Parse(line, m_leadBytes);
        if (p.kind == Parsed::Header)
            m_sections.push_back(Section{p.name, {}});
        m_sections.back().lines.push_back(std::move(line));
        pos = next;
    }
    Index();
}

bool IniDocument::IsUtf16(const std::string &bytes)
{
    return bytes.compare(0, 2, "\xFF\xFE") == 0 || bytes.compare(0, 2, "\xFE\xFF") == 0;
}

std::string IniDocument::Encode(const std::string &text) const
{
    return m_utf8 ? Convert(text, CP_ACP, CP_UTF8) : text;
}

std::string IniDocument::Decode(const std::string &text) const
{
    return m_utf8 ? Convert(text, CP_UTF8, CP_ACP) : text;
}

// Only ASCII letters match in either case; a double-byte character is
// compared as it stands.
std::string IniDocument::Fold(const std::string &name) const
{
    std::string folded(name);
    for (size_t i = 0; i < folded.size(); ++i)
    {
        if (IsLead(m_leadBytes, folded[i]))
            ++i;
        else if (folded[i] >= 'A' && folded[i] <= 'Z')
            folded[i] = static_cast<char>(folded[i] - 'A' + 'a');
    }
    return folded;
}

void IniDocument::Index()
{
    m_first.clear();
    for (size_t i = 1; i < m_sections.size(); ++i)
        if (!m_sections[i].name.empty())
            m_first.emplace(Fold(m_sections[i].name), i);
}

const IniDocument::Section *IniDocument::First(const std::string &name) const
{
    const auto it = m_first.find(Fold(name));
    return it == m_first.end() ? nullptr : &m_sections[it->second];
}

bool IniDocument::Find(const std::string &section, const std::string &key, std::string &value) const
{
    const Section *s = First(Encode(Trim(section)));
    if (!s)
        return false;
    const std::string wanted = Fold(Encode(Trim(key)));
    for (size_t i = 1; i < s->lines.size(); ++i)
    {
        const std::string &line = s->lines[i];
        const Parsed p = Parse(line, m_leadBytes);
        if (p.kind != Parsed::Key || Fold(p.name) != wanted)
            continue;
        // The first line of the key decides, even one without a value.
        if (!p.hasValue)
            return false;
        value = Decode(Unquote(line.substr(p.valueBegin, p.valueEnd - p.valueBegin)));
        return true;
    }
    return false;
}

std::string IniDocument::Get(const std::string &section, const std::string &key) const
{
    std::string value;
    return Find(section, key, value) ? value : std::string();
}

bool IniDocument::HasSection(const std::string &section) const
{
    return First(Encode(Trim(section))) != nullptr;
}

void IniDocument::Set(const std::string &section, const std::string &key, const std::string &value)
{
    const std::string name = Encode(Trim(section)), keyName = Encode(Trim(key));
    std::string text = value.substr(0, value.find_first_of(std::string("\r\n\0", 3)));
    text = Encode(text.substr(std::min(text.size(), text.find_first_not_of(" \t\v\f\x1a"))));

    const auto found = m_first.find(Fold(name));
    if (found == m_first.end())
    {
        for (auto it = m_sections.rbegin(); it != m_sections.rend(); ++it)
        {
            if (it->lines.empty())
                continue;
            if (!HasBreak(it->lines.back()))
                it->lines.back() += m_eol;
            break;
        }
        m_sections.push_back(Section{name, {"[" + name + "]" + m_eol, keyName + "=" + text + m_eol}});
        m_first.emplace(Fold(name), m_sections.size() - 1);
        return;
    }

    Section &s = m_sections[found->second];
    const std::string wanted = Fold(keyName);
    size_t lastText = 0;
    for (size_t i = 1; i < s.lines.size(); ++i)
    {
        std::string &line = s.lines[i];
        const Parsed p = Parse(line, m_leadBytes);
        if (p.kind == Parsed::Blank)
            continue;
        lastText = i;
        if (Fold(p.name) != wanted)
            continue;
        if (p.hasValue && line.compare(p.valueBegin, p.valueEnd - p.valueBegin, text) == 0)
            return;
        // The line keeps its own spelling of the key and its spacing.
        size_t brk = p.end;
        while (brk < line.size() && !IsBreak(line[brk]))
            ++brk;
        line = (p.hasValue ? line.substr(0, p.valueBegin) : line.substr(0, p.end) + "=") + text + line.substr(brk);
        return;
    }
    if (!HasBreak(s.lines[lastText]))
        s.lines[lastText] += m_eol;
    s.lines.insert(s.lines.begin() + static_cast<std::ptrdiff_t>(lastText) + 1, keyName + "=" + text + m_eol);
}

void IniDocument::RemoveSection(const std::string &section)
{
    const std::string wanted = Fold(Encode(Trim(section)));
    if (wanted.empty())
        return;
    m_sections.erase(std::remove_if(m_sections.begin() + 1, m_sections.end(),
                                    [&](const Section &s) { return Fold(s.name) == wanted; }),
                     m_sections.end());
    Index();
}

std::string IniDocument::Bytes() const
{
    std::string bytes(m_bom);
    for (const Section &s : m_sections)
        for (const std::string &line : s.lines)
            bytes += line;
    return bytes;
}

} // namespace mimic
