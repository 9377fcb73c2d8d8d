// The application object: its hidden window, form creation, the message
// loop with its hook, timers, message boxes, and the thin system services.
#include "platform/win32/win32_platform.h"

#include <shellapi.h>

#include <cstring>

#include "platform/common/command_line.h"

namespace plat {

std::unique_ptr<Platform> CreatePlatform(int /*argc*/, char** /*argv*/) {
    return std::make_unique<w32::Win32Platform>();
}

}  // namespace plat

namespace w32 {

namespace {

constexpr char kAppClass[] = "VidsaverApplication";

bool SameMessage(const MSG& a, const MSG& b) {
    return a.hwnd == b.hwnd && a.message == b.message && a.wParam == b.wParam &&
           a.lParam == b.lParam && a.time == b.time && a.pt.x == b.pt.x && a.pt.y == b.pt.y;
}

// The executable's name without directory and extension, as the
// application's title.
std::string Title(const std::string& exe) {
    std::string name = exe.substr(exe.find_last_of("\\/:") + 1);
    const std::size_t dot = name.find_last_of('.');
    return dot == std::string::npos ? name : name.substr(0, dot);
}

}  // namespace

Win32Platform* Win32Platform::instance_ = nullptr;

Win32Platform::Win32Platform() { instance_ = this; }

Win32Platform::~Win32Platform() {
    if (filterHook_) ::UnhookWindowsHookEx(filterHook_);
    filterHook_ = nullptr;
    hook_ = nullptr;
    // Newest form first; their timers unregister from here.
    while (!forms_.empty()) forms_.pop_back();
    if (appWindow_) ::DestroyWindow(appWindow_);
    ReleaseGdiCache();
    instance_ = nullptr;
}

// --- Application object -------------------------------------------------------

std::vector<std::string> Win32Platform::Arguments() {
    std::vector<std::string> args = plat::SplitCommandLine(::GetCommandLineA());
    if (!args.empty()) args.erase(args.begin());
    return args;
}

std::string Win32Platform::ExeName() {
    std::vector<char> buffer(MAX_PATH);
    while (true) {
        const DWORD n = ::GetModuleFileNameA(nullptr, buffer.data(), static_cast<DWORD>(buffer.size()));
        if (n == 0) return {};
        if (n < buffer.size()) return std::string(buffer.data(), n);
        buffer.resize(buffer.size() * 2);
    }
}

void Win32Platform::Initialize() {
    if (appWindow_) return;
    HINSTANCE instance = ::GetModuleHandleA(nullptr);
    WNDCLASSEXA wc{};
    wc.cbSize = sizeof(wc);
    wc.lpfnWndProc = &Win32Platform::AppWndProc;
    wc.hInstance = instance;
    wc.lpszClassName = kAppClass;
    ::RegisterClassExA(&wc);
    // Hidden for good: it carries the timers and owns nothing on screen.
    appWindow_ = ::CreateWindowExA(0, kAppClass, Title(ExeName()).c_str(),
                                   WS_POPUP | WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX, 0, 0, 0, 0,
                                   nullptr, nullptr, instance, nullptr);
}

HWND Win32Platform::AppWindow() {
    Initialize();
    return appWindow_;
}

plat::WindowHandle Win32Platform::ApplicationHandle() {
    return reinterpret_cast<plat::WindowHandle>(AppWindow());
}

plat::Form& Win32Platform::CreateForm(const plat::FormDesc& desc,
                                      const std::function<void(plat::Form&)>& onCreate) {
    Initialize();
    forms_.push_back(std::make_unique<Win32Form>(*this, desc));
    Win32Form& form = *forms_.back();
    form.CreateWindowAndControls();
    // As the framework does, an error in the creation handler is shown and
    // the form is made all the same.
    if (onCreate) Guarded([&] { onCreate(form); });
    if (desc.Visible && !terminated_) form.Show();
    return form;
}

void Win32Platform::Run() {
    if (terminated_) return;
    if (showMainForm_ && !forms_.empty() && !forms_.front()->Shown()) forms_.front()->Show();
    // Until the quit message: what was queued before it still passes the
    // hook and reaches its window, as in the framework's loop.
    MSG msg;
    while (true) {
        const BOOL got = ::GetMessageA(&msg, nullptr, 0, 0);
        if (got == 0 || got == -1) break;
        ProcessMessage(msg);
    }
}

void Win32Platform::ProcessMessage(MSG& msg) {
    if (hook_ && CallHook(msg)) return;
    Win32Form* dialog = nullptr;
    for (const auto& form : forms_) {
        HWND hwnd = form->Hwnd();
        if (form->IsDialogLike() && hwnd && (msg.hwnd == hwnd || ::IsChild(hwnd, msg.hwnd))) {
            dialog = form.get();
            break;
        }
    }
    // Enter presses the default button and Tab moves the focus; Escape comes
    // back as IDCANCEL, which the form ignores.
    if (dialog && msg.message == WM_KEYDOWN) {
        bool moved = false;
        const WPARAM key = msg.wParam;
        Guarded([&] { moved = dialog->MoveAmongRadios(key); });
        if (moved) return;
    }
    // The dialog manager runs the message filter on what it is given; the
    // hook has seen this message already, so the filter lets it pass once.
    lastHooked_ = msg;
    haveLastHooked_ = dialog != nullptr;
    const bool dialogMessage = dialog && ::IsDialogMessageA(dialog->Hwnd(), &msg);
    haveLastHooked_ = false;
    if (dialogMessage) {
        if (msg.message == WM_KEYDOWN) {
            const WPARAM key = msg.wParam;
            Guarded([dialog, key] { dialog->AfterDialogKey(key); });
        }
        return;
    }
    ::TranslateMessage(&msg);
    ::DispatchMessageA(&msg);
}

bool Win32Platform::CallHook(MSG& msg) {
    // A copy: the hook may replace itself while it runs.
    plat::MessageHook hook = hook_;
    if (!hook) return false;
    plat::Message m;
    m.Window = reinterpret_cast<plat::WindowHandle>(msg.hwnd);
    m.Id = msg.message;
    m.WParam = msg.wParam;
    m.LParam = msg.lParam;
    bool handled = false;
    Guarded([&] { hook(m, handled); });
    msg.hwnd = reinterpret_cast<HWND>(m.Window);
    msg.message = m.Id;
    msg.wParam = static_cast<WPARAM>(m.WParam);
    msg.lParam = static_cast<LPARAM>(m.LParam);
    return handled;
}

// Modal loops that are not ours (message boxes, a system DLL's dialog) pass
// their messages through the thread's message filter; the hook sees them
// there. The dialog manager also filters the messages of our own loop, which
// the hook has already seen.
LRESULT CALLBACK Win32Platform::MsgFilterProc(int code, WPARAM wp, LPARAM lp) {
    Win32Platform* self = instance_;
    if (code >= 0 && lp && self && self->hook_) {
        MSG& msg = *reinterpret_cast<MSG*>(lp);
        if (self->haveLastHooked_ && SameMessage(msg, self->lastHooked_)) {
            self->haveLastHooked_ = false;
        } else if (self->CallHook(msg)) {
            return 1;
        }
    }
    return ::CallNextHookEx(nullptr, code, wp, lp);
}

void Win32Platform::Terminate() {
    terminated_ = true;
    ::PostQuitMessage(0);
}

void Win32Platform::SetMessageHook(plat::MessageHook hook) {
    hook_ = std::move(hook);
    if (hook_ && !filterHook_) {
        filterHook_ = ::SetWindowsHookExA(WH_MSGFILTER, &Win32Platform::MsgFilterProc, nullptr,
                                          ::GetCurrentThreadId());
    } else if (!hook_ && filterHook_) {
        ::UnhookWindowsHookEx(filterHook_);
        filterHook_ = nullptr;
    }
}

void Win32Platform::FormClosed(Win32Form& form) {
    if (!forms_.empty() && forms_.front().get() == &form) Terminate();
}

UINT_PTR Win32Platform::AddTimer(Win32Timer* timer) {
    const UINT_PTR id = nextTimerId_++;
    timers_[id] = timer;
    return id;
}

void Win32Platform::RemoveTimer(UINT_PTR id) {
    if (appWindow_) ::KillTimer(appWindow_, id);
    timers_.erase(id);
}

LRESULT CALLBACK Win32Platform::AppWndProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
    Win32Platform* self = instance_;
    if (msg == WM_TIMER && self) {
        auto it = self->timers_.find(wp);
        if (it != self->timers_.end()) {
            Win32Timer* timer = it->second;
            Guarded([timer] { timer->Fire(); });
        }
        return 0;
    }
    return ::DefWindowProcA(hwnd, msg, wp, lp);
}

