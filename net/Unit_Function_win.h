#pragma once
// The network and file utilities of the update run that need Win32. Texts are ANSI code page
// strings, as the update lists and INI file hold them.
#include <cstdint>
#include <string>

#include "net/NetFault.h"
#include "net/Unit_Function.h"

// The system ANSI code page's lead-byte test, to pass to GetTextBetween and the process matching.
bool SystemLeadByte(unsigned char c);

// Deletes a file, or a directory with everything in it, for good (not to the recycle bin), asking
// nothing. True when the shell reports success; false for a path that does not exist.
bool ShellDeletePath(const std::string& Path);

// Size in bytes (low 32 bits, signed) of the first entry the search for FileName finds, relative
// names against the current directory; -1 when nothing matches.
std::int32_t GetFileSizeByName(const std::string& FileName);

// Resolves Host, after removing every "http://" and every "/", to the first IPv4 address as
// dotted-quad text. Address is written only on success. An empty name or one longer than 255 bytes
// is refused.
bool HostToIP(const std::string& Host, std::string& Address);

// True when the system reports a network connection.
bool IsOnline();

// True when the server of Url accepts a connection (nothing is asked of it); otherwise fault says
// why (a Resolve or Connect fault).
bool CanConnectTo(const std::string& Url, TNetFault& fault);

// Fetches Url (http or https) into FileName, replacing the file, on the calling thread. True only
// when the whole response arrived with a success status (an HTTP error page is a failure) and the
// file was stored; on failure FileName is left as it was. Connecting and every read end after the
// no-progress time-out (net/HTTPGet.h), so a server that stops sending cannot hold the run.
bool DownloadToFile(const std::string& Url, const std::string& FileName);
// The same, telling why it failed.
bool DownloadToFile(const std::string& Url, const std::string& FileName, TNetFault& fault);
