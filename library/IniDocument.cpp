#include "library/IniDocument.h"

#include <windows.h>
#include <algorithm>
#include <cstring>

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

// One line as the profile functions see it; positions are in the line.
struct Parsed
{
    enum Kind { Blank, Header, Key } kind = Blank;
    size_t nameBegin = 0, nameEnd = 0;
    bool hasValue = false;
    size_t valueBegin = 0, valueEnd = 0; // the value as stored, quotes and all
    size_t end = 0;                      // where the text ends, before blanks
    size_t brk = 0;                      // where the line break begins
};

// Names and values end at a NUL byte, as C strings do.
size_t UpToNul(const char *p, size_t b, size_t e)
{
    const void *nul = std::memchr(p + b, '\0', e - b);
    return nul ? static_cast<size_t>(static_cast<const char *>(nul) - p) : e;
}

Parsed Parse(const char *line, size_t n, const bool *lead)
{
    Parsed p;
    size_t b = 0, e = 0;
    while (e < n && !IsBreak(line[e]))
        ++e;
    p.brk = e;
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
        size_t close = 0;
        for (size_t i = b + 1; i < e; ++i)
        {
            if (IsLead(lead, line[i]))
                ++i;
            else if (line[i] == ']')
                close = i;
        }
        if (close)
        {
            size_t nb = b + 1, ne = close;
            while (nb < ne && IsBlank(line[nb]))
                ++nb;
            while (ne > nb && IsBlank(line[ne - 1]))
                --ne;
            p.kind = Parsed::Header;
            p.nameBegin = nb;
            p.nameEnd = UpToNul(line, nb, ne);
            return p;
        }
    }

    // A key: its name up to the first "=", or the whole line when there is none.
    p.kind = Parsed::Key;
    const void *eq = std::memchr(line + b, '=', e - b);
    size_t nameEnd = e;
    if (eq)
    {
        nameEnd = static_cast<size_t>(static_cast<const char *>(eq) - line);
        p.hasValue = true;
        p.valueBegin = nameEnd + 1;
        while (nameEnd > b && IsBlank(line[nameEnd - 1]))
            --nameEnd;
        while (p.valueBegin < e && IsBlank(line[p.valueBegin]))
            ++p.valueBegin;
        p.valueEnd = UpToNul(line, p.valueBegin, e);
    }
    p.nameBegin = b;
    p.nameEnd = UpToNul(line, b, nameEnd);
    return p;
}

// A value in matching single or double quotes is given without them.
std::string Unquote(const char *value, size_t n)
{
    if (n >= 2 && (value[0] == '"' || value[0] == '\'') && value[n - 1] == value[0])
        return std::string(value + 1, n - 2);
    return std::string(value, n);
}

} // namespace

IniDocument::IniDocument() : m_leadBytes(AnsiLeadBytes())
{
    m_sections.emplace_back();
}

IniDocument::IniDocument(const std::string &bytes) : IniDocument()
{
    m_text = bytes;
    size_t pos = 0;
    if (m_text.compare(0, 3, "\xEF\xBB\xBF") == 0)
    {
        m_bom = m_text.substr(0, 3);
        m_utf8 = true;
        m_leadBytes = kNoLeadBytes;
        pos = 3;
    }
    bool eolSeen = false;
    const char *text = m_text.data();
    m_sections.back().begin = pos;
    while (pos < m_text.size())
    {
        size_t next = pos;
        while (next < m_text.size() && !IsBreak(text[next]))
            ++next;
        const size_t end = next;
        if (next < m_text.size())
            next += (text[next] == '\r' && next + 1 < m_text.size() && text[next + 1] == '\n') ? 2 : 1;
        // New lines follow the file's own line breaks.
        if (!eolSeen && next > end)
        {
            m_eol = m_text.substr(end, next - end);
            eolSeen = true;
        }
        // Only a header needs a closer look here; keys are read when asked for.
        size_t first = pos;
        while (first < end && IsBlank(text[first]))
            ++first;
        if (first < end && text[first] == '[')
        {
            const Parsed p = Parse(text + pos, next - pos, m_leadBytes);
            if (p.kind == Parsed::Header)
            {
                m_sections.back().end = pos;
                m_sections.emplace_back();
                m_sections.back().name.assign(text + pos + p.nameBegin, p.nameEnd - p.nameBegin);
                m_sections.back().begin = pos;
            }
        }
        pos = next;
    }
    m_sections.back().end = pos;
    Index();
}

bool IniDocument::IsUtf16(const std::string &bytes)
{
    return bytes.compare(0, 2, "\xFF\xFE") == 0 || bytes.compare(0, 2, "\xFE\xFF") == 0;
}

