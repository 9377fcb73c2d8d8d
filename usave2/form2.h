// The settings dialog: shows the stored display options and writes them
// all back when OK is pressed.
#pragma once

#include <string>

#include "platform/platform.h"

namespace usave2 {

inline constexpr char kIniMissing[] =
    "E45 - An error has occured, the ini file is missing. Please reinstall the screensaver.";

// The message shown when the shell has no program for web addresses.
std::string NoViewerMessage(const std::string& site);

class TForm2 {
public:
    explicit TForm2(plat::Platform& platform);
    // Unhooks the dialog's handlers: the platform may outlive this object.
    ~TForm2();
    TForm2(const TForm2&) = delete;
    TForm2& operator=(const TForm2&) = delete;

    // Creates the dialog through the application object; FormCreate runs inside.
    plat::Form& Create();

    void FormCreate();
    void LoadDialogSettings();
    void cmdcloseClick();
    void CmdwebsiteClick();
    void ScrollBar1Scroll(plat::ScrollCode code, int& scrollPos);
    void ScrollBar2Scroll(plat::ScrollCode code, int& scrollPos);

    plat::Form* Form2 = nullptr;
    plat::Control* radpicl = nullptr;
    plat::Control* radpicm = nullptr;
    plat::Control* radpics = nullptr;
    plat::Control* Raddefault = nullptr;
    plat::Control* Radpicc = nullptr;
    plat::Control* ScrollBar1 = nullptr;
    plat::Control* ScrollBar2 = nullptr;
    plat::Control* Lblwidth = nullptr;
    plat::Control* Lblheight = nullptr;
    plat::Control* RadioButton1 = nullptr;
    plat::Control* RadioButton2 = nullptr;
    plat::Control* Cmdwebsite = nullptr;
    plat::Control* CmdClose = nullptr;
    plat::Control* radcol1 = nullptr;
    plat::Control* radcol2 = nullptr;
    plat::Control* radcol3 = nullptr;
    plat::Control* Radcol4 = nullptr;
    plat::Control* radsndon = nullptr;
    plat::Control* radsndof = nullptr;
    plat::Control* radrepon = nullptr;
    plat::Control* radrepoff = nullptr;

    std::string WinDir;
    std::string IniPath;
    std::string SiteAddress;

private:
    plat::Platform& platform_;
};

}  // namespace usave2
