#include "settings_file/ini_file.h"

#include <array>
#include <vector>

#include "settings_file/value_codes.h"

// How the file's text is read, written to match the system's private-profile
// functions (as Wine implements them):
// - Lines end at "\r\n", "\r" or "\n". Blanks are " ", TAB, LF, VT, FF, CR
//   and ^Z; they are trimmed from both ends of every line, around the name
//   and before the value. Lines that are blank after trimming are ignored.
// - A line whose first character is "[" and which holds a "]" later is a
//   section header; the name is what stands between the "[" and the LAST
//   "]", trimmed, so "[ Options ]" is the section "Options" and "[Opt]ions]"
//   the section "Opt]ions". A "[" line without "]" is an ordinary line.
// - Every other non-blank line is an entry: the name is the text before the
//   first "=", the value the text after it. A line without "=" is an entry
//   without a value, which reads as missing. Comment lines (";") are entries
//   whose name starts with ";", so no key we ask for ever matches them.
// - Names match without regard to the case of ASCII letters. The names asked
//   for are trimmed first.
// - Names and values are C strings to the system: a NUL byte ends them.
// - Only the FIRST section of a name counts; a later section of the same
//   name is never read or written. Within it the FIRST entry of a name wins,
//   even one without "=" (which then reads as missing).
// - A value that starts and ends with the same quote (' or "), at least two
//   characters long, loses both quotes.
// - Keys before the first section header form a section with the empty name.
// - A file that starts with a UTF-8 byte-order mark, or with a UTF-16 one
//   (either byte order), is read and written in that encoding; values pass
//   through Windows-1252 (the Western code page) on their way in and out,
//   and characters it lacks read as "?". Anything else is single-byte text
//   taken byte for byte, binary bytes included.

namespace settings {
namespace {

enum class Encoding { Ansi, Utf8, Utf16LE, Utf16BE };

constexpr std::size_t npos = std::string::npos;

// Windows-1252 for the bytes 0x80..0x9F; the rest of the code page is Latin-1.
constexpr std::array<char16_t, 32> kCp1252High = {
    0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021,
    0x02C6, 0x2030, 0x0160, 0x2039, 0x0152, 0x008D, 0x017D, 0x008F,
    0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014,
    0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178};

char16_t FromCp1252(unsigned char b) {
    if (b >= 0x80 && b < 0xA0) return kCp1252High[b - 0x80];
    return b;
}

char ToCp1252(char16_t u) {
    if (u < 0x80 || (u >= 0xA0 && u <= 0xFF)) return static_cast<char>(u);
    for (std::size_t i = 0; i < kCp1252High.size(); ++i)
        if (kCp1252High[i] == u) return static_cast<char>(0x80 + i);
    return '?';
}

// The file's text as the units the reader works on, and where each unit
// lies in the file's bytes.
struct Text {
    Encoding encoding = Encoding::Ansi;
    std::string_view bytes;
    std::size_t bom = 0;
    std::u16string wide;                // the units, unless Ansi
    std::vector<std::size_t> offsets;   // Utf8 only: byte offset of each unit, and the end