IniDocument::View IniDocument::Text(const Line &line) const
{
    if (line.owned >= 0)
    {
        const std::string &own = m_owned[static_cast<size_t>(line.owned)];
        return View{own.data(), own.size()};
    }
    return View{m_text.data() + line.begin, line.size};
}

const std::vector<IniDocument::Line> &IniDocument::Lines(const Section &section) const
{
    for (size_t pos = section.begin; !section.split && pos < section.end;)
    {
        size_t next = pos;
        while (next < section.end && !IsBreak(m_text[next]))
            ++next;
        if (next < section.end)
            next += (m_text[next] == '\r' && next + 1 < section.end && m_text[next + 1] == '\n') ? 2 : 1;
        section.lines.push_back(Line{pos, next - pos, -1});
        pos = next;
    }
    section.split = true;
    return section.lines;
}

IniDocument::Line IniDocument::Own(std::string text)
{
    m_owned.push_back(std::move(text));
    return Line{0, 0, static_cast<int>(m_owned.size() - 1)};
}

void IniDocument::EndWithBreak(Line &line)
{
    const View t = Text(line);
    if (t.n == 0 || !IsBreak(t.p[t.n - 1]))
        line = Own(std::string(t.p, t.n) + m_eol);
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

bool IniDocument::FoldedIs(const char *name, size_t n, const std::string &folded) const
{
    if (n != folded.size())
        return false;
    for (size_t i = 0; i < n; ++i)
    {
        char c = name[i];
        if (IsLead(m_leadBytes, c) && i + 1 < n)
        {
            if (c != folded[i] || name[i + 1] != folded[i + 1])
                return false;
            ++i;
            continue;
        }
        if (c >= 'A' && c <= 'Z')
            c = static_cast<char>(c - 'A' + 'a');
        if (c != folded[i])
            return false;
    }
    return true;
}

void IniDocument::Index()
{
    m_first.clear();
    m_first.reserve(m_sections.size());
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
    const std::vector<Line> &lines = Lines(*s);
    for (size_t i = 1; i < lines.size(); ++i)
    {
        const View t = Text(lines[i]);
        const Parsed p = Parse(t.p, t.n, m_leadBytes);
        if (p.kind != Parsed::Key || !FoldedIs(t.p + p.nameBegin, p.nameEnd - p.nameBegin, wanted))
            continue;
        // The first line of the key decides, even one without a value.
        if (!p.hasValue)
            return false;
        value = Decode(Unquote(t.p + p.valueBegin, p.valueEnd - p.valueBegin));
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
            if (!Lines(*it).empty())
            {
                EndWithBreak(it->lines.back());
                break;
            }
        Section added;
        added.name = name;
        added.split = true;
        added.lines.push_back(Own("[" + name + "]" + m_eol));
        added.lines.push_back(Own(keyName + "=" + text + m_eol));
        m_sections.push_back(std::move(added));
        m_first.emplace(Fold(name), m_sections.size() - 1);
        return;
    }

    Section &s = m_sections[found->second];
    Lines(s);
    const std::string wanted = Fold(keyName);
    size_t lastText = 0;
    for (size_t i = 1; i < s.lines.size(); ++i)
    {
        const View t = Text(s.lines[i]);
        const Parsed p = Parse(t.p, t.n, m_leadBytes);
        if (p.kind == Parsed::Blank)
            continue;
        lastText = i;
        if (!FoldedIs(t.p + p.nameBegin, p.nameEnd - p.nameBegin, wanted))
            continue;
        if (p.hasValue && text.compare(0, std::string::npos, t.p + p.valueBegin, p.valueEnd - p.valueBegin) == 0)
            return;
        // The line keeps its own spelling of the key and its spacing.
        std::string line = p.hasValue ? std::string(t.p, p.valueBegin) : std::string(t.p, p.end) + "=";
        line += text;
        line.append(t.p + p.brk, t.n - p.brk);
        s.lines[i] = Own(std::move(line));
        return;
    }
    EndWithBreak(s.lines[lastText]);
    s.lines.insert(s.lines.begin() + static_cast<std::ptrdiff_t>(lastText) + 1, Own(keyName + "=" + text + m_eol));
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
    std::string bytes;
    bytes.reserve(m_text.size() + 256);
    bytes += m_bom;
    for (const Section &s : m_sections)
    {
        if (!s.split)
            bytes.append(m_text, s.begin, s.end - s.begin);
        for (size_t i = 0; s.split && i < s.lines.size(); ++i)
        {
            const View t = Text(s.lines[i]);
            bytes.append(t.p, t.n);
        }
    }
    return bytes;
}

} // namespace mimic
