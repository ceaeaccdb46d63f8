// The stand-in Perl runtime's trace of what an action script did, one call a
// line, and the encoding of its state and trace fields.
#pragma once

#include <string>
#include <vector>

namespace refhost {

// One traced call: the function's name, its arguments and its result, each
// decoded; documents read "\D<cookie>", the console "\C", undef "\U".
struct TracedCall
{
    std::string name;
    std::vector<std::string> args;
    std::string result;
    bool wellFormed = true; // false: the line had no "->" before its result
};
std::vector<TracedCall> ParseTrace(const std::string &trace);

// A state or trace field for text of any bytes.
std::string EncodeField(const std::string &text);

} // namespace refhost
