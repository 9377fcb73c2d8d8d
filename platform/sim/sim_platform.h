// A headless, deterministic platform for tests.
//
// It keeps forms and controls as plain state, runs timers on a virtual
// clock, plays scripted media, keeps files in memory, and records every
// system call a test may want to check. Nothing here is shipped.
#pragma once

#include <deque>
#include <functional>
#include <map>
#include <memory>
#include <set>
#include <string>
#include <vector>

#include "platform/platform.h"

namespace sim {

// How a file behaves when the media player opens it.
struct MediaScript {
    bool Opens = true;
    std::string ErrorText = "The specified file cannot be played on the specified MCI device.";
    bool HasPicture = true;
    int Width = 320, Height = 240;  // the picture's own size
    int DurationMs = 1000;
    bool Starts = true;             // false: Play leaves it stopped
    bool StopFails = false;         // Stop raises, as a refusing device does
};

struct MessageBoxRecord {
    std::string Text;
    std::string Caption;
    plat::MsgDlgType Type;
};

struct ShellCall {
    plat::WindowHandle Owner;
    std::string Verb, File, Params, Dir;
    int Show;
};

struct LibraryScript {
    std::set<std::string> Exports;
    // Result of VerifyScreenSavePwd; the hook runs inside the "dialog".
    std::int32_t VerifyResult = 1;
    std::function<void()> DuringDialog;
};

class SimControl;
class SimForm;
class SimPlayer;
class SimTimer;

class SimPlatform : public plat::Platform {
public:
    SimPlatform();
    ~SimPlatform() override;

    // --- Configuration, set by a test before the program runs -------------
    std::string CommandLine = "vidsaver.scr";  // split like the real one
    std::string ExePath = "C:\\Saver\\vidsaver.scr";
    char Delimiter = '\\';  // '/' plays a system with POSIX paths
    std::string WindowsDir = "C:\\WINDOWS";
    bool WindowsDirFails = false;
    std::string SystemDir = "C:\\WINDOWS\\SYSTEM";
    bool SystemDirFails = false;
    std::uint32_t PlatformId = plat::VER_PLATFORM_WIN32_NT;
    int ScreenW = 1024, ScreenH = 768;
    std::uint32_t ClockMs = 12 * 3600 * 1000;  // time of day on the virtual clock

    // Top-level windows of other processes: (class, caption).
    std::set<std::pair<std::string, std::string>> ExistingWindows;

    // Files: path -> bytes. Directories are paths with no content.
    std::map<std::string, std::string> Files;
    std::set<std::string> Directories;
    std::set<std::string> ProtectedPaths;  // ReplaceFile gives Protected

    // Libraries by full path.
    std::map<std::string, LibraryScript> Libraries;

    // Registry values under HKEY_CURRENT_USER: key path -> name -> value.
    // A value holding a string is not an integer, and reading it raises.
    struct RegValue { bool IsInteger = true; std::int32_t Integer = 0; };
    std::map<std::string, std::map<std::string, RegValue>> RegistryKeys;

    // Media by path; a path with no script fails to open.
    std::map<std::string, MediaScript> Media;

    // Answer of ShellExecuteA.
    std::intptr_t ShellResult = 42;

    // Runs inside each message box's modal loop, before it returns. Messages
    // it delivers pass the message hook like those of a real modal loop.
    std::function<void(const MessageBoxRecord&)> OnMessageBox;

    // What Run does: each step runs in turn, and the messages it posts pass
    // the hook. Run returns when the application terminates or the steps are
    // used up.
    std::deque<std::function<void()>> Script;

    // --- Driving ----------------------------------------------------------
    // Puts a message in the queue and lets the loop take it (through the hook).
    void Deliver(std::uint32_t messageId);
    // Advances the virtual clock, firing due timers in order.
    void Advance(int ms);

    // --- Records ----------------------------------------------------------
    int CursorCount = 0;  // display count; the cursor shows while >= 0
    bool ScreensaverRunning = false;
    std::vector<std::pair<std::uint32_t, std::uint32_t>> SpiCalls;  // action, param
    std::vector<MessageBoxRecord> MessageBoxes;
    std::vector<std::string> LoadedLibraries;   // LoadLibraryA paths, in order
    std::vector<std::string> ProcLookups;       // GetProcAddress names, in order
    int FreedLibraries = 0;
    int LoadedNow = 0;                          // loaded and not yet freed
    struct PwdCall { std::string Provider; plat::WindowHandle Parent; std::uint32_t R1, R2; };
    std::vector<PwdCall> PwdChangeCalls;
    std::vector<plat::WindowHandle> VerifyCalls;
    std::vector<ShellCall> ShellCalls;
    std::vector<std::uint32_t> VersionQuerySizes;  // size field of each GetVersionExA
    std::vector<std::string> RegistryOpens;        // key paths opened
    int RegistryCloses = 0;
    std::vector<std::string> Log;                  // ordered trace of notable calls
    bool Initialized = false;
    bool AppWindowHidden = false;
    bool ShowMainForm = true;
    bool Terminated = false;
    bool RunCalled = false;
    bool HookInstalled() const { return static_cast<bool>(hook_); }

