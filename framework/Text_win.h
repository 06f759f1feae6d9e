#pragma once
// Conversions between the system ANSI code page (the data the updater reads: INI, lists, file
// names) and UTF-16 (what the windows show), plus the locale's lower-casing.
#include <string>

std::wstring AnsiToWide(const std::string& text);
std::string WideToAnsi(const std::wstring& text);
std::wstring Utf8ToWide(const std::string& text);
std::string Utf8ToAnsi(const std::string& text);
// Lower case with the system locale's rules (CharLowerBuffA), byte length unchanged.
std::string AnsiLowerCase(const std::string& text);
// The calling thread's last error as readable text, for log lines.
std::wstring LastErrorText(unsigned long error);
