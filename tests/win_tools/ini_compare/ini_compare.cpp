// ini_compare.exe [directory]
//   Writes each INI file of a built-in table to disk and reads its keys with
//   both the system's GetPrivateProfileStringA and vidsaver's own reader
//   (settings::ini::GetValue, cut to 2,047 characters as TIniFile does).
//   Then applies writes with both WritePrivateProfileStringA and
//   settings::ini::SetValue to copies of a file and reads the results back
//   with the system's reader. Prints every disagreement; exits 0 when all
//   agree, 1 otherwise. Files go to the directory given, or to a fresh one
//   in the temporary directory, and are removed at the end.
// vidsaver's headers first: windows.h defines macros that would clash with
// the names of the platform interface.
#include "settings_file/ini_file.h"

#include <windows.h>

#include <cstdio>
#include <cstdint>
#include <fstream>
#include <string>
#include <utility>
#include <vector>

namespace {

using Key = std::pair<std::string, std::string>;  // section, key

// Default of every read: no file holds this text, so it marks "missing".
const char kMissing[] = "<missing>";

template <std::size_t N>
std::string B(const char (&bytes)[N]) {
    return std::string(bytes, N - 1);
}

std::string Garbage(std::uint32_t seed, int n) {
    std::string out = "x";  // no byte-order mark by chance
    for (int i = 0; i < n; ++i) {
        seed = seed * 1103515245u + 12345u;
        out.push_back(static_cast<char>(seed >> 16));
    }
    return out;
}

struct ReadCase {
    std::string name;
    std::string bytes;
    std::vector<Key> keys;
    // Non-empty: the system's reader is known to answer otherwise, and why
    // ours does not follow it.
    std::string knownDifference = {};
};

struct WriteCase {
    std::string name;
    std::string bytes;
    std::vector<std::pair<Key, std::string>> writes;  // in order
    std::vector<Key> probes;                           // read back afterwards
};

std::vector<ReadCase> ReadCases() {
    const std::string big(100000, 'x');
    const std::vector<Key> opt = {{"Options", "Sound"}, {"Options", "Color"},
                                  {"options", "SOUND"}, {"Link", "Site"}};
    std::vector<ReadCase> c = {
        {"crlf", "[Options]\r\nSound=0\r\nColor=2\r\n[Link]\r\nSite=http://x/?a=b\r\n", opt},
        {"lf", "[Options]\nSound=0\nColor=2\n[Link]\nSite=s\n", opt},
        {"cr", "[Options]\rSound=0\rColor=2\r[Link]\rSite=s\r", opt},
        {"mixed breaks", "[Options]\r\nSound=0\rColor=2\n\r[Link]\r\r\nSite=s", opt},
        {"no break at end", "[Options]\r\nSound=0\r\nColor=2", opt},
        {"blanks", "  [Options]  \r\n \t Sound \t =  \t 0 \t \r\n\tColor=  2  ", opt},
        {"other blanks", "[Options]\r\n\x0bSound\x0c=\x1a" "1\x1a\r\nColor=\x0b" "2\x0c\r\n", opt},
        {"blanks in brackets", "[ Options ]\r\nSound=0\r\n[Options ]\r\nColor=2\r\n",
         {{"Options", "Sound"}, {" Options ", "Sound"}, {"Options", "Color"}}},
        {"text after header", "[Options] ; c\r\nSound=0\r\n[Link]]\r\nSite=s\r\n",
         {{"Options", "Sound"}, {"Link", "Site"}, {"Link]", "Site"}}},
        {"header without bracket", "[Options]\r\n[Link\r\nSound=0\r\n[Opt]ions]\r\nColor=2\r\n",
         {{"Options", "Sound"}, {"Link", "Sound"}, {"Opt]ions", "Color"}, {"Opt", "Color"}}},
        {"comments", "[Options]\r\n;Sound=1\r\n; Color=3\r\n#Color=4\r\nSound=0\r\n",
         {{"Options", "Sound"}, {"Options", "Color"}, {"Options", "#Color"},
          {"Options", ";Sound"}}},
        {"first key wins", "[Options]\r\nSound=1\r\nSound=0\r\nColor\r\nColor=2\r\n", opt},
        {"two sections", "[Options]\r\nSound=1\r\n[Link]\r\nSite=a\r\n[OPTIONS]\r\nSound=0\r\n"
                         "Color=2\r\n[link]\r\nSite=b\r\n", opt},
        {"quotes",
         "[Q]\r\nA=\"abc\"\r\nB='abc'\r\nC = \" 16 \" \r\nD=\"abc'\r\nE=\"abc\r\nF=\"\r\n"
         "G=\"\"\r\nH=\"a\"b\"\r\nI=a\"b\"\r\nJ=''\r\nK='\r\n",
         {{"Q", "A"}, {"Q", "B"}, {"Q", "C"}, {"Q", "D"}, {"Q", "E"}, {"Q", "F"}, {"Q", "G"},
          {"Q", "H"}, {"Q", "I"}, {"Q", "J"}, {"Q", "K"}}},
        {"empty values", "[Options]\r\nSound=\r\nColor=   \r\n=9\r\n  =8\r\n",
         {{"Options", "Sound"}, {"Options", "Color"}}},
        {"value with equals", "[Link]\r\nSite = a=b=c \r\n", {{"Link", "Site"}}},
        {"keys before header", "Sound=1\r\n[Options]\r\nColor=2\r\n",
         {{"", "Sound"}, {"Options", "Sound"}, {"Options", "Color"}, {"", "Color"}}},
        {"empty header", "[]\r\nSound=1\r\n[Options]\r\nColor=2\r\n",
         {{"", "Sound"}, {"Options", "Color"}}},
        {"nul bytes", B("[Options]\r\nSound=1\0junk\r\nSo\0und=3\r\nColor=2 \0x\r\n"
                        "[Li\0nk]\r\nSite=s\r\n\0\0\0\r\nButton=b\r\n"),
         {{"Options", "Sound"}, {"Options", "So"}, {"Options", "Color"}, {"Li", "Site"},
          {"Link", "Site"}, {"Li", "Button"}}},
        {"high bytes", "[Options]\r\nSound=\xe9t\xe9 \xff\x80\x81\x9f\r\nColor=a\x01\x02" "b\r\n",
         {{"Options", "Sound"}, {"Options", "Color"}}},
        {"utf-8 bom",
         "\xEF\xBB\xBF[Options]\r\nSound=caf\xC3\xA9 \xE2\x82\xAC\r\nColor=2\r\n[Link]\r\n"
         "Site=http://x\r\n",
         opt},
        {"utf-16le bom",
         B("\xFF\xFE[\0O\0p\0t\0i\0o\0n\0s\0]\0\r\0\n\0S\0o\0u\0n\0d\0=\0\xE9\0\xAC\x20\r\0\n\0"
           "C\0o\0l\0o\0r\0=\0" "2\0"),
         opt},
        {"utf-16be bom",
         B("\xFE\xFF\0[\0O\0p\0t\0i\0o\0n\0s\0]\0\n\0S\0o\0u\0n\0d\0=\0" "7"), opt},
        {"long lines",
         "[Options]\r\n;" + big + "\r\nSound=" + big + "\r\nColor=2\r\n" + big +
             "\r\n[Link]\r\nSite=\"" + big + "\"\r\n",
         opt},
        {"quoted value of 2,046", "[Link]\r\nSite=\"" + std::string(2046, 'q') + "\"\r\n",
         {{"Link", "Site"}}},
        {"quoted value of 2,048", "[Link]\r\nSite=\"" + std::string(2048, 'q') + "\"\r\n",
         {{"Link", "Site"}}},
        {"garbage then section", Garbage(12345, 20000) + "\r\n[Options]\r\nSound=0\r\n", opt},
        {"garbage", Garbage(777, 5000), opt},
        {"empty file", "", opt},
        {"only breaks", "\r\n\r\n\n\r", opt},
        {"odd lines",
         B("[\tOptions\t]\r\n[abc=1\r\nSound2=2\r\nSound=0\x1a\r\n\0Color=3\r\n"
           "[  ]\r\nColor=4\r\n"),
         {{"Options", "[abc"}, {"Options", "Sound"}, {"Options", "Color"}, {"", "Color"},
          {"Options", "Sound2"}}},
        {"utf-8 bom, bad sequences",
         "\xEF\xBB\xBF[Link]\r\nSite=\xff\xc3(\xe2\x82\r\nButton=\xe0\x80\x80|\xed\xa0\x80|"
         "\xf4\x90\x80\x80|\xf0\x9f\x98\x80|\xc0\xaf|\xf0\x9f\x98\r\nA=\xe2\x82",
         {{"Link", "Site"}, {"Link", "Button"}, {"Link", "A"}}},
        {"names beyond ascii", "[\xC9t\xE9]\r\n\xC9t\xE9=1\r\n\xE9t\xE9=2\r\n",
         {{"\xE9t\xE9", "\xE9t\xE9"}, {"\xC9t\xE9", "\xE9t\xE9"}, {"\xC9t\xE9", "\xC9T\xE9"}}},
        {"dialog's file",
         "[Options]\r\nSound=0\r\nRepeat=0\r\nColor=4\r\nPicdis=4\r\nPicord=1\r\nHeight=240\r\n"
         "Width=320\r\nStatus=0\r\n\r\n[VidConfig]\r\nName1=C:\\VIDEOS\\SURF.AVI\r\n"
         "Name2=C:\\VIDEOS\\CLOUDS.MPG\r\nName3=Null\r\n",
         {{"vidConfig", "Name1"}, {"VIDCONFIG", "Name2"}, {"VidConfig", "Name3"},
          {"VidConfig", "Name4"}, {"Options", "Height"}, {"Options", "Status"}}},
    };
    c.push_back({"quoted value of 2,047",
                 "[Link]\r\nSite=\"" + std::string(2047, 'q') + "\"\r\n",
                 {{"Link", "Site"}},
                 "with exactly 2,047 characters between the quotes the system's reader "
                 "drops the last one of them as well as the closing quote; ours keeps all "
                 "2,047, which fit"});
    return c;
}

std::vector<WriteCase> WriteCases() {
    const std::vector<std::pair<Key, std::string>> save = {
        {{"Options", "Sound"}, "1"}, {{"Options", "Repeat"}, "0"}, {{"Options", "Color"}, "4"},
        {{"Options", "Picdis"}, "1"}, {{"Options", "Picord"}, "2"},
        {{"Options", "Height"}, "768"}, {{"Options", "Width"}, "25"},
        {{"Options", "Status"}, "0"}};
    const std::vector<Key> probes = {
        {"Options", "Sound"},  {"Options", "Repeat"},  {"Options", "Color"},
        {"Options", "Picdis"}, {"Options", "Picord"},  {"Options", "Height"},
        {"Options", "Width"},  {"Options", "Status"},  {"VidConfig", "Name1"},
        {"VidConfig", "Name2"}, {"VidConfig", "Height"}, {"Link", "Site"},
        {"Link", "Button"}};
    return {
        {"save into full file",
         "; tool\r\n[Options]\r\nSound=5\r\n  Repeat = 0\r\nColor=9\r\n; size\r\n"
         "Height=\"2000\"\r\n\r\n[VidConfig]\r\nName1=C:\\A.AVI\r\nHeight=77\r\n\r\n[Link]\r\n"
         "Button= Visit \r\nSite=http://x",
         save, probes},
        {"save into file without options", "[VidConfig]\nName1=C:\\A.AVI", save, probes},
        {"save into empty file", "", save, probes},
        {"save with duplicates",
         "[Options]\r\nSound\r\nSound=0\r\n[VidConfig]\r\nName1=a\r\n[options]\r\nColor=3\r\n"
         "Width=1\r\n",
         save, probes},
        {"save with odd headers",
         "[ Options ]\r\nSound=0\r\n[Options\r\nColor=2\r\n[Link]\r\nSite=s\r\n", save, probes},
        {"save with nul bytes",
         B("[Options]\r\nSound=1\0x\r\nCo\0lor=2\r\n[VidConfig]\r\nName1=a\0b\r\n"), save,
         probes},
        {"save into utf-16le",
         B("\xFF\xFE[\0L\0i\0n\0k\0]\0\r\0\n\0S\0i\0t\0e\0=\0s\0\r\0\n\0"), save, probes},
        {"save into utf-8 bom", "\xEF\xBB\xBF[Link]\nSite=\xC3\xA9\n", save, probes},
        {"save after long line", "[Options]\r\n;" + std::string(100000, 'c') + "\r\nSound=0",
         save, probes},
    };
}

std::string Escape(const std::string& s) {
    std::string out;
    const std::size_t shown = s.size() > 60 ? 60 : s.size();
    for (std::size_t i = 0; i < shown; ++i) {
        auto c = static_cast<unsigned char>(s[i]);
        if (c >= 0x20 && c < 0x7F && c != '\\') {
            out.push_back(static_cast<char>(c));
        } else {
            char buf[8];
            std::snprintf(buf, sizeof buf, "\\x%02X", c);
            out += buf;
        }
    }
    if (shown < s.size()) out += "...(" + std::to_string(s.size()) + " bytes)";
    return out;
}

bool WriteBytes(const std::string& path, const std::string& bytes) {
    std::ofstream f(path, std::ios::binary | std::ios::trunc);
    f.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    return static_cast<bool>(f);
}

std::string SystemRead(const std::string& path, const Key& k) {
    std::vector<char> buffer(settings::kMaxValueLength + 1, '\0');
    DWORD n = GetPrivateProfileStringA(k.first.c_str(), k.second.c_str(), kMissing,
                                       buffer.data(), static_cast<DWORD>(buffer.size()),
                                       path.c_str());
    return std::string(buffer.data(), n);
}

std::string OwnRead(const std::string& bytes, const Key& k) {
    auto v = settings::ini::GetValue(bytes, k.first, k.second);
    if (!v) return kMissing;
    if (v->size() > settings::kMaxValueLength) v->resize(settings::kMaxValueLength);
    return *v;
}

}  // namespace