    // Forms created, in order; the first is the main form.
    std::vector<std::unique_ptr<SimForm>> Forms;
    SimForm* MainForm() { return Forms.empty() ? nullptr : Forms.front().get(); }

    // --- plat::Platform ---------------------------------------------------
    std::vector<std::string> Arguments() override;
    std::string ExeName() override;
    void Initialize() override;
    plat::WindowHandle ApplicationHandle() override;
    plat::Form& CreateForm(const plat::FormDesc& desc,
                           const std::function<void(plat::Form&)>& onCreate) override;
    void SetShowMainForm(bool show) override;
    void Run() override;
    void Terminate() override;
    void SetMessageHook(plat::MessageHook hook) override;
    void MessageDlg(const std::string& text, const std::string& caption,
                    plat::MsgDlgType type) override;
    int ScreenWidth() override;
    int ScreenHeight() override;
    char PathDelimiter() const override { return Delimiter; }

    plat::WindowHandle FindWindowA(const char* className, const char* caption) override;
    bool ShowWindow(plat::WindowHandle wnd, int cmd) override;
    int ShowCursor(bool show) override;
    bool SystemParametersInfoA(std::uint32_t action, std::uint32_t param, void* pvParam,
                               std::uint32_t winIni) override;
    std::uint32_t GetWindowsDirectoryA(char* buffer, std::uint32_t size) override;
    std::uint32_t GetSystemDirectoryA(char* buffer, std::uint32_t size) override;
    bool GetVersionExA(plat::OSVersionInfoA& info) override;
    plat::LibraryHandle LoadLibraryA(const char* path) override;
    plat::ProcAddress GetProcAddress(plat::LibraryHandle lib, const char* name) override;
    bool FreeLibrary(plat::LibraryHandle lib) override;
    void CallPwdChangePasswordA(plat::ProcAddress fn, const char* provider,
                                plat::WindowHandle parent, std::uint32_t reserved1,
                                std::uint32_t reserved2) override;
    std::int32_t CallVerifyScreenSavePwd(plat::ProcAddress fn, plat::WindowHandle owner) override;
    std::intptr_t ShellExecuteA(plat::WindowHandle owner, const char* verb, const char* file,
                                const char* params, const char* dir, int showCmd) override;
    std::unique_ptr<plat::Registry> CreateRegistry() override;
    std::uint32_t TimeOfDayMs() override;

    bool FileExists(const std::string& path) override;
    std::optional<std::string> ReadFile(const std::string& path) override;
    plat::WriteResult ReplaceFile(const std::string& path, const std::string& bytes) override;

    // --- Used by the sim's own objects ------------------------------------
    plat::WindowHandle NewHandle() { return nextHandle_++; }
    void AddTimer(SimTimer* t) { timers_.push_back(t); }
    void RemoveTimer(SimTimer* t);
    std::uint64_t Now() const { return elapsedMs_; }
    void FormClosed(SimForm* form);

private:
    void Pump(std::uint32_t messageId);

    plat::MessageHook hook_;
    plat::WindowHandle nextHandle_ = 0x100;
    plat::WindowHandle appHandle_ = 0;
    std::vector<SimTimer*> timers_;
    std::uint64_t elapsedMs_ = 0;  // virtual time since the platform was made
    std::map<plat::LibraryHandle, std::string> openLibraries_;
    std::map<plat::ProcAddress, std::pair<std::string, std::string>> procs_;  // lib path, name
};

class SimControl : public virtual plat::Control {
public:
    SimControl(SimPlatform& platform, const plat::ControlDesc& desc, SimControl* parent);

    const plat::ControlDesc Desc;
    SimControl* Parent = nullptr;
    std::vector<SimControl*> Children;

    // Test helpers: what a user would do.
    void Click();                                  // buttons and radio buttons
    void Scroll(plat::ScrollCode code, int thumbPos = 0);  // one notification
    bool ShownOnScreen() const;                    // visible with every parent

