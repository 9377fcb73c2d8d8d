// The Win32 implementation of plat::Platform: shared declarations of the
// files in this folder. Nothing outside platform/win32 includes it.
#pragma once

// platform.h first: <windows.h> defines macros (WM_KEYDOWN, SW_HIDE, ...)
// with the same names as the interface's own constants.
#include "platform/platform.h"

#ifndef NOMINMAX
#define NOMINMAX
#endif
#ifndef WIN32_LEAN_AND_MEAN
#define WIN32_LEAN_AND_MEAN
#endif
#include <windows.h>
#include <mmsystem.h>
// ReplaceFile is a macro for ReplaceFileA, which would rename our override.
#undef ReplaceFile

#include <map>
#include <memory>
#include <string>
#include <unordered_map>
#include <vector>

namespace w32 {

class Win32Platform;
class Win32Form;

// --- Drawing helpers (win32_gdi.cpp) ----------------------------------------

// A colour of the form framework as a COLORREF; system colours resolved.
COLORREF ToColorRef(plat::Color c);
// Brushes and fonts are cached for the life of the process: a handful of
// colours and fonts is all the program ever uses.
HBRUSH BrushFor(plat::Color c);
HFONT FontFor(const plat::FontDesc& font);
void ReleaseGdiCache();

// --- Pictures (win32_glyphs.cpp) --------------------------------------------

enum class Glyph { None, Check, Globe };
Glyph GlyphNamed(const std::string& name, bool okKind);
// Draws the 16x16 picture with its top-left corner at (x, y); a disabled
// button gets the greyed twin.
void DrawGlyph(HDC dc, Glyph glyph, int x, int y, bool enabled);
constexpr int kGlyphSize = 16;
// The program's icon at the given edge length (16 or 32), or null.
HICON CreateProgramIcon(int size);

// --- Errors ------------------------------------------------------------------

// Shows an error that escaped a handler, the way the framework does: a modal
// error box with the exception's text. Never throws.
void ReportException(const char* text) noexcept;

// Runs `f`, turning any exception into an error box: no C++ exception may
// unwind through a Win32 callback.
template <class F>
void Guarded(F&& f) noexcept {
    try {
        f();
    } catch (const std::exception& e) {
        ReportException(e.what());
    } catch (...) {
        ReportException("Unknown error");
    }
}

// --- Controls -----------------------------------------------------------------

class Win32Control : public virtual plat::Control {
public:
    Win32Control(Win32Form& form, const plat::ControlDesc& desc);
    ~Win32Control() override;
    Win32Control(const Win32Control&) = delete;
    Win32Control& operator=(const Win32Control&) = delete;

    const plat::ControlDesc& Desc() const { return desc_; }
    plat::ControlKind Kind() const { return desc_.Kind; }
    Win32Control* ParentControl() const { return parent_; }
    void SetParentControl(Win32Control* p) { parent_ = p; }
    std::vector<Win32Control*>& Children() { return children_; }
    int Depth() const;

    // Creates the window as a child of the form, at the end of the z-order.
    void CreateHandle(int id, bool startsGroup);
    HWND Hwnd() const { return hwnd_; }

    // Position inside the form's client area: controls inside a group box or
    // panel are children of the form placed at their parent's offset.
    int AbsLeft() const;
    int AbsTop() const;
    bool ShownOnScreen() const;  // visible, and every parent too
    void UpdatePlacement();      // this window and its children
    void UpdateShown();          // this window and its children
    void Repaint();

    // Notifications from the form's window procedure.
    void HandleCommand(WORD code);
    void HandleScroll(WPARAM wp);
    LRESULT HandleCtlColor(HDC dc);
    void HandleDrawItem(const DRAWITEMSTRUCT& item);
    HFONT EffectiveFont() const;
    plat::Color TextColour() const;

    // Bit buttons: the dialog manager moves the default look between buttons.
    bool DefaultLook() const { return defaultLook_; }
    static LRESULT CALLBACK ButtonSubclassProc(HWND, UINT, WPARAM, LPARAM);
    static LRESULT CALLBACK PanelProc(HWND, UINT, WPARAM, LPARAM);

