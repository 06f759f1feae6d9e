#pragma once
// The system's texts for the codes in a TNetFault.
#include <string>

#include "net/NetFault.h"

// The message text of a WinInet (12000-12999, from wininet.dll) or Win32 code, in English when
// the system has it, else in its own language; ANSI code page, as the system words it (line breaks
// included). Empty when unknown.
std::string NetErrorText(unsigned long code);

// fault.Describe with the text of its code.
std::string DescribeNetFault(const TNetFault& fault);
