// Ending the saver on input, with the screensaver password of Windows 95/98.
#include "platform/common/system_path.h"
#include "usave1/form1.h"

namespace usave1 {

namespace {

// Runs an undo step when it goes out of scope, also when an error passes.
template <typename F>
class Undo {
public:
    explicit Undo(F f) : f_(f) {}
    ~Undo() { f_(); }
    Undo(const Undo&) = delete;
    Undo& operator=(const Undo&) = delete;

private:
    F f_;
};

bool IsEndingMessage(std::uint32_t id) {
    switch (id) {
        case plat::WM_KEYDOWN:
        case plat::WM_KEYUP:
        case plat::WM_SYSKEYDOWN:
        case plat::WM_SYSKEYUP:
        case plat::WM_LBUTTONDOWN:
        case plat::WM_RBUTTONDOWN:
        case plat::WM_MBUTTONDOWN:
            return true;
        default:
            return false;
    }
}

}  // namespace

void TForm1::deactivate(plat::Message& msg, bool& /*handled*/) {
    // A handling is in progress (we are inside its message box or password
    // dialog): let everything pass.
    if (ExitPending) return;
    ExitPending = IsEndingMessage(msg.Id);
    if (ExitPending) {
        try {
            if (IsNTPlatform())
                ShutdownSaver();
            else
                CheckPasswordAndShutdown();
        } catch (...) {
            ExitPending = false;
            throw;
        }
    }
    ExitPending = false;
}

bool TForm1::IsNTPlatform() {
    plat::OSVersionInfoA info;
    info.dwOSVersionInfoSize = sizeof(plat::OSVersionInfoA);
    platform_.GetVersionExA(info);
    return info.dwPlatformId == plat::VER_PLATFORM_WIN32_NT;
}

void TForm1::CheckPasswordAndShutdown() {
    auto registry = platform_.CreateRegistry();
    if (!registry->OpenKey("Control Panel\\desktop", false)) {
        ShutdownSaver();
        return;
    }
    Undo closeKey([&] { registry->CloseKey(); });

    bool passwordOn = false;
    if (registry->ValueExists("ScreenSaveUsePassword")) {
        try {
            passwordOn = registry->ReadInteger("ScreenSaveUsePassword") != 0;
        } catch (const std::exception&) {
            // A value we cannot read as a number still asks for a password:
            // never let a damaged setting unlock the machine.
            passwordOn = true;
        }
    }
    if (!passwordOn) {
        ShutdownSaver();
        return;
    }

    platform_.ShowCursor(true);
    Undo hideCursor([&] { platform_.ShowCursor(false); });
    const std::string checker = plat::SystemFilePath(platform_, "PASSWORD.CPL");
    const plat::LibraryHandle lib = platform_.LoadLibraryA(checker.c_str());
    if (!lib) {
        ShutdownSaver();  // no checker: end without a check
        return;
    }
    Undo release([&] { platform_.FreeLibrary(lib); });
    const plat::ProcAddress verify = platform_.GetProcAddress(lib, "VerifyScreenSavePwd");
    if (!verify) {
        // A checker that cannot check is treated like a missing one;
        // otherwise nothing could ever end the saver.
        ShutdownSaver();
    } else if ((platform_.CallVerifyScreenSavePwd(verify, Form1->Handle()) & 0xFF) != 0) {
        ShutdownSaver();
    }
    // Undone in reverse: the library is released, the cursor hidden again,
    // then the key closed.
}

}  // namespace usave1
