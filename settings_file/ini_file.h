// The settings file engine: an INI file read and written the way the
// system's private-profile functions do it, in portable code.
//
// Reads never change the file. A write touches only its own key's line (or
// adds the key, the section, or the file), keeps every other byte as it was,
// and replaces the file atomically.
#pragma once

#include <cstdint>
#include <optional>
#include <string>

#include "platform/platform.h"

namespace settings {

// A write the system refused; the text is "Unable to write to <path>".
class EIniFileException : public plat::Exception {
public:
    using plat::Exception::Exception;
};

// Text values longer than this are cut, as the private-profile reader does.
inline constexpr std::size_t kMaxValueLength = 2047;

namespace ini {

// The value of section/key in the text of a settings file, as the private-
// profile reader returns it (names matched without regard to case, blanks
// around the value and one pair of surrounding quotes removed), not yet cut
// to kMaxValueLength. nullopt when the section or key is missing.
std::optional<std::string> GetValue(const std::string& text, const std::string& section,
                                    const std::string& key);

// The text with section/key set to value: the key's line rewritten in place,
// or the key added at the end of its section, or the section added at the end
// of the text. Every other byte stays as it was.
std::string SetValue(const std::string& text, const std::string& section,
                     const std::string& key, const std::string& value);

}  // namespace ini

class TIniFile {
public:
    // Opens and creates nothing: a missing file reads as empty.
    TIniFile(plat::Platform& platform, std::string fileName);

    const std::string& FileName() const { return fileName_; }

    std::string ReadString(const std::string& section, const std::string& key,
                           const std::string& defaultValue);
    std::int32_t ReadInteger(const std::string& section, const std::string& key,
                             std::int32_t defaultValue);
    bool ReadBool(const std::string& section, const std::string& key, bool defaultValue);

    // Each raises EIniFileException when the file cannot be written.
    void WriteString(const std::string& section, const std::string& key,
                     const std::string& value);
    void WriteInteger(const std::string& section, const std::string& key, std::int32_t value);
    void WriteBool(const std::string& section, const std::string& key, bool value);

private:
    const std::string& Text();

    plat::Platform& platform_;
    std::string fileName_;
    std::optional<std::string> text_;  // the file as last read or written
};

}  // namespace settings
