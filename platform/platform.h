// The one interface between vidsaver's own code and the machine it runs on.
//
// Everything the saver and the dialog need from the outside world goes
// through plat::Platform: the form framework (application object, forms,
// controls, timer, media player, message boxes) and the system services
// (windows, cursor, screensaver flag, registry, libraries, shell, files).
//
// Each platform folder implements it once: win32/ for the real saver, sim/
// for the deterministic test double. The names of the system calls follow
// the Win32 functions they stand for, so the portable code reads like the
// algorithm it implements; the other platforms map them onto their own
// services.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <stdexcept>
#include <string>
#include <vector>

namespace plat {

using WindowHandle = std::uintptr_t;   // 0: no window
using LibraryHandle = std::uintptr_t;  // 0: the library did not load
using ProcAddress = std::uintptr_t;    // 0: no such export

// 24-bit colour in blue-green-red order, red in the low byte. Values with
// the top byte 0xFF name a system colour instead (as the form framework does).
using Color = std::uint32_t;
constexpr Color clBlack = 0x000000;
constexpr Color clWhite = 0xFFFFFF;
constexpr Color clWindowText = 0xFF000008;
constexpr Color clBtnFace = 0xFF00000F;

struct Rect {
    std::int32_t Left = 0, Top = 0, Right = 0, Bottom = 0;
    bool operator==(const Rect&) const = default;
};

// Base of every error the layer raises. What reaches the message loop
// unhandled is shown in an error box with its text, as the framework does.
class Exception : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// Raised by MediaPlayer::Open (and Stop on a closed player), carrying the
// media layer's own error text.
class EMCIDeviceError : public Exception {
public:
    using Exception::Exception;
};

// ---------------------------------------------------------------------------
// Form descriptions: what forms/ declares and a platform turns into windows.

enum class ControlKind {
    Label,
    Panel,
    GroupBox,
    RadioButton,
    ScrollBar,     // horizontal
    BitButton,     // push button with a picture
    Button,        // plain push button
    MediaPlayer,   // non-visual
    Timer,         // non-visual
    OpenDialog,    // non-visual, never opened
};

struct FontDesc {
    std::string Name = "MS Sans Serif";
    int Height = 11;  // character height in pixels
    bool Bold = false;
    Color Colour = clWindowText;
    bool operator==(const FontDesc&) const = default;
};

struct ControlDesc {
    std::string Name;
    ControlKind Kind = ControlKind::Label;
    std::string Parent;  // empty: the form itself
    int Left = 0, Top = 0, Width = 0, Height = 0;
    std::string Caption;
    bool Visible = true;
    FontDesc Font;        // used when ParentFont is false
    bool ParentFont = true;
    int TabOrder = -1;    // -1: not a tab stop

    // Panel and label.
    std::optional<Color> Colour;  // none: inherit the parent's colour
    bool WordWrap = false;
    bool AutoSize = false;
    bool Bevel = false;           // panel outer bevel

    // Scroll bar.
    int Min = 0, Max = 100, Position = 0, SmallChange = 1, LargeChange = 1;

    // Buttons.
    bool Default = false;       // pressed by Enter
    bool Cancel = false;        // pressed by Escape
    std::string Glyph;          // name of a built-in picture, empty for none
    bool OkKind = false;        // the framework's standard OK button

    // Timer.
    int Interval = 1000;
    bool Enabled = true;

    // Media player.
    std::string Display;        // name of the control the picture goes to
    bool AutoRewind = true;

    // Open dialog.
    std::string Filter;
};

enum class BorderStyle { None, Single };

struct FormDesc {
    std::string ClassName;  // window class, e.g. "TForm1"
    std::string Name;       // component name, e.g. "Form1"
    std::string Caption;
    BorderStyle Border = BorderStyle::Single;
    bool BorderIcons = true;
    bool StayOnTop = false;
    bool Maximized = false;
    bool Centered = false;
    bool Visible = false;   // shows itself once created
    int ClientWidth = 0, ClientHeight = 0;
    Color Colour = clBtnFace;
    FontDesc Font;
    std::string Icon;       // name of a built-in icon, empty for the default
    std::vector<ControlDesc> Controls;
};

// ---------------------------------------------------------------------------
// Live objects.

// Scroll notifications, in the order of the system's SB_ codes.
enum class ScrollCode {
    LineUp, LineDown, PageUp, PageDown, Position, Track, Top, Bottom, EndScroll
};

class Control {
public:
    virtual ~Control() = default;
    virtual const std::string& Name() const = 0;
    virtual WindowHandle Handle() const = 0;

