// Text to integer and back, with the run-time library's rules.
#pragma once

#include <cstdint>
#include <optional>
#include <string>

#include "platform/platform.h"

namespace settings {

// The conversion error: "'<text>' is not a valid integer value".
class EConvertError : public plat::Exception {
public:
    using plat::Exception::Exception;
};

// Blanks before the number, a "+" or "-" sign, and "$", "x" or "0x" (either
// case) for hexadecimal are allowed. Anything else, an empty text, or a
// decimal number outside the signed 32-bit range gives nullopt.
std::optional<std::int32_t> ParseInteger(const std::string& text);

std::int32_t StrToIntDef(const std::string& text, std::int32_t defaultValue);
std::int32_t StrToInt(const std::string& text);  // raises EConvertError
std::string IntToStr(std::int32_t value);

}  // namespace settings
