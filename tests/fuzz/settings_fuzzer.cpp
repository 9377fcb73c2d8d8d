// libFuzzer target for the settings file engine.
//
// The input is the settings file. The target reads it as the saver and the
// dialog do, saves it as the dialog does (the eight Options writes through
// one TIniFile), and aborts when
//  (1) a write changes anything but the lines it writes: each write is
//      checked against where the engine's layout rules put it, and the whole
//      save is checked once more by removing the written lines from the
//      output and the lines they replaced from the input;
//  (2) reading the saved file back gives other values than the ones written,
//      or any other key that the saver and the dialog read reads differently.
// It saves twice: the values the dialog read (then once more, which must
// change nothing), and values taken from the input's bytes.
//
// Files with a byte-order mark are checked like the others: the engine
// writes only the text it adds in the file's encoding and copies every
// other byte, so their lines are compared unit by unit.

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <limits>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "platform/sim/sim_platform.h"
#include "settings_file/ini_file.h"
#include "settings_file/settings.h"
#include "settings_file/value_codes.h"

namespace {

using settings::TIniFile;

constexpr char kPath[] = "C:\\WINDOWS\\vidsaver.ini";
constexpr int kScreenW = 1024;
constexpr int kScreenH = 768;

[[noreturn]] void Fail(const char* what, int line) {
    std::fprintf(stderr, "settings_fuzzer.cpp:%d: check failed: %s\n", line, what);
    std::abort();
}
#define CHECK(cond) ((cond) ? (void)0 : Fail(#cond, __LINE__))

// --- What the saver and the dialog read ----------------------------------------

struct Reads {
    settings::SaverOptions saver;
    settings::DialogOptions dialog;
    std::vector<std::string> videos;  // Name1..Name200 as the saver reads them
    // The Link keys as the file holds them: a missing key and an empty value
    // read alike through the dialog's default, but must not swap.
    std::optional<std::string> button, site;
};

Reads ReadAll(sim::SimPlatform& sim) {
    Reads r;
    {
        TIniFile ini(sim, kPath);  // the saver's load
        r.saver = settings::ReadSaverOptions(ini);
        for (int n = 1; n <= settings::kVideoKeyCount; ++n)
            r.videos.push_back(
                ini.ReadString(settings::kSaverVideoSection, settings::VideoKey(n), " "));
    }
    {
        TIniFile ini(sim, kPath);  // the dialog's load
        r.dialog = settings::ReadDialogOptions(ini, kScreenW, kScreenH);
    }
    const std::string text = sim.ReadFile(kPath).value_or(std::string());
    r.button = settings::ini::GetValue(text, settings::kLink, settings::kButton);
    r.site = settings::ini::GetValue(text, settings::kLink, settings::kSite);
    return r;
}

// What holds for any file, whatever it holds.
void CheckReads(const Reads& r) {
    const settings::SaverOptions& s = r.saver;
    const settings::DialogOptions& d = r.dialog;
    CHECK(s.ColorScheme >= 1 && s.ColorScheme <= 4);
    CHECK(s.DisplayMode >= settings::dmLarge && s.DisplayMode <= settings::dmDefault);
    CHECK(s.PlayOrder == settings::pmRandom || s.PlayOrder == settings::pmListed);
    CHECK(d.Color >= 1 && d.Color <= 4);
    CHECK(d.Picdis >= settings::dmLarge && d.Picdis <= settings::dmDefault);
    CHECK(d.Picord == settings::pmRandom || d.Picord == settings::pmListed);
    CHECK(d.Height >= settings::kMinCustomSize && d.Height <= kScreenH);
    CHECK(d.Width >= settings::kMinCustomSize && d.Width <= kScreenW);
    // The two readers agree but on Picdis (the dialog's fallback is full
    // screen, the saver's each video's own size) and the dialog's limits.
    CHECK(d.Sound == s.SoundOn && d.Repeat == s.RepeatSound);
    CHECK(d.Color == s.ColorScheme && d.Picord == s.PlayOrder);
    CHECK(s.DisplayMode == settings::dmDefault
              ? (d.Picdis == settings::dmDefault || d.Picdis == settings::dmLarge)
              : d.Picdis == s.DisplayMode);
    CHECK(d.Height == settings::ClampCustomSize(s.CustomHeight, kScreenH));
    CHECK(d.Width == settings::ClampCustomSize(s.CustomWidth, kScreenW));
    CHECK(d.Button.size() <= settings::kMaxValueLength);
    CHECK(d.Site.size() <= settings::kMaxValueLength);
    CHECK(d.Button == r.button.value_or("").substr(0, settings::kMaxValueLength));
    CHECK(d.Site == r.site.value_or("").substr(0, settings::kMaxValueLength));
    for (const std::string& v : r.videos) CHECK(v.size() <= settings::kMaxValueLength);
}

// --- The file's lines, by the engine's layout rules ----------------------------

// The text as units: bytes for single-byte and UTF-8 files, 16-bit units
// for UTF-16. The UTF-8 decoder takes no byte below 0x80 into a sequence,
// broken or cut off, and no sequence decodes to ASCII, so the ASCII that
// makes lines, brackets, names and "=" is the same in bytes as in
// characters. The byte-order mark and a last odd byte of a UTF-16 file are
// no units and kept aside.
struct Units {
    std::string bom;
    std::u16string text;
    std::string odd;
};

Units ToUnits(const std::string& b) {
    Units u;
    auto at = [&](std::size_t i) { return static_cast<unsigned char>(b[i]); };
    if (b.size() >= 3 && at(0) == 0xEF && at(1) == 0xBB && at(2) == 0xBF) {
        u.bom = b.substr(0, 3);
        for (std::size_t i = 3; i < b.size(); ++i) u.text.push_back(at(i));
    } else if (b.size() >= 2 && ((at(0) == 0xFF && at(1) == 0xFE) ||
                                 (at(0) == 0xFE && at(1) == 0xFF))) {
        const bool le = at(0) == 0xFF;
        u.bom = b.substr(0, 2);
        std::size_t i = 2;
        for (; i + 1 < b.size(); i += 2)
            u.text.push_back(le ? static_cast<char16_t>(at(i) | (at(i + 1) << 8))
                                : static_cast<char16_t>((at(i) << 8) | at(i + 1)));
        u.odd = b.substr(i);
    } else {
        for (std::size_t i = 0; i < b.size(); ++i) u.text.push_back(at(i));
    }
    return u;
}

struct Line {
    std::u16string content;
    std::u16string brk;  // "\r\n", "\r", "\n", or empty at the end of the file
    bool operator==(const Line&) const = default;
};

std::vector<Line> Lines(const std::u16string& t) {
    std::vector<Line> lines;
    std::size_t pos = 0;
    while (pos < t.size()) {
        std::size_t end = pos;
        while (end < t.size() && t[end] != u'\r' && t[end] != u'\n') ++end;
        std::size_t next = end;
        if (next < t.size())
            next += (t[next] == u'\r' && next + 1 < t.size() && t[next + 1] == u'\n') ? 2 : 1;
        lines.push_back({t.substr(pos, end - pos), t.substr(end, next - end)});
        pos = next;
    }
    return lines;
}

// The break that new lines get: the file's first, or CR LF.
std::u16string NewBreak(const std::u16string& t) {
    for (std::size_t i = 0; i < t.size(); ++i) {
        if (t[i] == u'\n') return u"\n";
        if (t[i] == u'\r') return (i + 1 < t.size() && t[i + 1] == u'\n') ? u"\r\n" : u"\r";
    }
    return u"\r\n";
}

bool IsBlank(char16_t c) { return (c >= 0x09 && c <= 0x0D) || c == 0x1A || c == 0x20; }

std::u16string_view TrimLeft(std::u16string_view s) {
    while (!s.empty() && IsBlank(s.front())) s.remove_prefix(1);
    return s;
}
std::u16string_view TrimRight(std::u16string_view s) {
    while (!s.empty() && IsBlank(s.back())) s.remove_suffix(1);
    return s;
}
std::u16string_view Trim(std::u16string_view s) { return TrimRight(TrimLeft(s)); }
std::u16string_view CutAtNul(std::u16string_view s) { return s.substr(0, s.find(u'\0')); }

bool SameName(std::u16string_view a, std::string_view b) {
    if (a.size() != b.size()) return false;
    auto fold = [](char16_t c) { return (c >= u'a' && c <= u'z') ? char16_t(c - 32) : c; };
    for (std::size_t i = 0; i < a.size(); ++i)
        if (fold(a[i]) != fold(static_cast<unsigned char>(b[i]))) return false;
    return true;
}

std::u16string Widen(std::string_view s) { return std::u16string(s.begin(), s.end()); }

// A line as the reader classifies it. Names and values are trimmed first,
// then cut at a NUL.
struct Parsed {
    enum Kind { Blank, Header, Entry } kind = Blank;
    std::u16string_view name;
    bool hasEq = false;
    std::u16string_view value;  // not unquoted
};

Parsed Parse(std::u16string_view content) {
    Parsed p;
    const std::u16string_view t = Trim(content);
    if (t.empty()) return p;
    const std::size_t close = t.rfind(u']');
    if (t.front() == u'[' && close != std::u16string_view::npos && close > 0) {
        p.kind = Parsed::Header;
        p.name = CutAtNul(Trim(t.substr(1, close - 1)));
        return p;
    }
    p.kind = Parsed::Entry;
    const std::size_t eq = t.find(u'=');
    p.name = CutAtNul(TrimRight(t.substr(0, eq)));
    if (eq != std::u16string_view::npos) {
        p.hasEq = true;
        p.value = CutAtNul(TrimLeft(t.substr(eq + 1)));
    }
    return p;
}

// Where a write of Options/key goes: the key's line (the first entry of
// that name in the first Options section), else after the last non-blank
// line of that section, else a new section at the end of the file. These
// are the reader's rules too: a later Options section is never read, and a
// first "Sound" line without "=" hides a later "Sound=0" (it reads as
// missing and is the line written). A name cut by a NUL ("Sou\0nd") is no
// "Sound" line, and "Sound\0x" is one. The checks hold to the same rules,
// so such files are checked in full, not skipped.
struct Where {
    enum Op { Replace, Insert, AppendSection } op = AppendSection;
    std::size_t line = 0;  // Replace: the key's line; Insert: the line it follows
};

Where Locate(const std::vector<Line>& lines, std::string_view key) {
    std::optional<std::size_t> last;  // last non-blank line of the section
    for (std::size_t i = 0; i < lines.size(); ++i) {
        const Parsed p = Parse(lines[i].content);
        if (!last) {
            if (p.kind == Parsed::Header && SameName(p.name, settings::kOptions)) last = i;
            continue;
        }
        if (p.kind == Parsed::Header) break;
        if (p.kind == Parsed::Blank) continue;
        last = i;
        if (SameName(p.name, key)) return {Where::Replace, i};
    }
    if (!last) return {};
    return {Where::Insert, *last};
}

// Whether neu is the line old with its value replaced by value: the text up
// to and including "=" kept (or "=" added after the name), then only blanks
// and the new value.
bool IsRewrite(std::u16string_view old, std::u16string_view neu, std::string_view key,
               std::string_view value) {
    const Parsed p = Parse(neu);
    if (p.kind != Parsed::Entry || !SameName(p.name, key) || !p.hasEq) return false;
    if (p.value != Widen(value)) return false;
    std::u16string_view head;
    std::size_t eq = old.find(u'=');
    if (eq != std::u16string_view::npos) {
        head = old.substr(0, eq + 1);
    } else {
        head = TrimRight(old);
        if (neu.size() <= head.size() || neu[head.size()] != u'=') return false;
        eq = head.size();
    }
    if (neu.substr(0, head.size()) != head) return false;
    return TrimLeft(neu.substr(eq + 1)) == Widen(value);
}

// --- The save --------------------------------------------------------------------

struct Save {
    bool sound = true, repeat = true;
    std::int32_t color = 4, picdis = 1, picord = 2, height = 25, width = 25;
};

struct Write {
    const char* key;
    std::string text;  // as it stands in the file
};

std::vector<Write> Writes(const Save& s) {
    using settings::IntToStr;
    return {{settings::kSound, s.sound ? "1" : "0"},
            {settings::kRepeat, s.repeat ? "1" : "0"},
            {settings::kColor, IntToStr(s.color)},
            {settings::kPicdis, IntToStr(s.picdis)},
            {settings::kPicord, IntToStr(s.picord)},
            {settings::kHeight, IntToStr(s.height)},
            {settings::kWidth, IntToStr(s.width)},
            {settings::kStatus, "0"}};
}

void DoWrite(TIniFile& ini, int step, const Save& s) {
    using namespace settings;
    switch (step) {
        case 0: ini.WriteBool(kOptions, kSound, s.sound); break;
        case 1: ini.WriteBool(kOptions, kRepeat, s.repeat); break;
        case 2: ini.WriteInteger(kOptions, kColor, s.color); break;
        case 3: ini.WriteInteger(kOptions, kPicdis, s.picdis); break;
        case 4: ini.WriteInteger(kOptions, kPicord, s.picord); break;
        case 5: ini.WriteInteger(kOptions, kHeight, s.height); break;
        case 6: ini.WriteInteger(kOptions, kWidth, s.width); break;
        case 7: ini.WriteBool(kOptions, kStatus, false); break;
    }
}

// One write: after must be before with only the line of the key changed, or
// the key's line inserted (with a break added to the line it follows when
// that ends the file without one), or the section and the key's line
// appended.
void CheckWrite(const std::string& before, const std::string& after, const Write& w) {
    const Units ub = ToUnits(before), ua = ToUnits(after);
    CHECK(ua.bom == ub.bom);
    CHECK(ua.odd == ub.odd);
    const std::vector<Line> lb = Lines(ub.text), la = Lines(ua.text);
    const std::u16string br = NewBreak(ub.text);
    const Line keyLine{Widen(w.key) + u"=" + Widen(w.text), br};
    const Where where = Locate(lb, w.key);

    std::vector<Line> expected = lb;
    switch (where.op) {
        case Where::Replace: {
            if (after == before) {
                // Only a key that already holds the value is left alone.
                const Parsed p = Parse(lb[where.line].content);
                CHECK(p.hasEq && p.value == Widen(w.text));
                return;
            }
            CHECK(la.size() == lb.size());
            CHECK(la[where.line].brk == lb[where.line].brk);
            CHECK(IsRewrite(lb[where.line].content, la[where.line].content, w.key, w.text));
            expected[where.line] = la[where.line];
            break;
        }
        case Where::Insert: {
            Line added = keyLine;
            // A lone CR would join the LF of a blank line below into one break.
            const std::size_t below = where.line + 1;
            if (br == u"\r" && below < lb.size() && lb[below].content.empty() &&
                lb[below].brk == u"\n")
                added.brk = u"\r\n";
            if (expected[where.line].brk.empty()) expected[where.line].brk = br;
            expected.insert(expected.begin() + static_cast<std::ptrdiff_t>(below), added);
            break;
        }
        case Where::AppendSection:
            if (!expected.empty() && expected.back().brk.empty()) expected.back().brk = br;
            expected.push_back({u"[" + Widen(settings::kOptions) + u"]", br});
            expected.push_back(keyLine);
            break;
    }
    CHECK(la == expected);
}

// The whole save at once: the output without the lines of the written keys
// (and the Options header, when the save added the section) is the input
// without the lines it replaced; only the input's last line may have gained
// a break.
void CheckSave(const std::string& input, const std::string& output,
               const std::vector<Write>& writes) {
    const Units ui = ToUnits(input), uo = ToUnits(output);
    CHECK(uo.bom == ui.bom);
    CHECK(uo.odd == ui.odd);
    const std::vector<Line> in = Lines(ui.text), out = Lines(uo.text);
    std::vector<bool> replaced(in.size()), written(out.size());
    bool hadSection = false;
    for (const Write& w : writes) {
        const Where wi = Locate(in, w.key);
        if (wi.op == Where::Replace) replaced[wi.line] = true;
        hadSection = hadSection || wi.op != Where::AppendSection;
        const Where wo = Locate(out, w.key);
        CHECK(wo.op == Where::Replace);
        CHECK(!written[wo.line]);
        written[wo.line] = true;
    }
    if (!hadSection) {
        std::size_t h = 0;
        while (h < out.size() && !(Parse(out[h].content).kind == Parsed::Header &&
                                   SameName(Parse(out[h].content).name, settings::kOptions)))
            ++h;
        CHECK(h < out.size());
        written[h] = true;
    }
    std::vector<Line> kept, left;
    for (std::size_t i = 0; i < in.size(); ++i)
        if (!replaced[i]) kept.push_back(in[i]);
    for (std::size_t i = 0; i < out.size(); ++i)
        if (!written[i]) left.push_back(out[i]);
    CHECK(kept.size() == left.size());
    for (std::size_t i = 0; i < kept.size(); ++i) {
        CHECK(kept[i].content == left[i].content);
        const bool lastOfInput = !in.empty() && in.back().brk.empty() &&
                                 i + 1 == kept.size() && !replaced.back();
        CHECK(kept[i].brk == left[i].brk || (lastOfInput && kept[i].brk.empty()));
    }
}

// Saves the values as the dialog does, on a file that holds input, checking
// each write; returns the saved file.
std::string SaveFile(sim::SimPlatform& sim, const std::string& input, const Save& s) {
    sim.Files[kPath] = input;
    const std::vector<Write> writes = Writes(s);
    std::string before = input;
    {
        TIniFile ini(sim, kPath);
        for (int step = 0; step < 8; ++step) {
            DoWrite(ini, step, s);
            std::string after = sim.ReadFile(kPath).value_or(std::string());
            CheckWrite(before, after, writes[step]);
            before = std::move(after);
        }
    }
    CheckSave(input, before, writes);
    return before;
}

// Reading the saved file back: the written keys hold what was written, and
// every other key the saver and the dialog read reads as it did before.
Reads CheckReadBack(sim::SimPlatform& sim, const Reads& old, const Save& s) {
    {
        TIniFile ini(sim, kPath);
        for (const Write& w : Writes(s))
            CHECK(ini.ReadString(settings::kOptions, w.key, "") == w.text);
    }
    const Reads now = ReadAll(sim);
    CheckReads(now);
    CHECK(now.saver.SoundOn == s.sound && now.saver.RepeatSound == s.repeat);
    CHECK(now.saver.CustomHeight == s.height && now.saver.CustomWidth == s.width);
    CHECK(now.videos == old.videos);
    CHECK(now.button == old.button && now.site == old.site);
    CHECK(now.dialog.Button == old.dialog.Button && now.dialog.Site == old.dialog.Site);
    return now;
}

Save FromDialog(const settings::DialogOptions& d) {
    return {d.Sound, d.Repeat, d.Color, d.Picdis, d.Picord, d.Height, d.Width};
}

// Other values the dialog may save, taken from the input: the codes within
// the dialog's choices, the sizes anywhere in 32 bits.
Save FromBytes(const std::uint8_t* data, std::size_t size) {
    std::uint64_t h = 14695981039346656037ull;  // FNV-1a
    for (std::size_t i = 0; i < size; ++i) h = (h ^ data[i]) * 1099511628211ull;
    auto take = [&h](unsigned bits) {
        const std::uint64_t v = h & ((1ull << bits) - 1);
        h = (h >> bits) | (h << (64 - bits));
        return v;
    };
    auto size32 = [&]() -> std::int32_t {
        constexpr std::int32_t kSizes[] = {std::numeric_limits<std::int32_t>::min(),
                                           std::numeric_limits<std::int32_t>::max(),
                                           -1, 0, 25, kScreenH, kScreenW, 100000};
        const std::uint64_t pick = take(4);
        const std::int32_t any = static_cast<std::int32_t>(static_cast<std::uint32_t>(take(32)));
        return pick < 8 ? kSizes[pick] : any;
    };
    Save s;
    s.sound = take(1) != 0;
    s.repeat = take(1) != 0;
    s.color = 1 + static_cast<std::int32_t>(take(8) % 4);
    s.picdis = 1 + static_cast<std::int32_t>(take(8) % 5);
    s.picord = 1 + static_cast<std::int32_t>(take(1));
    s.height = size32();
    s.width = size32();
    return s;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string input(reinterpret_cast<const char*>(data), size);
    sim::SimPlatform sim;
    sim.Files[kPath] = input;

    const Reads first = ReadAll(sim);
    CheckReads(first);

    // The dialog's save with nothing changed: it reads back as it was read.
    const Save dialog = FromDialog(first.dialog);
    const std::string saved = SaveFile(sim, input, dialog);
    const Reads afterDialog = CheckReadBack(sim, first, dialog);
    CHECK(afterDialog.dialog == first.dialog);
    // A second save of the same values changes nothing.
    CHECK(SaveFile(sim, saved, dialog) == saved);

    // Other values, on the input as it was.
    const Save other = FromBytes(data, size);
    SaveFile(sim, input, other);
    const Reads afterOther = CheckReadBack(sim, first, other);
    CHECK(afterOther.saver.ColorScheme == other.color);
    CHECK(afterOther.saver.DisplayMode == other.picdis);
    CHECK(afterOther.saver.PlayOrder == other.picord);
    return 0;
}