    const std::string& Name() const override { return name_; }
    plat::WindowHandle Handle() const override { return handle_; }
    int Left() const override { return left_; }
    int Top() const override { return top_; }
    int Width() const override { return width_; }
    int Height() const override { return height_; }
    void SetLeft(int v) override { left_ = v; }
    void SetTop(int v) override { top_ = v; }
    void SetWidth(int v) override;
    void SetHeight(int v) override;
    bool Visible() const override { return visible_; }
    void SetVisible(bool v) override { visible_ = v; }
    std::string Caption() const override { return caption_; }
    void SetCaption(const std::string& text) override { caption_ = text; }
    plat::Color Colour() const override { return colour_; }
    void SetColour(plat::Color c) override;
    bool Checked() const override { return checked_; }
    void SetChecked(bool on) override;
    int Min() const override { return min_; }
    int Max() const override { return max_; }
    int Position() const override { return position_; }
    void SetMax(int v) override;
    void SetPosition(int v) override;
    void SetOnScroll(std::function<void(plat::ScrollCode, int&)> h) override { onScroll_ = std::move(h); }
    void SetOnClick(std::function<void()> h) override { onClick_ = std::move(h); }

    std::vector<plat::Color> ColourHistory;  // every colour set, in order

protected:
    SimPlatform& platform_;
    std::string name_;
    plat::WindowHandle handle_;
    int left_, top_, width_, height_;
    bool visible_;
    std::string caption_;
    plat::Color colour_;
    bool checked_ = false;
    int min_, max_, position_;
    std::function<void(plat::ScrollCode, int&)> onScroll_;
    std::function<void()> onClick_;
};

class SimPlayer : public plat::MediaPlayer {
public:
    explicit SimPlayer(SimPlatform& platform) : platform_(platform) {}

    void SetFileName(const std::string& path) override { fileName_ = path; }
    std::string FileName() const override { return fileName_; }
    void SetAutoSelect(bool on) override { autoSelect_ = on; }
    void SetWait(bool on) override { wait_ = on; }
    void SetDisplay(plat::Control* panel) override { display_ = panel; }
    void Open() override;
    void Close() override;
    void Play() override;
    void Stop() override;
    plat::MPModes Mode() override;
    void SetDisplayRect(const plat::Rect& r) override;
    std::optional<plat::Rect> DisplayRect() override;

    bool IsOpen() const { return open_; }
    plat::Control* Display() const { return display_; }
    std::vector<std::string> Opened;    // every path opened, failures included
    std::vector<std::string> Played;    // every path played
    int Stops = 0;

private:
    SimPlatform& platform_;
    std::string fileName_;
    bool autoSelect_ = true;
    bool wait_ = true;
    plat::Control* display_ = nullptr;
    bool open_ = false;
    MediaScript script_;
    bool playing_ = false;
    std::uint64_t playStart_ = 0;
    plat::Rect rect_;
};

class SimTimer : public plat::Timer {
public:
    SimTimer(SimPlatform& platform, int interval, bool enabled);
    ~SimTimer() override;
    bool Enabled() const override { return enabled_; }
    void SetEnabled(bool on) override;
    int Interval() const override { return interval_; }
    void SetOnTimer(std::function<void()> h) override { onTimer_ = std::move(h); }

    // The virtual time of the next tick; used by SimPlatform::Advance.
    std::uint64_t Due = 0;
    void Fire();
    int Ticks = 0;

private:
    SimPlatform& platform_;
    int interval_;
    bool enabled_;
    std::function<void()> onTimer_;
};

class SimForm : public plat::Form, public SimControl {
public:
    SimForm(SimPlatform& platform, const plat::FormDesc& desc);

    const plat::FormDesc FormDescription;
    bool KeyPreview = false;
    bool Closed = false;
    bool Shown = false;  // made visible (by itself or by the loop)

    SimControl& Get(const std::string& name);
    SimPlayer& GetPlayer(const std::string& name);
    SimTimer& GetTimer(const std::string& name);

    plat::Control& Find(const std::string& name) override { return Get(name); }
    plat::MediaPlayer& Player(const std::string& name) override { return GetPlayer(name); }
    plat::Timer& TimerNamed(const std::string& name) override { return GetTimer(name); }
    void SetKeyPreview(bool on) override { KeyPreview = on; }
    void Close() override;

private:
    std::map<std::string, std::unique_ptr<SimControl>> controls_;
    std::map<std::string, std::unique_ptr<SimPlayer>> players_;
    std::map<std::string, std::unique_ptr<SimTimer>> timers_;
};

}  // namespace sim
