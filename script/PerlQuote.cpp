#include "script/PerlQuote.h"

#include <cstdio>

namespace mimic {

namespace {

// perl reads a CR LF of the script as LF, inside a literal too. A CR that
// stands before an LF therefore leaves the '...' literal and is joined in as
// "\r"; every other byte stays inside the quotes.
const char kCrJoin[] = "' . \"\\r\" . '";

// The body of the text's literal, each run between such CRs quoted by body.
template <typename Body>
std::string JoinedAtCrLf(const std::string &text, Body body)
{
    std::string out;
    size_t start = 0;
    for (size_t i = 0; i + 1 < text.size(); ++i)
        if (text[i] == '\r' && text[i + 1] == '\n')
        {
            out += body(text.substr(start, i - start));
            out += kCrJoin;
            start = i + 1;
        }
    return out + body(text.substr(start));
}

std::string SingleQuotedRun(const std::string &text)
{
    std::string out;
    out.reserve(text.size() + 8);
    for (size_t i = 0; i < text.size(); ++i)
    {
        char c = text[i];
        if (c == '\'')
            out += "\\'";
        else if (c == '\\')
        {
            bool consumed = i + 1 == text.size() || text[i + 1] == '\\' || text[i + 1] == '\'';
            out += consumed ? "\\\\" : "\\";
        }
        else
            out += c;
    }
    return out;
}

std::string CommandArgumentRun(const std::string &text)
{
    std::string out;
    out.reserve(text.size() + 8);
    for (char c : text)
    {
        if (c == '\\')
            out += "\\\\";
        else if (c == '\'')
            out += "\\'";
        else
            out += c;
    }
    return out;
}

} // namespace

std::string PerlSingleQuotedBody(const std::string &text)
{
    return JoinedAtCrLf(text, SingleQuotedRun);
}

std::string PerlDoubleQuotedBody(const std::string &text)
{
    std::string out;
    out.reserve(text.size() + 8);
    for (size_t i = 0; i < text.size(); ++i)
    {
        const char c = text[i];
        if (c == '\r' && i + 1 < text.size() && text[i + 1] == '\n')
        {
            out += "\\r"; // perl would read the pair as LF
            continue;
        }
        if (c == '\\' || c == '"' || c == '$' || c == '@')
            out += '\\';
        out += c;
    }
    return out;
}

std::string PerlCommandArgumentBody(const std::string &text)
{
    return JoinedAtCrLf(text, CommandArgumentRun);
}

std::string FirstSingleQuotedItem(const std::string &text)
{
    size_t start = text.find('\'');
    if (start == std::string::npos)
        return std::string();
    for (size_t i = start + 1; i < text.size(); ++i)
    {
        if (text[i] == '\\')
            ++i; // whatever follows a backslash cannot end the item
        else if (text.compare(i, sizeof(kCrJoin) - 1, kCrJoin) == 0)
            i += sizeof(kCrJoin) - 2; // the item goes on after a joined CR
        else if (text[i] == '\'')
            return text.substr(start, i - start + 1);
    }
    return std::string();
}

namespace {

std::string Value(long nValue)
{
    char buf[16];
    std::snprintf(buf, sizeof(buf), "%ld", nValue);
    return buf;
}

std::string Text(const char *psz)
{
    return psz ? psz : "";
}

} // namespace

std::string FormatOpenParams(long nValue)
{
    return Value(nValue) + ", \"\", \"\", \"\"";
}

std::string FormatOpenParams(long nValue, const char *pszText1, const char *pszText2)
{
    return Value(nValue) + ", '" + PerlSingleQuotedBody(Text(pszText1)) + "', '" +
           PerlSingleQuotedBody(Text(pszText2)) + "', \"\"";
}

std::string FormatOpenParams(long nValue, const char *pszText1, const char *pszText2, const char *pszText3)
{
    return Value(nValue) + ", '" + PerlSingleQuotedBody(Text(pszText1)) + "', '" +
           PerlSingleQuotedBody(Text(pszText2)) + "', \"" + PerlDoubleQuotedBody(Text(pszText3)) + "\"";
}

} // namespace mimic
