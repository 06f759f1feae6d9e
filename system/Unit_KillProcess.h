#pragma once
// The rule by which a running process's executable text is matched against a file name.
#include <string>

#include "net/Unit_Function.h" // LeadByteTest, GbkLeadByte

// The part after the last "\" or ":" of an executable text (the whole text when it has neither).
// A "\" that is the second byte of a double-byte character separates nothing.
std::string ExeFileNamePart(const std::string& ExeFile, LeadByteTest isLeadByte = GbkLeadByte);

// Equal when the letters a-z and A-Z are taken without regard to case and every other byte, the
// bytes of double-byte characters included, is the same.
bool SameExeText(const std::string& a, const std::string& b, LeadByteTest isLeadByte = GbkLeadByte);

// A process entry matches when its file-name part or its whole executable text equals ExeName.
bool ProcessNameMatches(const std::string& ExeFile, const std::string& ExeName,
                        LeadByteTest isLeadByte = GbkLeadByte);
