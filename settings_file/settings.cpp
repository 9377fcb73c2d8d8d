#include "settings_file/settings.h"

#include <vector>

namespace settings {

std::string VideoKey(int n) {
    return "Name" + std::to_string(n);
}

namespace {

std::string WindowsDirectory(plat::Platform& platform) {
    char buffer[256] = {};
    std::uint32_t got = platform.GetWindowsDirectoryA(buffer, 200);
    if (got == 0) return "c:\\windows";
    if (got < 200) return std::string(buffer);

    // The directory did not fit: got is the size it needs. Ask once more
    // with room for it rather than settle for a wrong directory.
    std::vector<char> big(static_cast<std::size_t>(got) + 1, '\0');
    std::uint32_t again = platform.GetWindowsDirectoryA(big.data(), got);
    if (again == 0 || again >= got) return "c:\\windows";
    return std::string(big.data());
}

}  // namespace

void LocateSettingsFile(plat::Platform& platform, std::string& WinDir, std::string& IniPath) {
    WinDir = WindowsDirectory(platform);

    std::string name = platform.ExeName();
    // The program's folder ends at a backslash or a drive colon, and on a
    // system with another delimiter at that one too.
    std::string separators = "\\:";
    if (platform.PathDelimiter() != '\\') separators += platform.PathDelimiter();
    std::size_t sep = name.find_last_of(separators);
    if (sep != std::string::npos) name.erase(0, sep + 1);
    std::size_t dot = name.find('.');
    if (dot != std::string::npos) name.erase(dot);

    IniPath = WinDir + platform.PathDelimiter() + name + ".ini";
}

namespace {

// The two readers agree on these codes.
std::int32_t ReadColorScheme(TIniFile& ini) {
    const std::int32_t color = ini.ReadInteger(kOptions, kColor, -1);
    return (color >= 1 && color <= 3) ? color : 4;
}

std::int32_t ReadPlayOrder(TIniFile& ini) {
    return ini.ReadInteger(kOptions, kPicord, -1) == pmRandom ? pmRandom : pmListed;
}

}  // namespace

SaverOptions ReadSaverOptions(TIniFile& ini) {
    SaverOptions o;
    o.SoundOn = ini.ReadBool(kOptions, kSound, true);
    o.RepeatSound = ini.ReadBool(kOptions, kRepeat, true);

    o.ColorScheme = ReadColorScheme(ini);

    std::int32_t picdis = ini.ReadInteger(kOptions, kPicdis, -1);
    o.DisplayMode = (picdis >= dmLarge && picdis <= dmCustom) ? picdis : dmDefault;

    o.PlayOrder = ReadPlayOrder(ini);

    o.CustomHeight = ini.ReadInteger(kOptions, kHeight, -1);
    o.CustomWidth = ini.ReadInteger(kOptions, kWidth, -1);
    return o;
}

std::int32_t ClampCustomSize(std::int32_t value, int screenSize) {
    if (value > screenSize) return screenSize;
    if (value < kMinCustomSize) return kMinCustomSize;
    return value;
}

DialogOptions ReadDialogOptions(TIniFile& ini, int screenWidth, int screenHeight) {
    DialogOptions o;
    o.Sound = ini.ReadBool(kOptions, kSound, true);
    o.Repeat = ini.ReadBool(kOptions, kRepeat, true);

    o.Color = ReadColorScheme(ini);

    // Unlike the saver, the dialog falls back to full screen.
    std::int32_t picdis = ini.ReadInteger(kOptions, kPicdis, -1);
    o.Picdis = (picdis >= dmMedium && picdis <= dmDefault) ? picdis : dmLarge;

    o.Picord = ReadPlayOrder(ini);

    o.Button = ini.ReadString(kLink, kButton, "");
    o.Site = ini.ReadString(kLink, kSite, "");

    o.Height = ClampCustomSize(ini.ReadInteger(kOptions, kHeight, -1), screenHeight);
    o.Width = ClampCustomSize(ini.ReadInteger(kOptions, kWidth, -1), screenWidth);
    return o;
}

}  // namespace settings
