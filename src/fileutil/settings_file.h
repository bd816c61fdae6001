#pragma once
// Settings files in the INI form, and the trimming of settings texts that
// still arrive padded with characters of code 0.
#include <string>

namespace quillon::pub {

// The value of key in [section] of iniFile, trimmed of surrounding blanks;
// defaultText when the file cannot be read or holds no such key. Section and
// key names match without regard to (ASCII) case; lines starting with ";" or
// "#" are comments. The file is read as UTF-8 and the value returned as is.
std::string GetPrivateProfileString(const std::string& section, const std::string& key,
                                    const std::string& defaultText, const std::string& iniFile);

// Sets key in [section] of iniFile to value: the key's line replaced where
// there is one, else added at the end of the section, else the section added
// at the end of the file (made when absent). The file is written whole, under
// a temporary name. Throws quillon::Error.
void WritePrivateProfileString(const std::string& section, const std::string& key, const std::string& value,
                               const std::string& iniFile);

// The folder an installation keeps its projects in: ProjectPath of
// [AppInfo] in its settings file, "" when none is set.
std::string ProjectPathIn(const std::string& iniFile);

// The text up to its first character of code 0, without trailing blanks.
std::string TrimZero(const std::string& vstr);

}  // namespace quillon::pub