// --- Message boxes ---------------------------------------------------------------

HWND Win32Platform::BoxOwner() const {
    HWND active = ::GetActiveWindow();
    for (const auto& form : forms_)
        if (form->Hwnd() == active && active && ::IsWindowVisible(active)) return active;
    // A box without a visible owner could open under a topmost saver.
    for (const auto& form : forms_)
        if (form->Hwnd() && ::IsWindowVisible(form->Hwnd())) return form->Hwnd();
    return nullptr;
}

namespace {

int ShowBox(HWND owner, const char* text, const char* caption, UINT flags) {
    if (owner && (::GetWindowLongA(owner, GWL_EXSTYLE) & WS_EX_TOPMOST)) flags |= MB_TOPMOST;
    return ::MessageBoxA(owner, text, caption, flags);
}

}  // namespace

void Win32Platform::MessageDlg(const std::string& text, const std::string& caption,
                               plat::MsgDlgType type) {
    const UINT icon = type == plat::MsgDlgType::mtError ? MB_ICONERROR : MB_ICONINFORMATION;
    ShowBox(BoxOwner(), text.c_str(), caption.c_str(), MB_OK | icon);
}

void Win32Platform::ShowErrorBox(const char* text) noexcept {
    ShowBox(BoxOwner(), text, "Error", MB_OK | MB_ICONERROR);
}

