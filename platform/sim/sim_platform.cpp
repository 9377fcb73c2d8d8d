#include "platform/sim/sim_platform.h"

#include <algorithm>
#include <cstring>

#include "platform/common/command_line.h"

namespace sim {

namespace {

// Case-insensitive comparison of ASCII names, as the system compares
// window classes and file paths.
bool SameText(const std::string& a, const std::string& b) {
    if (a.size() != b.size()) return false;
    for (std::size_t i = 0; i < a.size(); ++i) {
        auto lower = [](char c) { return (c >= 'A' && c <= 'Z') ? char(c + 32) : c; };
        if (lower(a[i]) != lower(b[i])) return false;
    }
    return true;
}

std::uint32_t CopyDirectory(const std::string& dir, bool fails, char* buffer, std::uint32_t size) {
    if (fails) return 0;
    if (dir.size() + 1 > size) return static_cast<std::uint32_t>(dir.size() + 1);
    std::memcpy(buffer, dir.c_str(), dir.size() + 1);
    return static_cast<std::uint32_t>(dir.size());
}

}  // namespace

// --- SimPlatform -------------------------------------------------------------

SimPlatform::SimPlatform() { appHandle_ = NewHandle(); }
// Forms go first: their timers unregister from this platform.
SimPlatform::~SimPlatform() { Forms.clear(); }

std::vector<std::string> SimPlatform::Arguments() {
    auto args = plat::SplitCommandLine(CommandLine);
    if (!args.empty()) args.erase(args.begin());
    return args;
}

std::string SimPlatform::ExeName() { return ExePath; }

void SimPlatform::Initialize() {
    Initialized = true;
    Log.push_back("Initialize");
}

plat::WindowHandle SimPlatform::ApplicationHandle() { return appHandle_; }

plat::Form& SimPlatform::CreateForm(const plat::FormDesc& desc,
                                    const std::function<void(plat::Form&)>& onCreate) {
    Forms.push_back(std::make_unique<SimForm>(*this, desc));
    SimForm& form = *Forms.back();
    Log.push_back("CreateForm " + desc.ClassName);
    if (onCreate) onCreate(form);
    if (desc.Visible && !form.Closed) {
        form.SetVisible(true);
        form.Shown = true;
    }
    return form;
}

void SimPlatform::SetShowMainForm(bool show) { ShowMainForm = show; }

void SimPlatform::Run() {
    RunCalled = true;
    Log.push_back("Run");
    if (ShowMainForm && MainForm() && !MainForm()->Closed) {
        MainForm()->SetVisible(true);
        MainForm()->Shown = true;
    }
    while (!Terminated && !Script.empty()) {
        auto step = std::move(Script.front());
        Script.pop_front();
        step();
    }
}

void SimPlatform::Terminate() {
    Terminated = true;
    Log.push_back("Terminate");
}

void SimPlatform::SetMessageHook(plat::MessageHook hook) { hook_ = std::move(hook); }

void SimPlatform::Pump(std::uint32_t messageId) {
    plat::Message msg;
    msg.Id = messageId;
    msg.Window = MainForm() ? MainForm()->Handle() : 0;
    bool handled = false;
    if (!hook_) return;
    // An error that escapes the hook reaches the framework's error box.
    try {
        hook_(msg, handled);
    } catch (const std::exception& e) {
        MessageDlg(e.what(), "Error", plat::MsgDlgType::mtError);
    }
}

void SimPlatform::Deliver(std::uint32_t messageId) { Pump(messageId); }

void SimPlatform::Advance(int ms) {
    const std::uint64_t end = elapsedMs_ + static_cast<std::uint64_t>(ms);
    while (true) {
        SimTimer* next = nullptr;
        for (SimTimer* t : timers_)
            if (t->Enabled() && t->Due <= end && (!next || t->Due < next->Due)) next = t;
        if (!next || Terminated) break;
        const std::uint64_t step = next->Due - elapsedMs_;
        elapsedMs_ = next->Due;
        ClockMs = static_cast<std::uint32_t>((ClockMs + step) % (24u * 3600u * 1000u));
        next->Fire();
    }
    if (end > elapsedMs_) {
        ClockMs = static_cast<std::uint32_t>((ClockMs + (end - elapsedMs_)) % (24u * 3600u * 1000u));
        elapsedMs_ = end;
    }
}

void SimPlatform::RemoveTimer(SimTimer* t) {
    timers_.erase(std::remove(timers_.begin(), timers_.end(), t), timers_.end());
}

void SimPlatform::FormClosed(SimForm* form) {
    if (form == MainForm()) Terminate();
}

void SimPlatform::MessageDlg(const std::string& text, const std::string& caption,
                             plat::MsgDlgType type) {
    MessageBoxes.push_back({text, caption, type});
    Log.push_back("MessageDlg " + caption + ": " + text);
    const MessageBoxRecord record = MessageBoxes.back();
    if (OnMessageBox) OnMessageBox(record);
}

int SimPlatform::ScreenWidth() { return ScreenW; }
int SimPlatform::ScreenHeight() { return ScreenH; }

plat::WindowHandle SimPlatform::FindWindowA(const char* className, const char* caption) {
    const std::string cls = className ? className : "";
    const std::string cap = caption ? caption : "";
    for (const auto& [c, t] : ExistingWindows)
        if (SameText(c, cls) && t == cap) return 0xBEEF;
    for (const auto& form : Forms)
        if (!form->Closed && SameText(form->FormDescription.ClassName, cls) && form->Caption() == cap)
            return form->Handle();
    return 0;
}

bool SimPlatform::ShowWindow(plat::WindowHandle wnd, int cmd) {
    if (wnd == appHandle_ && cmd == plat::SW_HIDE) AppWindowHidden = true;
    Log.push_back("ShowWindow " + std::to_string(cmd));
    return true;
}

int SimPlatform::ShowCursor(bool show) {
    CursorCount += show ? 1 : -1;
    Log.push_back(show ? "ShowCursor TRUE" : "ShowCursor FALSE");
    return CursorCount;
}

bool SimPlatform::SystemParametersInfoA(std::uint32_t action, std::uint32_t param, void* pvParam,
                                        std::uint32_t /*winIni*/) {
    SpiCalls.emplace_back(action, param);
    Log.push_back("SystemParametersInfoA " + std::to_string(action) + " " + std::to_string(param));
    if (action == plat::SPI_SCREENSAVERRUNNING) {
        if (pvParam) *static_cast<std::uint32_t*>(pvParam) = ScreensaverRunning ? 1 : 0;
        ScreensaverRunning = param != 0;
    }
    return true;
}

std::uint32_t SimPlatform::GetWindowsDirectoryA(char* buffer, std::uint32_t size) {
    return CopyDirectory(WindowsDir, WindowsDirFails, buffer, size);
}

std::uint32_t SimPlatform::GetSystemDirectoryA(char* buffer, std::uint32_t size) {
    return CopyDirectory(SystemDir, SystemDirFails, buffer, size);
}

bool SimPlatform::GetVersionExA(plat::OSVersionInfoA& info) {
    VersionQuerySizes.push_back(info.dwOSVersionInfoSize);
    if (info.dwOSVersionInfoSize != sizeof(plat::OSVersionInfoA)) return false;
    info.dwMajorVersion = 4;  // NT 4.0 or Windows 98 (4.10)
    info.dwMinorVersion = PlatformId == plat::VER_PLATFORM_WIN32_NT ? 0 : 10;
    info.dwPlatformId = PlatformId;
    return true;
}

plat::LibraryHandle SimPlatform::LoadLibraryA(const char* path) {
    const std::string p = path ? path : "";
    LoadedLibraries.push_back(p);
    Log.push_back("LoadLibraryA " + p);
    for (const auto& [libPath, script] : Libraries) {
        if (SameText(libPath, p)) {
            const plat::LibraryHandle h = NewHandle();
            openLibraries_[h] = libPath;
            ++LoadedNow;
            return h;
        }
    }
    return 0;
}

plat::ProcAddress SimPlatform::GetProcAddress(plat::LibraryHandle lib, const char* name) {
    const std::string n = name ? name : "";
    ProcLookups.push_back(n);
    auto it = openLibraries_.find(lib);
    if (it == openLibraries_.end()) return 0;
    const LibraryScript& script = Libraries[it->second];
    if (!script.Exports.count(n)) return 0;
    const plat::ProcAddress addr = NewHandle();
    procs_[addr] = {it->second, n};
    return addr;
}

bool SimPlatform::FreeLibrary(plat::LibraryHandle lib) {
    Log.push_back("FreeLibrary");
    if (!openLibraries_.erase(lib)) return false;
    ++FreedLibraries;
    --LoadedNow;
    return true;
}

void SimPlatform::CallPwdChangePasswordA(plat::ProcAddress fn, const char* provider,
                                         plat::WindowHandle parent, std::uint32_t reserved1,
                                         std::uint32_t reserved2) {
    if (!procs_.count(fn)) throw plat::Exception("call through an unknown address");
    PwdChangeCalls.push_back({provider ? provider : "", parent, reserved1, reserved2});
    Log.push_back("PwdChangePasswordA");
}

std::int32_t SimPlatform::CallVerifyScreenSavePwd(plat::ProcAddress fn, plat::WindowHandle owner) {
    auto it = procs_.find(fn);
    if (it == procs_.end()) throw plat::Exception("call through an unknown address");
    VerifyCalls.push_back(owner);
    Log.push_back("VerifyScreenSavePwd");
    LibraryScript& script = Libraries[it->second.first];
    if (script.DuringDialog) script.DuringDialog();
    return script.VerifyResult;
}

std::intptr_t SimPlatform::ShellExecuteA(plat::WindowHandle owner, const char* verb,
                                         const char* file, const char* params, const char* dir,
                                         int showCmd) {
    auto s = [](const char* p) { return p ? std::string(p) : std::string(); };
    ShellCalls.push_back({owner, s(verb), s(file), s(params), s(dir), showCmd});
    return ShellResult;
}

namespace {

class SimRegistry : public plat::Registry {
public:
    explicit SimRegistry(SimPlatform& p) : p_(p) {}
    bool OpenKey(const std::string& path, bool canCreate) override {
        p_.RegistryOpens.push_back(path);
        for (auto& [k, values] : p_.RegistryKeys) {
            if (SameText(k, path)) {
                key_ = &values;
                return true;
            }
        }
        if (canCreate) {
            key_ = &p_.RegistryKeys[path];
            return true;
        }
        return false;
    }
    bool ValueExists(const std::string& name) override { return Lookup(name) != nullptr; }
    std::int32_t ReadInteger(const std::string& name) override {
        const SimPlatform::RegValue* v = Lookup(name);
        if (!v || !v->IsInteger) throw plat::Exception("Invalid data type for '" + name + "'");
        return v->Integer;
    }
    void CloseKey() override {
        if (key_) ++p_.RegistryCloses;
        key_ = nullptr;
    }

private:
    const SimPlatform::RegValue* Lookup(const std::string& name) {
        if (!key_) return nullptr;
        for (auto& [n, v] : *key_)
            if (SameText(n, name)) return &v;
        return nullptr;
    }
    SimPlatform& p_;
    std::map<std::string, SimPlatform::RegValue>* key_ = nullptr;
};

}  // namespace

std::unique_ptr<plat::Registry> SimPlatform::CreateRegistry() {
    return std::make_unique<SimRegistry>(*this);
}

std::uint32_t SimPlatform::TimeOfDayMs() { return ClockMs; }

bool SimPlatform::FileExists(const std::string& path) {
    for (const auto& [p, bytes] : Files)
        if (SameText(p, path)) return !Directories.count(p);
    return false;
}

std::optional<std::string> SimPlatform::ReadFile(const std::string& path) {
    for (const auto& [p, bytes] : Files)
        if (SameText(p, path)) return bytes;
    return std::nullopt;
}

plat::WriteResult SimPlatform::ReplaceFile(const std::string& path, const std::string& bytes) {
    for (const auto& p : ProtectedPaths)
        if (SameText(p, path)) return plat::WriteResult::Protected;
    for (auto& [p, old] : Files) {
        if (SameText(p, path)) {
            old = bytes;
            return plat::WriteResult::Ok;
        }
    }
    Files[path] = bytes;
    return plat::WriteResult::Ok;
}

// --- SimControl --------------------------------------------------------------

SimControl::SimControl(SimPlatform& platform, const plat::ControlDesc& desc, SimControl* parent)
    : Desc(desc),
      Parent(parent),
      platform_(platform),
      name_(desc.Name),
      handle_(platform.NewHandle()),
      left_(desc.Left),
      top_(desc.Top),
      width_(desc.Width),
      height_(desc.Height),
      visible_(desc.Visible),
      caption_(desc.Caption),
      colour_(desc.Colour.value_or(plat::clBtnFace)),
      min_(desc.Min),
      max_(desc.Max),
      position_(desc.Position) {}

// A window has no negative size: what is set below 0 reads back as 0.
void SimControl::SetWidth(int v) { width_ = v < 0 ? 0 : v; }
void SimControl::SetHeight(int v) { height_ = v < 0 ? 0 : v; }

void SimControl::SetColour(plat::Color c) {
    colour_ = c;
    ColourHistory.push_back(c);
}

void SimControl::SetChecked(bool on) {
    checked_ = on;
    if (on && Parent) {
        for (SimControl* sibling : Parent->Children)
            if (sibling != this && sibling->Desc.Kind == plat::ControlKind::RadioButton)
                sibling->checked_ = false;
    }
}

void SimControl::SetMax(int v) {
    max_ = v;
    position_ = std::clamp(position_, min_, std::max(min_, max_));
}

void SimControl::SetPosition(int v) { position_ = std::clamp(v, min_, std::max(min_, max_)); }

void SimControl::Click() {
    if (Desc.Kind == plat::ControlKind::RadioButton) SetChecked(true);
    if (onClick_) {
        // An error that escapes a handler reaches the framework's error box.
        try {
            onClick_();
        } catch (const std::exception& e) {
            platform_.MessageDlg(e.what(), "Error", plat::MsgDlgType::mtError);
        }
    }
}

void SimControl::Scroll(plat::ScrollCode code, int thumbPos) {
    using plat::ScrollCode;
    int pos = position_;
    switch (code) {
        case ScrollCode::LineUp: pos -= Desc.SmallChange; break;
        case ScrollCode::LineDown: pos += Desc.SmallChange; break;
        case ScrollCode::PageUp: pos -= Desc.LargeChange; break;
        case ScrollCode::PageDown: pos += Desc.LargeChange; break;
        case ScrollCode::Position:
        case ScrollCode::Track: pos = thumbPos; break;
        case ScrollCode::Top: pos = min_; break;
        case ScrollCode::Bottom: pos = max_; break;
        case ScrollCode::EndScroll: break;
    }
    pos = std::clamp(pos, min_, std::max(min_, max_));
    if (onScroll_) onScroll_(code, pos);
    SetPosition(pos);
}

bool SimControl::ShownOnScreen() const {
    for (const SimControl* c = this; c; c = c->Parent)
        if (!c->Visible()) return false;
    return true;
}

// --- SimPlayer ---------------------------------------------------------------

void SimPlayer::Open() {
    Close();
    Opened.push_back(fileName_);
    auto it = platform_.Media.find(fileName_);
    if (it == platform_.Media.end() || !it->second.Opens || !platform_.FileExists(fileName_)) {
        const std::string text = it != platform_.Media.end()
                                     ? it->second.ErrorText
                                     : "The specified file cannot be played on the specified MCI device.";
        platform_.Log.push_back("Open failed " + fileName_);
        throw plat::EMCIDeviceError(text);
    }
    script_ = it->second;
    open_ = true;
    playing_ = false;
    wait_ = true;
    rect_ = script_.HasPicture ? plat::Rect{0, 0, script_.Width, script_.Height} : plat::Rect{};
    platform_.Log.push_back("Open " + fileName_);
}

void SimPlayer::Close() {
    if (!open_) return;
    open_ = false;
    playing_ = false;
    platform_.Log.push_back("Close " + fileName_);
}

void SimPlayer::Play() {
    if (!open_) return;
    Played.push_back(fileName_);
    platform_.Log.push_back("Play " + fileName_);
    if (!script_.Starts) return;
    playing_ = true;
    playStart_ = platform_.Now();
}

void SimPlayer::Stop() {
    if (!open_) throw plat::EMCIDeviceError("The specified device is not open or is not recognized by MCI.");
    ++Stops;
    if (script_.StopFails) throw plat::EMCIDeviceError("The device refused to stop.");
    playing_ = false;
    platform_.Log.push_back("Stop " + fileName_);
}

plat::MPModes SimPlayer::Mode() {
    if (!open_) return plat::MPModes::mpStopped;
    if (playing_ && platform_.Now() - playStart_ >= static_cast<std::uint64_t>(script_.DurationMs))
        playing_ = false;
    return playing_ ? plat::MPModes::mpPlaying : plat::MPModes::mpStopped;
}

void SimPlayer::SetDisplayRect(const plat::Rect& r) {
    if (!open_ || !script_.HasPicture) return;
    if (r.Right == 0 && r.Bottom == 0)
        rect_ = {r.Left, r.Top, r.Left + script_.Width, r.Top + script_.Height};
    else
        rect_ = r;
}

std::optional<plat::Rect> SimPlayer::DisplayRect() {
    if (!open_ || !script_.HasPicture) return std::nullopt;
    return rect_;
}

// --- SimTimer ----------------------------------------------------------------

SimTimer::SimTimer(SimPlatform& platform, int interval, bool enabled)
    : platform_(platform), interval_(interval), enabled_(false) {
    platform_.AddTimer(this);
    SetEnabled(enabled);
}

SimTimer::~SimTimer() { platform_.RemoveTimer(this); }

void SimTimer::SetEnabled(bool on) {
    if (on && !enabled_) Due = platform_.Now() + static_cast<std::uint64_t>(interval_);
    enabled_ = on;
}

void SimTimer::Fire() {
    Due += static_cast<std::uint64_t>(interval_);
    ++Ticks;
    // The tick is a message of the loop: it passes the hook first.
    platform_.Deliver(0x113 /* WM_TIMER */);
    if (onTimer_ && enabled_) onTimer_();
}

// --- SimForm -----------------------------------------------------------------

namespace {
plat::ControlDesc FormAsControl(const plat::FormDesc& d) {
    plat::ControlDesc c;
    c.Name = d.Name;
    c.Kind = plat::ControlKind::Panel;
    c.Width = d.ClientWidth;
    c.Height = d.ClientHeight;
    c.Caption = d.Caption;
    c.Visible = false;
    c.Colour = d.Colour;
    return c;
}
}  // namespace

SimForm::SimForm(SimPlatform& platform, const plat::FormDesc& desc)
    : SimControl(platform, FormAsControl(desc), nullptr), FormDescription(desc) {
    if (desc.Maximized) {
        width_ = platform.ScreenW;
        height_ = platform.ScreenH;
    }
    for (const plat::ControlDesc& c : desc.Controls) {
        switch (c.Kind) {
            case plat::ControlKind::MediaPlayer:
                players_[c.Name] = std::make_unique<SimPlayer>(platform);
                break;
            case plat::ControlKind::Timer:
                timers_[c.Name] = std::make_unique<SimTimer>(platform, c.Interval, c.Enabled);
                break;
            case plat::ControlKind::OpenDialog:
                break;
            default: {
                SimControl* parent = this;
                if (!c.Parent.empty()) parent = &Get(c.Parent);
                auto control = std::make_unique<SimControl>(platform, c, parent);
                parent->Children.push_back(control.get());
                controls_[c.Name] = std::move(control);
            }
        }
    }
    // A player's display is a control of the same form.
    for (const plat::ControlDesc& c : desc.Controls)
        if (c.Kind == plat::ControlKind::MediaPlayer && !c.Display.empty())
            players_[c.Name]->SetDisplay(&Get(c.Display));
}

SimControl& SimForm::Get(const std::string& name) {
    auto it = controls_.find(name);
    if (it == controls_.end()) throw plat::Exception("no control named " + name);
    return *it->second;
}

SimPlayer& SimForm::GetPlayer(const std::string& name) {
    auto it = players_.find(name);
    if (it == players_.end()) throw plat::Exception("no player named " + name);
    return *it->second;
}

SimTimer& SimForm::GetTimer(const std::string& name) {
    auto it = timers_.find(name);
    if (it == timers_.end()) throw plat::Exception("no timer named " + name);
    return *it->second;
}

void SimForm::Close() {
    if (Closed) return;
    Closed = true;
    SetVisible(false);
    platform_.Log.push_back("Close form " + FormDescription.ClassName);
    platform_.FormClosed(this);
}

}  // namespace sim
