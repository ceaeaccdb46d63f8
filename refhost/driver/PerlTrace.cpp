#include "refhost/driver/PerlTrace.h"

#include <windows.h>

namespace refhost {

namespace {

std::string DecodeField(const std::string &field)
{
    std::string out;
    for (size_t i = 0; i < field.size(); ++i)
    {
        if (field[i] != '\\' || i + 1 == field.size())
        {
            out += field[i];
            continue;
        }
        char c = field[++i];
        if (c == 'n')
            out += '\n';
        else if (c == 't')
            out += '\t';
        else if (c == 'r')
            out += '\r';
        else if (c == 'x' && i + 2 < field.size())
        {
            out += static_cast<char>(std::stoi(field.substr(i + 1, 2), nullptr, 16));
            i += 2;
        }
        else if (c == 'D' || c == 'C' || c == 'U' || c == 'O')
            out += std::string("\\") + c; // an object marker stays as written
        else
            out += c;
    }
    return out;
}

} // namespace

std::vector<TracedCall> ParseTrace(const std::string &trace)
{
    std::vector<TracedCall> calls;
    size_t start = 0;
    while (start < trace.size())
    {
        size_t end = trace.find('\n', start);
        if (end == std::string::npos)
            end = trace.size();
        std::vector<std::string> fields;
        size_t f = start;
        for (;;)
        {
            size_t tab = trace.find('\t', f);
            if (tab == std::string::npos || tab > end)
            {
                fields.push_back(trace.substr(f, end - f));
                break;
            }
            fields.push_back(trace.substr(f, tab - f));
            f = tab + 1;
        }
        start = end + 1;
        TracedCall call;
        call.name = fields[0];
        size_t arrow = fields.size() >= 2 ? fields.size() - 2 : 0;
        call.wellFormed = fields.size() >= 3 && fields[arrow] == "->";
        for (size_t i = 1; i < arrow; ++i)
            call.args.push_back(DecodeField(fields[i]));
        if (fields.size() >= 3)
            call.result = DecodeField(fields.back());
        calls.push_back(call);
    }
    return calls;
}

std::string EncodeField(const std::string &text)
{
    std::string out;
    for (unsigned char c : text)
    {
        if (c == '\\')
            out += "\\\\";
        else if (c == '\n')
            out += "\\n";
        else if (c == '\t')
            out += "\\t";
        else if (c == '\r')
            out += "\\r";
        else if (c < 0x20 || c == 0x7f)
        {
            char hex[8];
            wsprintfA(hex, "\\x%02X", c);
            out += hex;
        }
        else
            out += static_cast<char>(c);
    }
    return out;
}

} // namespace refhost