int Win32Platform::ScreenWidth() { return ::GetSystemMetrics(SM_CXSCREEN); }
int Win32Platform::ScreenHeight() { return ::GetSystemMetrics(SM_CYSCREEN); }

// --- System services ---------------------------------------------------------------

plat::WindowHandle Win32Platform::FindWindowA(const char* className, const char* caption) {
    return reinterpret_cast<plat::WindowHandle>(::FindWindowA(className, caption));
}

bool Win32Platform::ShowWindow(plat::WindowHandle wnd, int cmd) {
    return ::ShowWindow(reinterpret_cast<HWND>(wnd), cmd) != FALSE;
}

int Win32Platform::ShowCursor(bool show) { return ::ShowCursor(show ? TRUE : FALSE); }

bool Win32Platform::SystemParametersInfoA(std::uint32_t action, std::uint32_t param,
                                          void* pvParam, std::uint32_t winIni) {
    return ::SystemParametersInfoA(action, param, pvParam, winIni) != FALSE;
}

std::uint32_t Win32Platform::GetWindowsDirectoryA(char* buffer, std::uint32_t size) {
    return ::GetWindowsDirectoryA(buffer, size);
}

std::uint32_t Win32Platform::GetSystemDirectoryA(char* buffer, std::uint32_t size) {
    return ::GetSystemDirectoryA(buffer, size);
}

bool Win32Platform::GetVersionExA(plat::OSVersionInfoA& info) {
    OSVERSIONINFOA vi{};
    // The caller's size goes through: the system checks it.
    vi.dwOSVersionInfoSize = info.dwOSVersionInfoSize;
    if (!::GetVersionExA(&vi)) return false;
    info.dwMajorVersion = vi.dwMajorVersion;
    info.dwMinorVersion = vi.dwMinorVersion;
    info.dwBuildNumber = vi.dwBuildNumber;
    info.dwPlatformId = vi.dwPlatformId;
    static_assert(sizeof(info.szCSDVersion) == sizeof(vi.szCSDVersion));
    std::memcpy(info.szCSDVersion, vi.szCSDVersion, sizeof(info.szCSDVersion));
    return true;
}

plat::LibraryHandle Win32Platform::LoadLibraryA(const char* path) {
    return reinterpret_cast<plat::LibraryHandle>(::LoadLibraryA(path));
}

plat::ProcAddress Win32Platform::GetProcAddress(plat::LibraryHandle lib, const char* name) {
    return reinterpret_cast<plat::ProcAddress>(
        ::GetProcAddress(reinterpret_cast<HMODULE>(lib), name));
}

bool Win32Platform::FreeLibrary(plat::LibraryHandle lib) {
    return ::FreeLibrary(reinterpret_cast<HMODULE>(lib)) != FALSE;
}

void Win32Platform::CallPwdChangePasswordA(plat::ProcAddress fn, const char* provider,
                                           plat::WindowHandle parent, std::uint32_t reserved1,
                                           std::uint32_t reserved2) {
    using PwdChangePasswordA = DWORD(WINAPI*)(LPCSTR, HWND, DWORD, LPVOID);
    auto call = reinterpret_cast<PwdChangePasswordA>(fn);
    call(provider, reinterpret_cast<HWND>(parent), reserved1,
         reinterpret_cast<LPVOID>(static_cast<std::uintptr_t>(reserved2)));
}

std::int32_t Win32Platform::CallVerifyScreenSavePwd(plat::ProcAddress fn, plat::WindowHandle owner) {
    using VerifyScreenSavePwd = BOOL(WINAPI*)(HWND);
    auto call = reinterpret_cast<VerifyScreenSavePwd>(fn);
    return call(reinterpret_cast<HWND>(owner));
}

std::intptr_t Win32Platform::ShellExecuteA(plat::WindowHandle owner, const char* verb,
                                           const char* file, const char* params, const char* dir,
                                           int showCmd) {
    return reinterpret_cast<std::intptr_t>(
        ::ShellExecuteA(reinterpret_cast<HWND>(owner), verb, file, params, dir, showCmd));
}

std::uint32_t Win32Platform::TimeOfDayMs() {
    SYSTEMTIME t;
    ::GetLocalTime(&t);
    return ((t.wHour * 60u + t.wMinute) * 60u + t.wSecond) * 1000u + t.wMilliseconds;
}

}  // namespace w32
