#include "framework/IniFile_win.h"

#include <windows.h>

std::string TIniFile::ReadString(const std::string& section, const std::string& key,
                                 const std::string& defaultValue) const {
    char buffer[2048] = {};
    DWORD n = ::GetPrivateProfileStringA(section.c_str(), key.c_str(), defaultValue.c_str(), buffer,
                                         sizeof(buffer), path_.c_str());
    return std::string(buffer, n < sizeof(buffer) ? n : sizeof(buffer) - 1);
}