    // plat::Control
    const std::string& Name() const override { return desc_.Name; }
    plat::WindowHandle Handle() const override { return reinterpret_cast<plat::WindowHandle>(hwnd_); }
    int Left() const override { return left_; }
    int Top() const override { return top_; }
    int Width() const override { return width_; }
    int Height() const override { return height_; }
    void SetLeft(int v) override;
    void SetTop(int v) override;
    void SetWidth(int v) override;
    void SetHeight(int v) override;
    bool Visible() const override { return visible_; }
    void SetVisible(bool v) override;
    std::string Caption() const override { return caption_; }
    void SetCaption(const std::string& text) override;
    plat::Color Colour() const override;
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

private:
    int Clamp(int v) const;
    void ApplyScrollInfo();
    void AutoSizeLabel();
    void SetCheckedState(bool on);

    Win32Form& form_;
    const plat::ControlDesc desc_;
    Win32Control* parent_ = nullptr;
    std::vector<Win32Control*> children_;
    HWND hwnd_ = nullptr;
    WNDPROC originalProc_ = nullptr;
    int left_, top_, width_, height_;
    bool visible_;
    std::string caption_;
    std::optional<plat::Color> colour_;
    bool checked_ = false;
    int min_, max_, position_;
    bool defaultLook_ = false;
    std::function<void(plat::ScrollCode, int&)> onScroll_;
    std::function<void()> onClick_;
};

// --- Timer ---------------------------------------------------------------------

class Win32Timer : public plat::Timer {
public:
    Win32Timer(Win32Platform& platform, int interval, bool enabled);
    ~Win32Timer() override;
    bool Enabled() const override { return enabled_; }
    void SetEnabled(bool on) override;
    int Interval() const override { return interval_; }
    void SetOnTimer(std::function<void()> h) override { onTimer_ = std::move(h); }
    void Fire();

private:
    Win32Platform& platform_;
    UINT_PTR id_;
    int interval_;
    bool enabled_ = false;
    std::function<void()> onTimer_;
};

// --- Media player (win32_media.cpp) ---------------------------------------------

class Win32MediaPlayer : public plat::MediaPlayer {
public:
    explicit Win32MediaPlayer(bool autoRewind) : autoRewind_(autoRewind) {}
    ~Win32MediaPlayer() override;

    void SetFileName(const std::string& path) override { fileName_ = path; }
    std::string FileName() const override { return fileName_; }
    void SetAutoSelect(bool on) override { autoSelect_ = on; }
    void SetWait(bool on) override { wait_ = on; }
    void SetDisplay(plat::Control* panel) override;
    void Open() override;
    void Close() override;
    void Play() override;
    void Stop() override;
    plat::MPModes Mode() override;
    void SetDisplayRect(const plat::Rect& r) override;
    std::optional<plat::Rect> DisplayRect() override;

    bool IsOpen() const { return device_ != 0; }

private:
    DWORD WaitFlag(bool byDefault);
    void AttachDisplay();
    [[noreturn]] void Raise(MCIERROR err) const;

    std::string fileName_;
    bool autoSelect_ = true;
    bool autoRewind_;
    std::optional<bool> wait_;  // for the next command only
    plat::Control* display_ = nullptr;
    MCIDEVICEID device_ = 0;
};

// --- Form -------------------------------------------------------------------------

class Win32Form : public plat::Form {
public:
    Win32Form(Win32Platform& platform, const plat::FormDesc& desc);
    ~Win32Form() override;
    Win32Form(const Win32Form&) = delete;
    Win32Form& operator=(const Win32Form&) = delete;

    // Creates the window and its controls, hidden.
    void CreateWindowAndControls();
    // Shows the window (saver: topmost over the whole screen, with the
    // keyboard focus; dialog: centred, focus on the first tab stop).
    void Show();
    bool Shown() const { return shown_; }
    HWND Hwnd() const { return hwnd_; }
    const plat::FormDesc& Desc() const { return desc_; }
    bool IsDialogLike() const { return desc_.Border == plat::BorderStyle::Single; }
    Win32Control* ControlFor(HWND child) const;
    HFONT FormFont() const { return FontFor(desc_.Font); }
    // Radio buttons with the same parent form one group.
    void RadioChecked(Win32Control& radio);
    // After the dialog manager has handled a key: an arrow that moved the
    // focus to a radio button chooses it, and off the push buttons the
    // default button shows as the default again.
    void AfterDialogKey(WPARAM key);
    // Arrow keys on a radio button move to the next choice of its group.
    bool MoveAmongRadios(WPARAM key);
    void FixDefaultButton();

