// Text that goes into a generated Perl script must come back out of Perl
// byte for byte, whatever it holds: quotes, backslashes, '$' and '@', and CR LF
// pairs, which perl reads as LF wherever they stand in a script.
#pragma once

#include <string>

namespace mimic {

// The body of a '...' literal: a quote becomes \', and a backslash is doubled
// only where Perl would otherwise take it as an escape (before a backslash,
// before a quote, at the end), so ordinary Windows paths stay as they are.
// The CR of a CR LF ends the literal and is joined in: 'a' . "\r" . '<LF>b'.
std::string PerlSingleQuotedBody(const std::string &text);

// The body of a "..." literal: \, ", $ and @ get a backslash; the CR of a
// CR LF is written \r.
std::string PerlDoubleQuotedBody(const std::string &text);

// The body of an ExecuteCommand argument: every backslash doubled, then
// every quote escaped. Equivalent in Perl to PerlSingleQuotedBody, and the
// form scripts have always carried.
std::string PerlCommandArgumentBody(const std::string &text);

// The first single-quoted item of a parameter text, quotes included, read
// with Perl's rules (an escaped quote does not end it) and with the CRs joined
// in as above; empty when there is none.
std::string FirstSingleQuotedItem(const std::string &text);

// The open arguments of a document, as its open notifications report them:
// the value, then a file name and two further texts.
std::string FormatOpenParams(long nValue);
std::string FormatOpenParams(long nValue, const char *pszText1, const char *pszText2);
std::string FormatOpenParams(long nValue, const char *pszText1, const char *pszText2, const char *pszText3);

} // namespace mimic