    std::size_t size() const {
        return encoding == Encoding::Ansi ? bytes.size() : wide.size();
    }
    char16_t operator[](std::size_t i) const {
        return encoding == Encoding::Ansi ? static_cast<unsigned char>(bytes[i]) : wide[i];
    }
    std::size_t ByteOffset(std::size_t unit) const {
        switch (encoding) {
            case Encoding::Ansi: return unit;
            case Encoding::Utf8: return offsets[unit];
            default: return bom + 2 * unit;
        }
    }
};

// Decodes one UTF-8 sequence at bytes[i]. A broken sequence gives one
// U+FFFD for the bytes up to where it is found broken, as the system's
// converter does: "\xE2\x82" then a CR is one U+FFFD, "\xE0\x80\x80" two.
// A sequence cut off by the end of the file is broken at the end, after the
// continuation bytes it has. (Wine's converter takes the next bytes whatever
// they are, so a line written behind such a sequence would change how the
// last line reads: "K=x\xE2=" would read "x?" before and "x?=" after.)
char32_t DecodeUtf8(std::string_view b, std::size_t& i) {
    constexpr char32_t kBad = 0xFFFD;
    const unsigned char lead = static_cast<unsigned char>(b[i++]);
    if (lead < 0x80) return lead;
    int more;  // continuation bytes the lead byte asks for
    char32_t cp;
    if (lead >= 0xC2 && lead <= 0xDF) {
        more = 1;
        cp = lead & 0x1F;
    } else if (lead >= 0xE0 && lead <= 0xEF) {
        more = 2;
        cp = lead & 0x0F;
    } else if (lead >= 0xF0 && lead <= 0xF4) {
        more = 3;
        cp = lead & 0x07;
    } else {
        return kBad;
    }
    for (int left = more - 1; left >= 0; --left) {
        if (i >= b.size()) return kBad;  // cut off by the end of the file
        const unsigned char ch = static_cast<unsigned char>(b[i]) ^ 0x80;
        if (ch >= 0x40) return kBad;
        cp = (cp << 6) | ch;
        if (left == 2) {
            ++i;
            if (cp < 0x10) return kBad;  // overlong four-byte form
        } else if (left == 1) {
            if (cp >= (0x110000 >> 6)) return kBad;  // beyond U+10FFFF
            ++i;
            if (cp < 0x20) return kBad;  // overlong three-byte form
            if (cp >= (0xD800 >> 6) && cp <= (0xDFFF >> 6)) return kBad;  // surrogate
        } else {
            ++i;
        }
    }
    return cp;
}

Text Decode(std::string_view bytes) {
    Text t;
    t.bytes = bytes;
    auto at = [&](std::size_t k) { return static_cast<unsigned char>(bytes[k]); };
    if (bytes.size() >= 3 && at(0) == 0xEF && at(1) == 0xBB && at(2) == 0xBF) {
        t.encoding = Encoding::Utf8;
        t.bom = 3;
        std::size_t i = 3;
        while (i < bytes.size()) {
            t.offsets.push_back(i);
            char32_t cp = DecodeUtf8(bytes, i);
            if (cp >= 0x10000) {
                // A pair of surrogates: both units start at the same byte.
                cp -= 0x10000;
                t.wide.push_back(static_cast<char16_t>(0xD800 + (cp >> 10)));
                t.offsets.push_back(t.offsets.back());
                t.wide.push_back(static_cast<char16_t>(0xDC00 + (cp & 0x3FF)));
            } else {
                t.wide.push_back(static_cast<char16_t>(cp));
            }
        }
        t.offsets.push_back(bytes.size());
    } else if (bytes.size() >= 2 && ((at(0) == 0xFF && at(1) == 0xFE) ||
                                     (at(0) == 0xFE && at(1) == 0xFF))) {
        t.encoding = at(0) == 0xFF ? Encoding::Utf16LE : Encoding::Utf16BE;
        t.bom = 2;
        // A last odd byte is no unit; it stays where it is.
        for (std::size_t i = 2; i + 1 < bytes.size(); i += 2) {
            char16_t lo = at(i), hi = at(i + 1);
            t.wide.push_back(t.encoding == Encoding::Utf16LE
                                 ? static_cast<char16_t>(lo | (hi << 8))
                                 : static_cast<char16_t>((lo << 8) | hi));
        }
    }
    return t;
}

// Text of the caller (single-byte) as units of the file's encoding.
std::u16string ToUnits(const Text& t, std::string_view s) {
    std::u16string out;
    for (char c : s) {
        auto b = static_cast<unsigned char>(c);
        out.push_back(t.encoding == Encoding::Ansi ? b : FromCp1252(b));
    }
    return out;
}

std::string Encode(const Text& t, const std::u16string& units) {
    std::string out;
    for (std::size_t i = 0; i < units.size(); ++i) {
        char32_t u = units[i];
        switch (t.encoding) {
            case Encoding::Ansi:
                out.push_back(static_cast<char>(u));
                break;
            case Encoding::Utf16LE:
                out.push_back(static_cast<char>(u & 0xFF));
                out.push_back(static_cast<char>(u >> 8));
                break;
            case Encoding::Utf16BE:
                out.push_back(static_cast<char>(u >> 8));
                out.push_back(static_cast<char>(u & 0xFF));
                break;
            case Encoding::Utf8:
                if (u < 0x80) {
                    out.push_back(static_cast<char>(u));
                } else if (u < 0x800) {
                    out.push_back(static_cast<char>(0xC0 | (u >> 6)));
                    out.push_back(static_cast<char>(0x80 | (u & 0x3F)));
                } else {
                    out.push_back(static_cast<char>(0xE0 | (u >> 12)));
                    out.push_back(static_cast<char>(0x80 | ((u >> 6) & 0x3F)));
                    out.push_back(static_cast<char>(0x80 | (u & 0x3F)));
                }
                break;
        }
    }
    return out;
}

bool IsBlank(char16_t c) {
    return (c >= 0x09 && c <= 0x0D) || c == 0x1A || c == 0x20;
}

char16_t FoldAscii(char16_t c) {
    return (c >= 'a' && c <= 'z') ? static_cast<char16_t>(c - 'a' + 'A') : c;
}

// A name asked for: cut at NUL, blanks trimmed from both ends.
std::string TrimName(const std::string& name) {
    std::string s = name.substr(0, name.find('\0'));
    std::size_t b = 0, e = s.size();
    while (b < e && IsBlank(static_cast<unsigned char>(s[b]))) ++b;
    while (e > b && IsBlank(static_cast<unsigned char>(s[e - 1]))) --e;
    return s.substr(b, e - b);
}

// Whether the file's name in units [b, e), cut at its first NUL, equals want.
bool NameIs(const Text& t, std::size_t b, std::size_t e, const std::u16string& want) {
    std::size_t n = 0;
    for (std::size_t i = b; i < e && t[i] != 0; ++i, ++n) {
        if (n >= want.size() || FoldAscii(t[i]) != FoldAscii(want[n])) return false;
    }
    return n == want.size();
}

// What a scan for section/key finds in the text.
struct Found {
    bool section = false;
    std::size_t insertAt = 0;        // unit after the section's last line
    bool insertNeedsBreak = false;   // that line ends the file without a break
    bool key = false;
    bool hasValue = false;           // the key's line holds "="
    std::size_t valueBegin = 0;      // first unit of the value
    std::size_t valueEnd = 0;        // end of the value, trailing blanks excluded
    std::size_t lineEnd = 0;         // end of the key's line, before its break
};

Found Scan(const Text& t, const std::u16string& section, const std::u16string& key) {
    Found f;
    // Lines before the first header belong to the section without a name.
    bool inTarget = section.empty();
    if (inTarget) f.section = true;

    const std::size_t n = t.size();
    std::size_t pos = 0;
    while (pos < n) {
        const std::size_t begin = pos;
        std::size_t end = begin;
        while (end < n && t[end] != '\r' && t[end] != '\n') ++end;
        std::size_t next = end;
        if (next < n) next += (t[next] == '\r' && next + 1 < n && t[next + 1] == '\n') ? 2 : 1;
        pos = next;

        std::size_t b = begin, e = end;
        while (b < e && IsBlank(t[b])) ++b;
        while (e > b && IsBlank(t[e - 1])) --e;
        if (b == e) continue;

        if (t[b] == '[') {
            std::size_t close = e;
            while (close > b + 1 && t[close - 1] != ']') --close;
            if (close > b + 1) {
                if (inTarget) return f;  // only the first section of a name counts
                std::size_t nb = b + 1, ne = close - 1;
                while (nb < ne && IsBlank(t[nb])) ++nb;
                while (ne > nb && IsBlank(t[ne - 1])) --ne;
                if (NameIs(t, nb, ne, section)) {
                    inTarget = true;
                    f.section = true;
                    f.insertAt = next;
                    f.insertNeedsBreak = next == end;
                }
                continue;
            }
        }
        if (!inTarget) continue;

        f.insertAt = next;
        f.insertNeedsBreak = next == end;
        if (f.key) continue;

        std::size_t eq = b;
        while (eq < e && t[eq] != '=') ++eq;
        std::size_t nameEnd = eq;
        while (nameEnd > b && IsBlank(t[nameEnd - 1])) --nameEnd;
        if (!NameIs(t, b, nameEnd, key)) continue;

        f.key = true;
        f.lineEnd = end;
        if (eq < e) {
            f.hasValue = true;
            std::size_t v = eq + 1;
            while (v < e && IsBlank(t[v])) ++v;
            f.valueBegin = v;
            f.valueEnd = e;
        } else {
            f.valueBegin = f.valueEnd = nameEnd;
        }
    }
    return f;
}

// The line break that new lines get: the file's first one, or CR LF.
std::u16string LineBreak(const Text& t) {
    for (std::size_t i = 0; i < t.size(); ++i) {
        if (t[i] == '\n') return u"\n";
        if (t[i] == '\r') return (i + 1 < t.size() && t[i + 1] == '\n') ? u"\r\n" : u"\r";
    }
    return u"\r\n";
}

}  // namespace

namespace ini {

std::optional<std::string> GetValue(const std::string& text, const std::string& section,
                                    const std::string& key) {
    const Text t = Decode(text);
    const Found f = Scan(t, ToUnits(t, TrimName(section)), ToUnits(t, TrimName(key)));
    if (!f.key || !f.hasValue) return std::nullopt;

    std::size_t b = f.valueBegin, e = f.valueBegin;
    while (e < f.valueEnd && t[e] != 0) ++e;
    if (e - b >= 2 && (t[b] == '"' || t[b] == '\'') && t[e - 1] == t[b]) {
        ++b;
        --e;
    }
    std::string value;
    value.reserve(e - b);
    for (std::size_t i = b; i < e; ++i) {
        value.push_back(t.encoding == Encoding::Ansi ? static_cast<char>(t[i]) : ToCp1252(t[i]));
    }
    return value;
}

std::string SetValue(const std::string& text, const std::string& section,
                     const std::string& key, const std::string& value) {
    const Text t = Decode(text);
    const std::string sectionName = TrimName(section);
    const std::string keyName = TrimName(key);
    // The system drops blanks before the value, and a NUL ends it.
    std::string v = value.substr(0, value.find('\0'));
    std::size_t lead = 0;
    while (lead < v.size() && IsBlank(static_cast<unsigned char>(v[lead]))) ++lead;
    v.erase(0, lead);
    const std::u16string newValue = ToUnits(t, v);

    const Found f = Scan(t, ToUnits(t, sectionName), ToUnits(t, keyName));
    const std::u16string br = LineBreak(t);

    std::size_t from, to;  // units replaced
    std::u16string insert;
    if (f.key) {
        if (f.hasValue) {
            std::size_t e = f.valueBegin;
            while (e < f.valueEnd && t[e] != 0) ++e;
            // Same value: the system leaves the file as it is.
            std::u16string current;
            for (std::size_t i = f.valueBegin; i < e; ++i) current.push_back(t[i]);
            if (current == newValue) return text;
            // The line keeps its name, "=" and the blanks after it; the new
            // value replaces the rest up to the line break.
            from = f.valueBegin;
            to = f.lineEnd;
            insert = newValue;
        } else {
            from = f.valueBegin;  // end of the name
            to = f.lineEnd;
            insert.append(u"=").append(newValue);
        }
    } else if (f.section) {
        // After the section's last line (before any blank lines that follow it).
        from = to = f.insertAt;
        if (f.insertNeedsBreak) insert = br;
        insert.append(ToUnits(t, keyName)).append(u"=").append(newValue);
        // A lone CR just before a LF would join it into one break and take
        // the blank line that LF ends; CR LF keeps that line.
        insert.append(br == u"\r" && to < t.size() && t[to] == '\n' ? u"\r\n" : br);
    } else {
        from = to = t.size();
        if (t.size() > 0 && t[t.size() - 1] != '\n' && t[t.size() - 1] != '\r') insert = br;
        insert.append(u"[").append(ToUnits(t, sectionName)).append(u"]").append(br);
        insert.append(ToUnits(t, keyName)).append(u"=").append(newValue).append(br);
    }

    const std::size_t byteFrom = t.ByteOffset(from);
    const std::size_t byteTo = t.ByteOffset(to);
    std::string out;
    out.reserve(text.size() + insert.size() * 3);
    out.append(text, 0, byteFrom);
    out += Encode(t, insert);
    out.append(text, byteTo, npos);
    return out;
}

}  // namespace ini

TIniFile::TIniFile(plat::Platform& platform, std::string fileName)
    : platform_(platform), fileName_(std::move(fileName)) {}

// The file is read on first use and kept for the life of this object, which
// lives for one load or one save.
const std::string& TIniFile::Text() {
    if (!text_) text_ = platform_.ReadFile(fileName_).value_or(std::string());
    return *text_;
}

std::string TIniFile::ReadString(const std::string& section, const std::string& key,
                                 const std::string& defaultValue) {
    auto value = ini::GetValue(Text(), section, key);
    if (!value) return defaultValue;
    if (value->size() > kMaxValueLength) value->resize(kMaxValueLength);
    return *value;
}

std::int32_t TIniFile::ReadInteger(const std::string& section, const std::string& key,
                                   std::int32_t defaultValue) {
    return StrToIntDef(ReadString(section, key, ""), defaultValue);
}

bool TIniFile::ReadBool(const std::string& section, const std::string& key, bool defaultValue) {
    return ReadInteger(section, key, defaultValue ? 1 : 0) != 0;
}

// Every write goes to the file, even one that changes nothing, so that a
// file the user may not write always fails as the system's write does.
void TIniFile::WriteString(const std::string& section, const std::string& key,
                           const std::string& value) {
    if (!text_ || text_->empty()) {
        // A file that exists but cannot be read must not be replaced by one
        // built from nothing.
        auto bytes = platform_.ReadFile(fileName_);
        if (!bytes && platform_.FileExists(fileName_))
            throw EIniFileException("Unable to write to " + fileName_);
        text_ = bytes.value_or(std::string());
    }
    std::string updated = ini::SetValue(*text_, section, key, value);
    if (platform_.ReplaceFile(fileName_, updated) != plat::WriteResult::Ok)
        throw EIniFileException("Unable to write to " + fileName_);
    text_ = std::move(updated);
}

void TIniFile::WriteInteger(const std::string& section, const std::string& key,
                            std::int32_t value) {
    WriteString(section, key, IntToStr(value));
}

void TIniFile::WriteBool(const std::string& section, const std::string& key, bool value) {
    WriteString(section, key, value ? "1" : "0");
}

}  // namespace settings