    static LRESULT CALLBACK WndProc(HWND, UINT, WPARAM, LPARAM);

    // plat::Control
    const std::string& Name() const override { return desc_.Name; }
    plat::WindowHandle Handle() const override { return reinterpret_cast<plat::WindowHandle>(hwnd_); }
    int Left() const override;
    int Top() const override;
    int Width() const override;
    int Height() const override;
    void SetLeft(int v) override;
    void SetTop(int v) override;
    void SetWidth(int v) override;
    void SetHeight(int v) override;
    bool Visible() const override;
    void SetVisible(bool v) override;
    std::string Caption() const override { return caption_; }
    void SetCaption(const std::string& text) override;
    plat::Color Colour() const override { return colour_; }
    void SetColour(plat::Color c) override;

    // plat::Form
    plat::Control& Find(const std::string& name) override;
    plat::MediaPlayer& Player(const std::string& name) override;
    plat::Timer& TimerNamed(const std::string& name) override;
    void SetKeyPreview(bool on) override { keyPreview_ = on; }
    void Close() override;

private:
    LRESULT HandleMessage(UINT msg, WPARAM wp, LPARAM lp);
    void RegisterWindowClass();
    RECT WindowRect() const;
    void Move(int left, int top, int width, int height);
    void FocusFirstControl();

    Win32Platform& platform_;
    const plat::FormDesc desc_;
    HWND hwnd_ = nullptr;
    std::string caption_;
    plat::Color colour_;
    bool keyPreview_ = false;  // kept only: the saver filters input in its hook
    bool shown_ = false;
    bool closed_ = false;
    int defaultId_ = 0;
    HWND lastFocus_ = nullptr;
    HICON bigIcon_ = nullptr, smallIcon_ = nullptr;
    std::vector<std::unique_ptr<Win32Control>> controls_;  // in description order
    std::unordered_map<HWND, Win32Control*> byHwnd_;
    std::map<std::string, Win32Control*> byName_;
    std::map<std::string, std::unique_ptr<Win32MediaPlayer>> players_;
    std::map<std::string, std::unique_ptr<Win32Timer>> timers_;
};

// --- Platform ------------------------------------------------------------------------

class Win32Platform : public plat::Platform {
public:
    Win32Platform();
    ~Win32Platform() override;

    static Win32Platform* Instance() { return instance_; }

    // Internal services.
    HWND AppWindow();
    UINT_PTR AddTimer(Win32Timer* timer);
    void RemoveTimer(UINT_PTR id);
    void FormClosed(Win32Form& form);
    // The form that owns message boxes: the active one of ours, if visible.
    HWND BoxOwner() const;
    void ShowErrorBox(const char* text) noexcept;

    // --- plat::Platform ---
    std::vector<std::string> Arguments() override;
    std::string ExeName() override;
    void Initialize() override;
    plat::WindowHandle ApplicationHandle() override;
    plat::Form& CreateForm(const plat::FormDesc& desc,
                           const std::function<void(plat::Form&)>& onCreate) override;
    void SetShowMainForm(bool show) override { showMainForm_ = show; }
    void Run() override;
    void Terminate() override;
    void SetMessageHook(plat::MessageHook hook) override;
    void MessageDlg(const std::string& text, const std::string& caption,
                    plat::MsgDlgType type) override;
    int ScreenWidth() override;
    int ScreenHeight() override;

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

private:
    void ProcessMessage(MSG& msg);
    // Hands a message to the application's hook; true when it handled it.
    bool CallHook(MSG& msg);
    static LRESULT CALLBACK AppWndProc(HWND, UINT, WPARAM, LPARAM);
    static LRESULT CALLBACK MsgFilterProc(int code, WPARAM wp, LPARAM lp);

    static Win32Platform* instance_;
    HWND appWindow_ = nullptr;
    bool showMainForm_ = true;
    bool terminated_ = false;
    plat::MessageHook hook_;
    HHOOK filterHook_ = nullptr;
    // The message our own loop just handed to the hook: the dialog manager
    // passes it to the message filter again, and the hook sees it once.
    MSG lastHooked_{};
    bool haveLastHooked_ = false;
    std::vector<std::unique_ptr<Win32Form>> forms_;  // the first is the main form
    std::map<UINT_PTR, Win32Timer*> timers_;
    UINT_PTR nextTimerId_ = 1;
};

}  // namespace w32
