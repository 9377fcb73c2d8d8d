#include "startup/dispatch.h"

#include <memory>

#include "platform/common/system_path.h"
#include "usave1/form1.h"
#include "usave2/form2.h"

namespace startup {

namespace {

constexpr char kSaverClass[] = "TForm1";
constexpr char kSaverCaption[] = "Devarozuv33";

std::string UpperCaseAscii(std::string s) {
    for (char& c : s)
        if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
    return s;
}

}  // namespace

Command ParseSwitch(const std::string& firstArgument) {
    const std::string arg = UpperCaseAscii(firstArgument);
    // The prefix is compared together with its length, so "/" alone never
    // matches a two-character switch.
    const std::string prefix = arg.substr(0, 2);
    if (arg == "/S") return Command::RunSaver;
    if (arg == "/C" || prefix == "/C") return Command::Configure;
    if (arg == "/A" || prefix == "/A") return Command::ChangePassword;
    return Command::None;
}

void ChangePassword(plat::Platform& platform) {
    const std::string path = plat::SystemFilePath(platform, "MPR.DLL");
    const plat::LibraryHandle lib = platform.LoadLibraryA(path.c_str());
    if (!lib) return;
    if (const plat::ProcAddress fn = platform.GetProcAddress(lib, "PwdChangePasswordA"))
        platform.CallPwdChangePasswordA(fn, "SCRSAVE", 0, 0, 0);
    platform.FreeLibrary(lib);
}

void RunProgram(plat::Platform& platform) {
    // Any running saver blocks every switch, the settings dialog included.
    if (platform.FindWindowA(kSaverClass, kSaverCaption)) return;

    const std::vector<std::string> args = platform.Arguments();
    if (args.empty()) return;

    switch (ParseSwitch(args.front())) {
        case Command::RunSaver: {
            platform.Initialize();
            platform.ShowWindow(platform.ApplicationHandle(), plat::SW_HIDE);
            auto saver = std::make_unique<usave1::TForm1>(platform);
            saver->Create();
            platform.SetShowMainForm(false);
            platform.Run();
            break;
        }
        case Command::Configure: {
            platform.Initialize();
            auto dialog = std::make_unique<usave2::TForm2>(platform);
            dialog->Create();
            platform.Run();
            break;
        }
        case Command::ChangePassword:
            ChangePassword(platform);
            break;
        case Command::None:
            break;
    }
}

}  // namespace startup