    virtual int Left() const = 0;
    virtual int Top() const = 0;
    virtual int Width() const = 0;
    virtual int Height() const = 0;
    virtual void SetLeft(int v) = 0;
    virtual void SetTop(int v) = 0;
    // A size below 0 is stored, and reads back, as 0.
    virtual void SetWidth(int v) = 0;
    virtual void SetHeight(int v) = 0;

    virtual bool Visible() const = 0;
    virtual void SetVisible(bool v) = 0;
    virtual std::string Caption() const = 0;
    virtual void SetCaption(const std::string& text) = 0;
    virtual Color Colour() const = 0;
    virtual void SetColour(Color c) = 0;  // repaints at once

    // Radio buttons.
    virtual bool Checked() const { return false; }
    virtual void SetChecked(bool) {}

    // Scroll bars. SetPosition clamps to the range and fires no event.
    virtual int Min() const { return 0; }
    virtual int Max() const { return 0; }
    virtual int Position() const { return 0; }
    virtual void SetMax(int) {}
    virtual void SetPosition(int) {}
    // Called for every notification with the proposed new position; the bar
    // moves there only after the handler returns.
    virtual void SetOnScroll(std::function<void(ScrollCode, int& scrollPos)>) {}

    // Buttons.
    virtual void SetOnClick(std::function<void()>) {}
};

class Timer {
public:
    virtual ~Timer() = default;
    virtual bool Enabled() const = 0;
    virtual void SetEnabled(bool on) = 0;
    virtual int Interval() const = 0;
    virtual void SetOnTimer(std::function<void()> handler) = 0;
};

enum class MPModes {
    mpNotReady, mpStopped, mpPlaying, mpRecording, mpSeeking, mpPaused, mpOpen
};

class MediaPlayer {
public:
    virtual ~MediaPlayer() = default;
    virtual void SetFileName(const std::string& path) = 0;
    virtual std::string FileName() const = 0;
    virtual void SetAutoSelect(bool on) = 0;  // device chosen from the file
    virtual void SetWait(bool on) = 0;        // next command waits
    virtual void SetDisplay(Control* panel) = 0;

    // Closes first if open; raises EMCIDeviceError on failure and stays closed.
    virtual void Open() = 0;
    virtual void Close() = 0;  // never raises
    virtual void Play() = 0;   // returns at once; a device that fails stays stopped
    virtual void Stop() = 0;   // raises EMCIDeviceError when not open
    // A player that is not open reports mpStopped, never mpPlaying.
    virtual MPModes Mode() = 0;

    // The rectangle inside the display control that the picture fills.
    // Writes are ignored, and reads deliver nothing, when the player is not
    // open or its file has no picture. (0, 0, 0, 0) means the picture's own size.
    virtual void SetDisplayRect(const Rect& r) = 0;
    virtual std::optional<Rect> DisplayRect() = 0;
};

class Form : public virtual Control {
public:
    // The named child control; throws plat::Exception if the form has none.
    virtual Control& Find(const std::string& name) = 0;
    virtual MediaPlayer& Player(const std::string& name) = 0;
    virtual Timer& TimerNamed(const std::string& name) = 0;
    virtual void SetKeyPreview(bool on) = 0;
    // Closing the main form terminates the application.
    virtual void Close() = 0;
};

// A message taken from the queue, as the message hook sees it.
struct Message {
    WindowHandle Window = 0;
    std::uint32_t Id = 0;
    std::uintptr_t WParam = 0;
    std::intptr_t LParam = 0;
};
using MessageHook = std::function<void(Message& msg, bool& handled)>;

enum class MsgDlgType { mtError, mtInformation };

// The registry, rooted at HKEY_CURRENT_USER, read only.
class Registry {
public:
    virtual ~Registry() = default;
    virtual bool OpenKey(const std::string& path, bool canCreate) = 0;
    virtual bool ValueExists(const std::string& name) = 0;
    // Raises plat::Exception when the value is not a 32-bit integer.
    virtual std::int32_t ReadInteger(const std::string& name) = 0;
    virtual void CloseKey() = 0;
};

// OSVERSIONINFOA, byte for byte: 148 bytes.
struct OSVersionInfoA {
    std::uint32_t dwOSVersionInfoSize = 0;
    std::uint32_t dwMajorVersion = 0;
    std::uint32_t dwMinorVersion = 0;
    std::uint32_t dwBuildNumber = 0;
    std::uint32_t dwPlatformId = 0;
    char szCSDVersion[128] = {};
};
static_assert(sizeof(OSVersionInfoA) == 148);

constexpr std::uint32_t VER_PLATFORM_WIN32_NT = 2;
constexpr std::uint32_t SPI_SCREENSAVERRUNNING = 97;
constexpr int SW_HIDE = 0;
constexpr int SW_SHOWMAXIMIZED = 3;

// Outcome of replacing a file's contents.
enum class WriteResult { Ok, Protected, Failed };

class Platform {
public:
    virtual ~Platform() = default;