int main(int argc, char** argv) {
    std::string dir;
    if (argc > 1) {
        dir = argv[1];
    } else {
        char temp[MAX_PATH];
        GetTempPathA(MAX_PATH, temp);
        dir = std::string(temp) + "ini_compare_" + std::to_string(GetCurrentProcessId());
    }
    CreateDirectoryA(dir.c_str(), nullptr);
    if (!dir.empty() && dir.back() != '\\' && dir.back() != '/') dir += '\\';

    std::vector<std::string> made;
    int checked = 0, mismatches = 0, known = 0;

    const auto reads = ReadCases();
    for (std::size_t i = 0; i < reads.size(); ++i) {
        const ReadCase& c = reads[i];
        const std::string path = dir + "read" + std::to_string(i) + ".ini";
        if (!WriteBytes(path, c.bytes)) {
            std::printf("cannot write %s\n", path.c_str());
            return 2;
        }
        made.push_back(path);
        bool differs = false;
        for (const Key& k : c.keys) {
            ++checked;
            const std::string sys = SystemRead(path, k);
            const std::string own = OwnRead(c.bytes, k);
            if (sys == own) continue;
            differs = true;
            std::printf("%s [%s] %s: case \"%s\"\n  system: %s\n  ours:   %s\n",
                        c.knownDifference.empty() ? "MISMATCH" : "known",
                        k.first.c_str(), k.second.c_str(), c.name.c_str(), Escape(sys).c_str(),
                        Escape(own).c_str());
            if (c.knownDifference.empty()) ++mismatches;
        }
        if (!c.knownDifference.empty()) {
            if (differs) {
                ++known;
                std::printf("  (%s)\n", c.knownDifference.c_str());
            } else {
                std::printf("note: case \"%s\" now agrees with the system\n", c.name.c_str());
            }
        }
    }

    const auto writes = WriteCases();
    for (std::size_t i = 0; i < writes.size(); ++i) {
        const WriteCase& c = writes[i];
        const std::string sysPath = dir + "write" + std::to_string(i) + "sys.ini";
        const std::string ownPath = dir + "write" + std::to_string(i) + "own.ini";
        std::string own = c.bytes;
        if (!WriteBytes(sysPath, c.bytes)) {
            std::printf("cannot write %s\n", sysPath.c_str());
            return 2;
        }
        made.push_back(sysPath);
        for (const auto& [k, value] : c.writes) {
            if (!WritePrivateProfileStringA(k.first.c_str(), k.second.c_str(), value.c_str(),
                                            sysPath.c_str())) {
                std::printf("MISMATCH write case \"%s\": the system refused [%s] %s\n",
                            c.name.c_str(), k.first.c_str(), k.second.c_str());
                ++mismatches;
            }
            own = settings::ini::SetValue(own, k.first, k.second, value);
        }
        WriteBytes(ownPath, own);
        made.push_back(ownPath);
        for (const Key& k : c.probes) {
            ++checked;
            const std::string sys = SystemRead(sysPath, k);
            const std::string ownBySystem = SystemRead(ownPath, k);
            const std::string ownByOwn = OwnRead(own, k);
            if (sys == ownBySystem && sys == ownByOwn) continue;
            ++mismatches;
            std::printf("MISMATCH [%s] %s after writes: case \"%s\"\n"
                        "  system wrote, system reads: %s\n"
                        "  we wrote, system reads:     %s\n"
                        "  we wrote, we read:          %s\n",
                        k.first.c_str(), k.second.c_str(), c.name.c_str(), Escape(sys).c_str(),
                        Escape(ownBySystem).c_str(), Escape(ownByOwn).c_str());
        }
    }

    // Let go of the system's cached copies before removing the files.
    WritePrivateProfileStringA(nullptr, nullptr, nullptr, nullptr);
    for (const auto& path : made) DeleteFileA(path.c_str());
    if (argc <= 1) RemoveDirectoryA(dir.substr(0, dir.size() - 1).c_str());

    std::printf("%zu read cases, %zu write cases, %d values compared, %d mismatches, "
                "%d known differences\n",
                reads.size(), writes.size(), checked, mismatches, known);
    return mismatches == 0 ? 0 : 1;
}
