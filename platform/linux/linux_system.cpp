// What the Windows system services become on a Linux desktop: other
// programs' windows through Xlib, the cursor through Qt, the settings folder
// of the desktop, no password service, the browser through xdg-open, and
// files through POSIX.
#include <fcntl.h>
#include <pwd.h>
#include <sys/stat.h>
#include <unistd.h>

#include <QApplication>
#include <QCursor>
#include <QProcess>
#include <QStringList>

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <string>

#include "platform/linux/linux_platform.h"
#include "platform/linux/linux_x11.h"

namespace lnx {

plat::WindowHandle LinuxPlatform::FindWindowA(const char* className, const char* caption) {
    return static_cast<plat::WindowHandle>(x11::FindTopLevelWindow(display_, className, caption));
}

// The application has no window of its own to hide.
bool LinuxPlatform::ShowWindow(plat::WindowHandle wnd, int) { return wnd == 0; }

// A display counter as the system keeps it: the cursor shows at 0 and above.
int LinuxPlatform::ShowCursor(bool show) {
    const bool wasShown = cursorCount_ >= 0;
    cursorCount_ += show ? 1 : -1;
    const bool shown = cursorCount_ >= 0;
    if (wasShown && !shown)
        QApplication::setOverrideCursor(QCursor(Qt::BlankCursor));
    else if (!wasShown && shown)
        QApplication::restoreOverrideCursor();
    return cursorCount_;
}

// Telling the system that a saver runs only matters to Windows 9x.
bool LinuxPlatform::SystemParametersInfoA(std::uint32_t action, std::uint32_t, void*,
                                          std::uint32_t) {
    return action == plat::SPI_SCREENSAVERRUNNING;
}

namespace {

std::uint32_t CopyOut(const std::string& value, char* buffer, std::uint32_t size) {
    if (value.size() >= size) return static_cast<std::uint32_t>(value.size() + 1);
    std::memcpy(buffer, value.c_str(), value.size() + 1);
    return static_cast<std::uint32_t>(value.size());
}

std::string HomeDirectory() {
    if (const char* home = std::getenv("HOME"); home && *home) return home;
    if (const passwd* pw = ::getpwuid(::getuid()); pw && pw->pw_dir) return pw->pw_dir;
    return {};
}

}  // namespace

// Where the desktop keeps settings: $XDG_CONFIG_HOME, else ~/.config.
std::uint32_t LinuxPlatform::GetWindowsDirectoryA(char* buffer, std::uint32_t size) {
    std::string dir;
    if (const char* xdg = std::getenv("XDG_CONFIG_HOME"); xdg && *xdg == '/') {
        dir = xdg;
    } else {
        const std::string home = HomeDirectory();
        if (home.empty()) return 0;
        dir = home + "/.config";
    }
    while (dir.size() > 1 && dir.back() == '/') dir.pop_back();
    return CopyOut(dir, buffer, size);
}

// No system folder holds password libraries here.
std::uint32_t LinuxPlatform::GetSystemDirectoryA(char*, std::uint32_t) { return 0; }

// Reported as NT: the saver leaves locking to the desktop's screen locker.
bool LinuxPlatform::GetVersionExA(plat::OSVersionInfoA& info) {
    if (info.dwOSVersionInfoSize != sizeof(plat::OSVersionInfoA)) return false;
    info.dwMajorVersion = 6;
    info.dwMinorVersion = 1;
    info.dwBuildNumber = 0;
    info.dwPlatformId = plat::VER_PLATFORM_WIN32_NT;
    std::memset(info.szCSDVersion, 0, sizeof info.szCSDVersion);
    return true;
}

// There is no password service to load.
plat::LibraryHandle LinuxPlatform::LoadLibraryA(const char*) { return 0; }
plat::ProcAddress LinuxPlatform::GetProcAddress(plat::LibraryHandle, const char*) { return 0; }
bool LinuxPlatform::FreeLibrary(plat::LibraryHandle) { return false; }
void LinuxPlatform::CallPwdChangePasswordA(plat::ProcAddress, const char*, plat::WindowHandle,
                                           std::uint32_t, std::uint32_t) {}
std::int32_t LinuxPlatform::CallVerifyScreenSavePwd(plat::ProcAddress, plat::WindowHandle) {
    return 1;
}

// The desktop's opener, started with an argument list: the address never
// passes through a shell. The answers follow the Windows shell's: above 32
// is success, 2 means there is nothing to open it with.
std::intptr_t LinuxPlatform::ShellExecuteA(plat::WindowHandle, const char*, const char* file,
                                           const char*, const char*, int) {
    const QStringList args{QString::fromLocal8Bit(file ? file : "")};
    if (!QProcess::startDetached(QStringLiteral("xdg-open"), args)) return 2;
    return 42;
}

namespace {

class NoRegistry : public plat::Registry {
public:
    bool OpenKey(const std::string&, bool) override { return false; }
    bool ValueExists(const std::string&) override { return false; }
    std::int32_t ReadInteger(const std::string& name) override {
        throw plat::Exception("Invalid registry value " + name);
    }
    void CloseKey() override {}
};

}  // namespace

std::unique_ptr<plat::Registry> LinuxPlatform::CreateRegistry() {
    return std::make_unique<NoRegistry>();
}

std::uint32_t LinuxPlatform::TimeOfDayMs() {
    timespec now{};
    ::clock_gettime(CLOCK_REALTIME, &now);
    tm local{};
    ::localtime_r(&now.tv_sec, &local);
    return ((static_cast<std::uint32_t>(local.tm_hour) * 60u + local.tm_min) * 60u +
            local.tm_sec) * 1000u +
           static_cast<std::uint32_t>(now.tv_nsec / 1000000);
}

// --- Files ---------------------------------------------------------------------------

bool LinuxPlatform::FileExists(const std::string& path) {
    struct stat st {};
    return !path.empty() && ::stat(path.c_str(), &st) == 0 && !S_ISDIR(st.st_mode);
}

std::optional<std::string> LinuxPlatform::ReadFile(const std::string& path) {
    const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) return std::nullopt;
    struct stat st {};
    if (::fstat(fd, &st) != 0 || S_ISDIR(st.st_mode)) {
        ::close(fd);
        return std::nullopt;
    }
    std::string bytes;
    char chunk[65536];
    while (true) {
        const ssize_t n = ::read(fd, chunk, sizeof chunk);
        if (n < 0 && errno == EINTR) continue;
        if (n < 0) {
            ::close(fd);
            return std::nullopt;
        }
        if (n == 0) break;
        bytes.append(chunk, static_cast<std::size_t>(n));
    }
    ::close(fd);
    return bytes;
}

