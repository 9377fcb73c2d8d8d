// Where the settings file lies, its sections, keys and value codes, and the
// rules by which the saver and the dialog read and write it.
#pragma once

#include <cstdint>
#include <string>

#include "platform/platform.h"
#include "settings_file/ini_file.h"

namespace settings {

inline constexpr char kOptions[] = "Options";
inline constexpr char kSound[] = "Sound";
inline constexpr char kRepeat[] = "Repeat";
inline constexpr char kColor[] = "Color";
inline constexpr char kPicdis[] = "Picdis";
inline constexpr char kPicord[] = "Picord";
inline constexpr char kHeight[] = "Height";
inline constexpr char kWidth[] = "Width";
inline constexpr char kStatus[] = "Status";
inline constexpr char kSaverVideoSection[] = "vidConfig";   // as the saver asks
inline constexpr char kLink[] = "Link";
inline constexpr char kButton[] = "Button";
inline constexpr char kSite[] = "Site";
inline constexpr char kNullSlot[] = "Null";
inline constexpr int kVideoKeyCount = 200;

// Display modes.
inline constexpr std::int32_t dmLarge = 1;
inline constexpr std::int32_t dmMedium = 2;
inline constexpr std::int32_t dmSmall = 3;
inline constexpr std::int32_t dmCustom = 4;
inline constexpr std::int32_t dmDefault = 5;
// Play orders.
inline constexpr std::int32_t pmRandom = 1;
inline constexpr std::int32_t pmListed = 2;

// Smallest custom size the dialog offers.
inline constexpr std::int32_t kMinCustomSize = 25;

// The key of video slot n: "Name" and n in decimal.
std::string VideoKey(int n);

// Sets WinDir to the Windows directory and IniPath to the settings file:
// the executable's name cut at its first "." plus ".ini", in WinDir.
void LocateSettingsFile(plat::Platform& platform, std::string& WinDir, std::string& IniPath);

// The saver's seven option values.
struct SaverOptions {
    bool SoundOn = true;
    bool RepeatSound = true;
    std::int32_t ColorScheme = 4;
    std::int32_t DisplayMode = dmDefault;
    std::int32_t PlayOrder = pmListed;
    std::int32_t CustomHeight = -1;
    std::int32_t CustomWidth = -1;
    bool operator==(const SaverOptions&) const = default;
};

// The options half of the saver's LoadSaverSettings.
SaverOptions ReadSaverOptions(TIniFile& ini);

// The values the dialog shows, and writes back unless the user changes them.
struct DialogOptions {
    bool Sound = true;
    bool Repeat = true;
    std::int32_t Color = 4;      // 1 to 4
    std::int32_t Picdis = dmLarge;  // 1 to 5
    std::int32_t Picord = pmListed; // 1 or 2
    std::int32_t Height = kMinCustomSize;
    std::int32_t Width = kMinCustomSize;
    std::string Button;          // Link Button, as read
    std::string Site;            // Link Site
    bool operator==(const DialogOptions&) const = default;
};

DialogOptions ReadDialogOptions(TIniFile& ini, int screenWidth, int screenHeight);

// A custom size as the dialog shows it: above the screen size gives the
// screen size, below 25 gives 25; the screen limit is tested first.
std::int32_t ClampCustomSize(std::int32_t value, int screenSize);

}  // namespace settings
