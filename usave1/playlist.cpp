// The playlist and the playback loop.
#include "settings_file/ini_file.h"
#include "settings_file/settings.h"
#include "usave1/form1.h"

namespace usave1 {

void TForm1::LoadSaverSettings() {
    settings::TIniFile ini(platform_, IniPath);
    const settings::SaverOptions options = settings::ReadSaverOptions(ini);
    SoundOn = options.SoundOn;
    RepeatSound = options.RepeatSound;
    ColorScheme = options.ColorScheme;
    DisplayMode = options.DisplayMode;
    PlayOrder = options.PlayOrder;
    CustomHeight = options.CustomHeight;
    CustomWidth = options.CustomWidth;

    // Every usable entry of the 200 keys is kept, gaps closed up.
    VideoCount = 0;
    for (int n = 1; n <= settings::kVideoKeyCount; ++n) {
        const std::string path =
            ini.ReadString(settings::kSaverVideoSection, settings::VideoKey(n), " ");
        if (path == settings::kNullSlot) continue;  // exactly "Null" marks an empty slot
        if (!platform_.FileExists(path)) continue;
        if (VideoCount >= kMaxVideos) break;
        ++VideoCount;
        VideoFiles[static_cast<std::size_t>(VideoCount)] = path;
    }
    if (VideoCount == 0) lblinfo->SetCaption(kNothingToPlay);
}

void TForm1::Randomize() { RandSeed = platform_.TimeOfDayMs(); }

std::int32_t TForm1::Random(std::int32_t range) {
    RandSeed = RandSeed * 134775813u + 1u;
    return static_cast<std::int32_t>((static_cast<std::uint64_t>(RandSeed) *
                                      static_cast<std::uint32_t>(range)) >> 32);
}

void TForm1::PickNextVideo() {
    if (PlayOrder == settings::pmRandom) {
        Randomize();
        CurrentVideo = Random(VideoCount) + 1;
        return;
    }
    CurrentVideo = LastVideo + 1;
    if (CurrentVideo > VideoCount) CurrentVideo = 1;
    LastVideo = CurrentVideo;
}

void TForm1::StartVideo() {
    MediaPlayer2->SetFileName(VideoFiles[static_cast<std::size_t>(CurrentVideo)]);
    MediaPlayer2->Open();
    PlacePicture();
    MediaPlayer2->Play();
}

void TForm1::StartFirstVideo() {
    PickNextVideo();
    ++ColorTick;
    try {
        StartVideo();
    } catch (const std::exception&) {
        // A first video that fails is passed over in silence; the tick that
        // follows finds the player stopped and moves on.
    }
}

void TForm1::Timer1Timer() {
    if (ColorScheme != 4) CycleBackground();

    if (MediaPlayer2->Mode() == plat::MPModes::mpStopped) {
        MediaPlayer2->Close();
        PickNextVideo();
        try {
            StartVideo();
        } catch (const std::exception&) {
            Timer1->SetEnabled(false);
            if (MediaPlayer1->Mode() == plat::MPModes::mpPlaying) MediaPlayer1->Stop();
            SoundOn = false;
            platform_.MessageDlg(kVideoError, "Error", plat::MsgDlgType::mtError);
        }
        platform_.ShowCursor(false);
    }

    // The sound track restarts when it has ended and repeat is on.
    if (SoundOn && RepeatSound && MediaPlayer1->Mode() == plat::MPModes::mpStopped) {
        try {
            MediaPlayer1->Play();
        } catch (const std::exception&) {
            SoundOn = false;
        }
    }
}

}  // namespace usave1
