// Creation and shutdown of the saver window, and the (never heard) sound track.
#include "usave1/form1.h"

#include "forms/forms.h"
#include "settings_file/settings.h"

namespace usave1 {

TForm1::TForm1(plat::Platform& platform) : platform_(platform) {}

TForm1::~TForm1() {
    if (!Form1) return;
    platform_.SetMessageHook(nullptr);
    Timer1->SetEnabled(false);
    Timer1->SetOnTimer(nullptr);
}

plat::Form& TForm1::Create() {
    return platform_.CreateForm(forms::Form1Description(), [this](plat::Form& form) {
        Form1 = &form;
        lblinfo = &form.Find("lblinfo");
        Panel1 = &form.Find("Panel1");
        MediaPlayer1 = &form.Player("MediaPlayer1");
        MediaPlayer2 = &form.Player("MediaPlayer2");
        Timer1 = &form.TimerNamed("Timer1");
        Timer1->SetOnTimer([this] { Timer1Timer(); });
        FormCreate();
    });
}

void TForm1::FormCreate() {
    std::uint32_t previous = 0;
    platform_.SystemParametersInfoA(plat::SPI_SCREENSAVERRUNNING, 1, &previous, 0);
    platform_.SetShowMainForm(false);
    settings::LocateSettingsFile(platform_, WinDir, IniPath);
    if (!platform_.FileExists(IniPath))
        platform_.MessageDlg(kIniMissing, "Information", plat::MsgDlgType::mtInformation);

    RepeatSound = false;
    platform_.ShowCursor(false);
    DisplayMode = settings::dmDefault;
    PlayOrder = settings::pmListed;
    ColorScheme = 4;
    LastVideo = 0;
    ColorTick = 0;
    Form1->SetColour(plat::clBlack);
    Form1->SetKeyPreview(true);
    platform_.SetMessageHook([this](plat::Message& msg, bool& handled) { deactivate(msg, handled); });

    LoadSaverSettings();
    if (SoundOn) StartSound();

    if (VideoCount > 0) {
        Form1->SetColour(plat::clBlack);
        SizeVideoPanel();
        StartFirstVideo();
        Timer1->SetEnabled(true);
    } else {
        Panel1->SetVisible(false);
        lblinfo->SetVisible(true);
        Form1->SetColour(plat::clWhite);
    }
}

void TForm1::ShutdownSaver() {
    // Only the input filter, with its guard raised, may end the saver.
    if (!ExitPending) return;
    Timer1->SetEnabled(false);
    if (MediaPlayer1->Mode() == plat::MPModes::mpPlaying) MediaPlayer1->Stop();
    if (MediaPlayer2->Mode() == plat::MPModes::mpPlaying) MediaPlayer2->Stop();
    std::uint32_t previous = 0;
    platform_.SystemParametersInfoA(plat::SPI_SCREENSAVERRUNNING, 0, &previous, 0);
    Form1->Close();
    platform_.Terminate();
}

void TForm1::StartSound() {
    MediaPlayer1->SetWait(false);
    MediaPlayer1->SetFileName(SoundFile);
    MediaPlayer1->SetAutoSelect(true);
    try {
        MediaPlayer1->Open();
        MediaPlayer1->Play();
    } catch (const std::exception&) {
        // Nothing names a sound track, so this fails and the saver stays silent.
        SoundOn = false;
    }
}

}  // namespace usave1
