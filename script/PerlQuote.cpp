#include "script/PerlQuote.h"

#include <cstdio>

namespace mimic {

std::string PerlSingleQuotedBody(const std::string &text)
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

std::string PerlDoubleQuotedBody(const std::string &text)
{
    std::string out;
    out.reserve(text.size() + 8);
    for (char c : text)
    {
        if (c == '\\' || c == '"' || c == '$' || c == '@')
            out += '\\';
        out += c;
    }
    return out;
}

std::string PerlCommandArgumentBody(const std::string &text)
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

std::string FirstSingleQuotedItem(const std::string &text)
{
    size_t start = text.find('\'');
    if (start == std::string::npos)
        return std::string();
    for (size_t i = start + 1; i < text.size(); ++i)
    {
        if (text[i] == '\\')
            ++i; // whatever follows a backslash cannot end the item
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
