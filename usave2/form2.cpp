#include "usave2/form2.h"

#include "forms/forms.h"
#include "settings_file/ini_file.h"
#include "settings_file/settings.h"
#include "settings_file/value_codes.h"

namespace usave2 {

namespace {

// Blanks and control characters removed from both ends.
std::string Trim(const std::string& s) {
    std::size_t begin = 0, end = s.size();
    while (begin < end && static_cast<unsigned char>(s[begin]) <= ' ') ++begin;
    while (end > begin && static_cast<unsigned char>(s[end - 1]) <= ' ') --end;
    return s.substr(begin, end - begin);
}

}  // namespace

std::string NoViewerMessage(const std::string& site) {
    return "Your system does not have a default webpage viewer (for viewing the webpage). "
           "You can view this by opening your browser and typing " +
           site + " in the location box.";
}

TForm2::TForm2(plat::Platform& platform) : platform_(platform) {}

TForm2::~TForm2() {
    if (!Form2) return;
    CmdClose->SetOnClick(nullptr);
    Cmdwebsite->SetOnClick(nullptr);
    ScrollBar1->SetOnScroll(nullptr);
    ScrollBar2->SetOnScroll(nullptr);
}

plat::Form& TForm2::Create() {
    return platform_.CreateForm(forms::Form2Description(), [this](plat::Form& form) {
        Form2 = &form;
        auto find = [&form](const char* name) { return &form.Find(name); };
        radpicl = find("radpicl");
        radpicm = find("radpicm");
        radpics = find("radpics");
        Raddefault = find("Raddefault");
        Radpicc = find("Radpicc");
        ScrollBar1 = find("ScrollBar1");
        ScrollBar2 = find("ScrollBar2");
        Lblwidth = find("Lblwidth");
        Lblheight = find("Lblheight");
        RadioButton1 = find("RadioButton1");
        RadioButton2 = find("RadioButton2");
        Cmdwebsite = find("Cmdwebsite");
        CmdClose = find("CmdClose");
        radcol1 = find("radcol1");
        radcol2 = find("radcol2");
        radcol3 = find("radcol3");
        Radcol4 = find("Radcol4");
        radsndon = find("radsndon");
        radsndof = find("radsndof");
        radrepon = find("radrepon");
        radrepoff = find("radrepoff");
        CmdClose->SetOnClick([this] { cmdcloseClick(); });
        Cmdwebsite->SetOnClick([this] { CmdwebsiteClick(); });
        ScrollBar1->SetOnScroll([this](plat::ScrollCode c, int& p) { ScrollBar1Scroll(c, p); });
        ScrollBar2->SetOnScroll([this](plat::ScrollCode c, int& p) { ScrollBar2Scroll(c, p); });
        FormCreate();
    });
}

void TForm2::FormCreate() {
    settings::LocateSettingsFile(platform_, WinDir, IniPath);
    ScrollBar1->SetMax(platform_.ScreenWidth());
    ScrollBar2->SetMax(platform_.ScreenHeight());
    if (platform_.FileExists(IniPath))
        LoadDialogSettings();
    else
        platform_.MessageDlg(kIniMissing, "Error", plat::MsgDlgType::mtError);
}

void TForm2::LoadDialogSettings() {
    settings::TIniFile ini(platform_, IniPath);
    const settings::DialogOptions o =
        settings::ReadDialogOptions(ini, platform_.ScreenWidth(), platform_.ScreenHeight());

    (o.Sound ? radsndon : radsndof)->SetChecked(true);
    (o.Repeat ? radrepon : radrepoff)->SetChecked(true);
    switch (o.Color) {
        case 1: radcol1->SetChecked(true); break;
        case 2: radcol2->SetChecked(true); break;
        case 3: radcol3->SetChecked(true); break;
        default: Radcol4->SetChecked(true); break;
    }
    switch (o.Picdis) {
        case settings::dmDefault: Raddefault->SetChecked(true); break;
        case settings::dmCustom: Radpicc->SetChecked(true); break;
        case settings::dmSmall: radpics->SetChecked(true); break;
        case settings::dmMedium: radpicm->SetChecked(true); break;
        default: radpicl->SetChecked(true); break;
    }
    (o.Picord == settings::pmRandom ? RadioButton1 : RadioButton2)->SetChecked(true);

    SiteAddress.clear();
    SiteAddress = o.Site;
    if (!Trim(o.Button).empty()) {
        Cmdwebsite->SetCaption(o.Button);
        Cmdwebsite->SetVisible(true);
    } else {
        Cmdwebsite->SetVisible(false);
    }

    Lblheight->SetCaption(settings::IntToStr(o.Height));
    Lblwidth->SetCaption(settings::IntToStr(o.Width));
    ScrollBar1->SetPosition(settings::StrToInt(Lblwidth->Caption()));
    ScrollBar2->SetPosition(settings::StrToInt(Lblheight->Caption()));
}

void TForm2::cmdcloseClick() {
    using namespace settings;
    TIniFile ini(platform_, IniPath);
    ini.WriteBool(kOptions, kSound, radsndon->Checked());
    ini.WriteBool(kOptions, kRepeat, radrepon->Checked());
    ini.WriteInteger(kOptions, kColor,
                     radcol1->Checked() ? 1 : radcol2->Checked() ? 2 : radcol3->Checked() ? 3 : 4);
    ini.WriteInteger(kOptions, kPicdis,
                     Raddefault->Checked() ? dmDefault
                     : Radpicc->Checked()  ? dmCustom
                     : radpics->Checked()  ? dmSmall
                     : radpicm->Checked()  ? dmMedium
                                           : dmLarge);
    ini.WriteInteger(kOptions, kPicord, RadioButton1->Checked() ? pmRandom : pmListed);
    // An unmoved label after a missing file holds no number: the conversion
    // error stops the save here and the dialog stays open.
    ini.WriteInteger(kOptions, kHeight, StrToInt(Lblheight->Caption()));
    ini.WriteInteger(kOptions, kWidth, StrToInt(Lblwidth->Caption()));
    ini.WriteBool(kOptions, kStatus, false);
    Form2->Close();
}

void TForm2::CmdwebsiteClick() {
    // The whole address goes to the shell, however long: a cut address
    // would open the wrong page.
    const std::intptr_t result =
        platform_.ShellExecuteA(Form2->Handle(), "open", SiteAddress.c_str(), "", "",
                                plat::SW_SHOWMAXIMIZED);
    if (result == 2)
        platform_.MessageDlg(NoViewerMessage(SiteAddress), "Error", plat::MsgDlgType::mtError);
}

void TForm2::ScrollBar1Scroll(plat::ScrollCode, int&) {
    // The bar moves only after this returns, so the label trails it by a step
    // until the end-of-scroll notification.
    Lblwidth->SetCaption(settings::IntToStr(ScrollBar1->Position()));
}

void TForm2::ScrollBar2Scroll(plat::ScrollCode, int&) {
    Lblheight->SetCaption(settings::IntToStr(ScrollBar2->Position()));
}

}  // namespace usave2