    // --- Application object ------------------------------------------------
    virtual std::vector<std::string> Arguments() = 0;  // program name excluded
    virtual std::string ExeName() = 0;                 // full path
    virtual void Initialize() = 0;
    virtual WindowHandle ApplicationHandle() = 0;
    // Builds the form from its description, runs onCreate (the creation
    // handler) and makes the first form created the main form.
    virtual Form& CreateForm(const FormDesc& desc,
                             const std::function<void(Form&)>& onCreate) = 0;
    virtual void SetShowMainForm(bool show) = 0;
    virtual void Run() = 0;        // until Terminate
    virtual void Terminate() = 0;
    virtual void SetMessageHook(MessageHook hook) = 0;
    // Modal, one OK button. The message hook keeps seeing what its loop takes.
    virtual void MessageDlg(const std::string& text, const std::string& caption,
                            MsgDlgType type) = 0;
    virtual int ScreenWidth() = 0;
    virtual int ScreenHeight() = 0;
    // What separates the folders of a path on this system.
    virtual char PathDelimiter() const { return '\\'; }

    // --- System services ---------------------------------------------------
    virtual WindowHandle FindWindowA(const char* className, const char* caption) = 0;
    virtual bool ShowWindow(WindowHandle wnd, int cmd) = 0;
    virtual int ShowCursor(bool show) = 0;
    virtual bool SystemParametersInfoA(std::uint32_t action, std::uint32_t param,
                                       void* pvParam, std::uint32_t winIni) = 0;
    // Both return the length copied, the size needed when the buffer is too
    // small, or 0 on failure, as the system calls do.
    virtual std::uint32_t GetWindowsDirectoryA(char* buffer, std::uint32_t size) = 0;
    virtual std::uint32_t GetSystemDirectoryA(char* buffer, std::uint32_t size) = 0;
    virtual bool GetVersionExA(OSVersionInfoA& info) = 0;

    virtual LibraryHandle LoadLibraryA(const char* path) = 0;
    virtual ProcAddress GetProcAddress(LibraryHandle lib, const char* name) = 0;
    virtual bool FreeLibrary(LibraryHandle lib) = 0;
    // Calls through addresses found with GetProcAddress.
    virtual void CallPwdChangePasswordA(ProcAddress fn, const char* provider,
                                        WindowHandle parent, std::uint32_t reserved1,
                                        std::uint32_t reserved2) = 0;
    virtual std::int32_t CallVerifyScreenSavePwd(ProcAddress fn, WindowHandle owner) = 0;

    virtual std::intptr_t ShellExecuteA(WindowHandle owner, const char* verb,
                                        const char* file, const char* params,
                                        const char* dir, int showCmd) = 0;
    virtual std::unique_ptr<Registry> CreateRegistry() = 0;

    // Milliseconds since midnight, local time: the seed of the random order.
    virtual std::uint32_t TimeOfDayMs() = 0;

    // --- Files -------------------------------------------------------------
    virtual bool FileExists(const std::string& path) = 0;  // a directory is no file
    virtual std::optional<std::string> ReadFile(const std::string& path) = 0;
    // Replaces the whole file atomically (temporary file, then rename).
    // A file or directory the user may not write gives Protected, and the
    // file stays as it was.
    virtual WriteResult ReplaceFile(const std::string& path, const std::string& bytes) = 0;
};

// The platform of the build; defined once per platform folder.
std::unique_ptr<Platform> CreatePlatform(int argc, char** argv);

// Window messages that the saver's input filter looks at.
constexpr std::uint32_t WM_KEYDOWN = 0x100;
constexpr std::uint32_t WM_KEYUP = 0x101;
constexpr std::uint32_t WM_CHAR = 0x102;
constexpr std::uint32_t WM_SYSKEYDOWN = 0x104;
constexpr std::uint32_t WM_SYSKEYUP = 0x105;
constexpr std::uint32_t WM_MOUSEMOVE = 0x200;
constexpr std::uint32_t WM_LBUTTONDOWN = 0x201;
constexpr std::uint32_t WM_LBUTTONUP = 0x202;
constexpr std::uint32_t WM_RBUTTONDOWN = 0x204;
constexpr std::uint32_t WM_RBUTTONUP = 0x205;
constexpr std::uint32_t WM_MBUTTONDOWN = 0x207;
constexpr std::uint32_t WM_MOUSEWHEEL = 0x20A;

}  // namespace plat
