// The saver window: plays the user's videos full screen and ends on input.
//
// All saver state lives here, one object per process (tests build fresh
// ones). The window's behaviour is split over a few files by concern:
// form1.cpp (creation and shutdown), playlist.cpp (the playlist and the
// playback loop), geometry.cpp (the video panel), colour_cycle.cpp (the
// background colours) and exit_filter.cpp (exit on input, password check).
#pragma once

#include <array>
#include <cstdint>
#include <string>

#include "platform/platform.h"

namespace usave1 {

// Text of the nothing-to-play screen (two blanks after the first "!").
inline constexpr char kNothingToPlay[] =
    "These files no longer exists on your system!  Please go into your screensaver "
    "settings and remove this from your viewing list!";
inline constexpr char kIniMissing[] =
    "The ini file is missing. Please reinstall this software or copy the included ini "
    "file into your windows directory.";
inline constexpr char kVideoError[] =
    "An error occurred trying to play the video file. The video file appears to be "
    "corrupt. Please verify that your video files are viewable.";

// The playlist holds every usable entry of the 200 keys, in slots 1 to 200.
inline constexpr int kMaxVideos = 200;

// Colours of the background schemes (blue-green-red).
inline constexpr plat::Color clGray = 0x808080;
inline constexpr plat::Color clSilver = 0xC0C0C0;
inline constexpr plat::Color clNavy = 0x800000;
inline constexpr plat::Color clPurple = 0x800080;
inline constexpr plat::Color clMaroon = 0x000080;
inline constexpr plat::Color clGreen = 0x008000;
inline constexpr plat::Color clAqua = 0xFFFF00;
inline constexpr plat::Color clFuchsia = 0xFF00FF;
inline constexpr plat::Color clYellow = 0x00FFFF;

class TForm1 {
public:
    explicit TForm1(plat::Platform& platform);
    // Unhooks the window's handlers: the platform may outlive this object.
    ~TForm1();
    TForm1(const TForm1&) = delete;
    TForm1& operator=(const TForm1&) = delete;

    // Creates the window through the application object; its creation
    // handler FormCreate runs inside.
    plat::Form& Create();

    // --- Lifecycle (form1.cpp)
    void FormCreate();
    void ShutdownSaver();
    void StartSound();
    void FormKeyDown() {}
    void FormMouseDown() {}

    // --- Playlist and playback loop (playlist.cpp)
    void LoadSaverSettings();
    void PickNextVideo();
    void StartVideo();
    void StartFirstVideo();
    void Timer1Timer();

    // --- Video panel geometry (geometry.cpp)
    void SizeVideoPanel();
    void PlacePicture();

    // --- Background colour cycle (colour_cycle.cpp)
    void CycleBackground();
    void ApplyPhaseColor(plat::Color first, plat::Color second, plat::Color third,
                         plat::Color fourth);

    // --- Exit on input and password check (exit_filter.cpp)
    void deactivate(plat::Message& msg, bool& handled);
    bool IsNTPlatform();
    void CheckPasswordAndShutdown();

    // --- The window and its controls, set while the window is created.
    plat::Form* Form1 = nullptr;
    plat::Control* lblinfo = nullptr;
    plat::Control* Panel1 = nullptr;
    plat::MediaPlayer* MediaPlayer1 = nullptr;
    plat::MediaPlayer* MediaPlayer2 = nullptr;
    plat::Timer* Timer1 = nullptr;

    // --- Saver state.
    std::string WinDir;
    std::string IniPath;
    std::array<std::string, kMaxVideos + 1> VideoFiles;  // slot 0 unused
    std::int32_t VideoCount = 0;
    std::int32_t CurrentVideo = 0;
    std::int32_t LastVideo = 0;
    std::int32_t DisplayMode = 0;
    std::int32_t PlayOrder = 0;
    std::int32_t ColorScheme = 0;
    std::int32_t CustomWidth = 0;
    std::int32_t CustomHeight = 0;
    bool SoundOn = false;
    bool RepeatSound = false;
    std::string SoundFile;
    std::int32_t ColorTick = 0;
    bool ExitPending = false;

    // The run-time library's pseudo-random generator.
    std::uint32_t RandSeed = 0;
    void Randomize();
    std::int32_t Random(std::int32_t range);

private:
    plat::Platform& platform_;
};

}  // namespace usave1
