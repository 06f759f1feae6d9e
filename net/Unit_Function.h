#pragma once
// Small text utilities of the update run that need no platform: splitting a list line and taking
// the text between two markers. Texts are ANSI code page bytes (GBK on a Chinese system).
#include <cstddef>
#include <string>
#include <vector>

// Tells whether a byte starts a double-byte character in the code page the text is in.
using LeadByteTest = bool (*)(unsigned char);

// The GBK rule: 0x81-0xFE lead a two-byte character. Windows callers pass the system code
// page's test instead (SystemLeadByte in Unit_Function_win.h).
bool GbkLeadByte(unsigned char c);
// The bytes that may follow a GBK lead byte as the second half of one character.
bool GbkTrailByte(unsigned char c);

// The pieces of Source between the occurrences of Separator (exact byte comparison), in order;
// n separators give n + 1 pieces, empty ones included. An empty Source gives no pieces, an empty
// Separator one piece holding all of Source.
std::vector<std::string> SplitToList(const std::string& Source, const std::string& Separator);

// Offset of the first occurrence of Mark in Text that starts on a character boundary (never on
// the second byte of a double-byte character), or npos. An empty Mark occurs at 0.
std::size_t FindOnCharBoundary(const std::string& Text, const std::string& Mark,
                               LeadByteTest isLeadByte = GbkLeadByte);

// The text between the first StartMark and the first EndMark after it. Empty when StartMark
// does not occur or no EndMark follows it (and for an empty EndMark).
std::string GetTextBetween(const std::string& Source, const std::string& StartMark,
                           const std::string& EndMark, LeadByteTest isLeadByte = GbkLeadByte);
