#include "settings_file/value_codes.h"

namespace settings {

// Follows the run-time library's Val for 32-bit integers:
// - only the blank " " counts before the number; nothing may follow it;
// - a NUL ends the text, as it ends the run-time library's scan;
// - decimal must lie in -2147483648..2147483647;
// - hexadecimal may use all 32 bits and wraps into the signed range, so
//   "$FFFFFFFF" is -1 and "$80000000" is -2147483648; more than 32 bits of
//   value (leading zeros aside) is unusable. A "-" before a hexadecimal
//   number negates the 32-bit pattern ("-$FFFFFFFF" is 1).
std::optional<std::int32_t> ParseInteger(const std::string& text) {
    const char* p = text.c_str();  // stops at the first NUL
    while (*p == ' ') ++p;

    bool negative = false;
    if (*p == '-' || *p == '+') {
        negative = *p == '-';
        ++p;
    }

    bool hex = false;
    if (*p == '$' || *p == 'x' || *p == 'X') {
        hex = true;
        ++p;
    } else if (p[0] == '0' && (p[1] == 'x' || p[1] == 'X')) {
        hex = true;
        p += 2;
    }
    if (*p == '\0') return std::nullopt;

    std::uint32_t value = 0;
    if (hex) {
        for (; *p; ++p) {
            int digit;
            if (*p >= '0' && *p <= '9') digit = *p - '0';
            else if (*p >= 'a' && *p <= 'f') digit = *p - 'a' + 10;
            else if (*p >= 'A' && *p <= 'F') digit = *p - 'A' + 10;
            else return std::nullopt;
            if (value > 0x0FFFFFFFu) return std::nullopt;
            value = (value << 4) | static_cast<std::uint32_t>(digit);
        }
        if (negative) value = 0u - value;
        return static_cast<std::int32_t>(value);
    }

    std::uint64_t magnitude = 0;
    for (; *p; ++p) {
        if (*p < '0' || *p > '9') return std::nullopt;
        magnitude = magnitude * 10 + static_cast<std::uint64_t>(*p - '0');
        if (magnitude > 2147483648ull) return std::nullopt;
    }
    if (negative) return static_cast<std::int32_t>(-static_cast<std::int64_t>(magnitude));
    if (magnitude > 2147483647ull) return std::nullopt;
    return static_cast<std::int32_t>(magnitude);
}

std::int32_t StrToIntDef(const std::string& text, std::int32_t defaultValue) {
    return ParseInteger(text).value_or(defaultValue);
}

std::int32_t StrToInt(const std::string& text) {
    if (auto v = ParseInteger(text)) return *v;
    throw EConvertError("'" + text + "' is not a valid integer value");
}

std::string IntToStr(std::int32_t value) {
    return std::to_string(value);
}

}  // namespace settings