namespace {

bool Refused(int error) { return error == EACCES || error == EPERM || error == EROFS; }

bool WriteAll(int fd, const std::string& bytes) {
    std::size_t done = 0;
    while (done < bytes.size()) {
        const ssize_t n = ::write(fd, bytes.data() + done, bytes.size() - done);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) return false;
        done += static_cast<std::size_t>(n);
    }
    return true;
}

}  // namespace

plat::WriteResult LinuxPlatform::ReplaceFile(const std::string& path, const std::string& bytes) {
    struct stat st {};
    const bool exists = ::stat(path.c_str(), &st) == 0;
    if (exists) {
        if (S_ISDIR(st.st_mode)) return plat::WriteResult::Protected;
        // A file nobody may write is read-only, for its owner and root
        // alike, as the read-only attribute is on Windows.
        if ((st.st_mode & 0222) == 0) return plat::WriteResult::Protected;
        if (::access(path.c_str(), W_OK) != 0 && Refused(errno)) return plat::WriteResult::Protected;
    }

    // The new contents go to a temporary file next to the target, which then
    // takes the target's place in one step.
    const std::size_t slash = path.find_last_of('/');
    const std::string dir = slash == std::string::npos ? std::string() : path.substr(0, slash + 1);
    std::string temp = dir + ".vidsaver-XXXXXX";
    const int fd = ::mkstemp(temp.data());
    if (fd < 0) return Refused(errno) ? plat::WriteResult::Protected : plat::WriteResult::Failed;
    // The file keeps its permissions; a new one gets the usual ones.
    mode_t mode = 0666;
    if (exists) {
        mode = st.st_mode & 07777;
    } else {
        const mode_t mask = ::umask(0);
        ::umask(mask);
        mode &= ~mask;
    }
    bool ok = ::fchmod(fd, mode) == 0 && WriteAll(fd, bytes) && ::fsync(fd) == 0;
    int error = ok ? 0 : errno;
    if (::close(fd) != 0 && ok) {
        ok = false;
        error = errno;
    }
    if (ok && ::rename(temp.c_str(), path.c_str()) == 0) return plat::WriteResult::Ok;
    if (ok) error = errno;
    ::unlink(temp.c_str());
    return Refused(error) ? plat::WriteResult::Protected : plat::WriteResult::Failed;
}

}  // namespace lnx
