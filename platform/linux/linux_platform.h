// The native Linux implementation of plat::Platform: Qt 6 Widgets for the
// forms and message boxes, libmpv for the media players, Xlib for looking up
// other programs' windows, POSIX for files. Nothing outside platform/linux
// includes it.
#pragma once

#include "platform/platform.h"

#include <QColor>
#include <QFont>
#include <QIcon>
#include <QObject>
#include <QPointer>
#include <QWidget>

#include <map>
#include <memory>
#include <string>
#include <vector>

class QApplication;
class QTimer;
class QScrollBar;
struct mpv_handle;

namespace lnx {

class LinuxPlatform;
class QtForm;

// --- Errors --------------------------------------------------------------------

// Shows an error that escaped a handler, as the framework does: a modal
// error box with the exception's text. Never throws.
void ReportException(const char* text) noexcept;

// Runs `f`, turning any exception into an error box: no C++ exception may
// unwind through Qt's event dispatch.
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

// --- Colours, fonts, pictures (linux_paint.cpp) -------------------------------

QColor ToQColor(plat::Color c);
QFont ToQFont(const plat::FontDesc& font);
// The named button picture ("ok", "web"), or a null icon.
QIcon GlyphIcon(const std::string& name, bool okKind);
QIcon ProgramIcon();

// --- Controls (linux_forms.cpp) ------------------------------------------------

class QtControl : public virtual plat::Control {
public:
    QtControl(QtForm& form, const plat::ControlDesc& desc);
    ~QtControl() override;
    QtControl(const QtControl&) = delete;
    QtControl& operator=(const QtControl&) = delete;

    // Makes the widget inside `parent` (the form's or a container's widget).
    void CreateWidget(QWidget* parent);
    QWidget* Widget() const { return widget_; }
    const plat::ControlDesc& Desc() const { return desc_; }
    plat::ControlKind Kind() const { return desc_.Kind; }
    QtControl* ParentControl() const { return parent_; }
    void SetParentControl(QtControl* p) { parent_ = p; }

    const std::string& Name() const override { return desc_.Name; }
    plat::WindowHandle Handle() const override;
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
    void SetOnScroll(std::function<void(plat::ScrollCode, int&)> handler) override {
        onScroll_ = std::move(handler);
    }
    void SetOnClick(std::function<void()> handler) override { onClick_ = std::move(handler); }

    // Called by the widgets.
    void Clicked();
    void Scrolled(plat::ScrollCode code, int proposed);
    // Shows the control's form now, and waits until it is on screen.
    void ShowForm();
    // Arrow keys inside a group of choices: the next or previous one.
    bool MoveAmongRadios(int step);
    void ApplyColours();

private:
    void Place();
    void UpdateRadioFocus();
    void AutoSizeLabel();
    int Clamp(int v) const;

    QtForm& form_;
    plat::ControlDesc desc_;
    QtControl* parent_ = nullptr;
    QPointer<QWidget> widget_;
    int left_, top_, width_, height_;
    bool visible_;
    std::string caption_;
    std::optional<plat::Color> colour_;
    bool checked_ = false;
    int min_, max_, position_;
    std::function<void(plat::ScrollCode, int&)> onScroll_;
    std::function<void()> onClick_;
};

// --- Timers --------------------------------------------------------------------

class QtTimer : public plat::Timer {
public:
    explicit QtTimer(const plat::ControlDesc& desc);
    ~QtTimer() override;
    bool Enabled() const override { return enabled_; }
    void SetEnabled(bool on) override;
    int Interval() const override { return interval_; }
    void SetOnTimer(std::function<void()> handler) override { onTimer_ = std::move(handler); }

private:
    std::unique_ptr<QTimer> timer_;
    bool enabled_;
    int interval_;
    std::function<void()> onTimer_;
};

// --- Media players (linux_media.cpp) --------------------------------------------

class MpvPlayer : public plat::MediaPlayer {
public:
    explicit MpvPlayer(const plat::ControlDesc& desc);
    ~MpvPlayer() override;
    MpvPlayer(const MpvPlayer&) = delete;
    MpvPlayer& operator=(const MpvPlayer&) = delete;

    void SetFileName(const std::string& path) override { fileName_ = path; }
    std::string FileName() const override { return fileName_; }
    void SetAutoSelect(bool) override {}
    void SetWait(bool) override {}
    void SetDisplay(plat::Control* panel) override;
    void Open() override;
    void Close() override;
    void Play() override;
    void Stop() override;
    plat::MPModes Mode() override;
    void SetDisplayRect(const plat::Rect& r) override;
    std::optional<plat::Rect> DisplayRect() override;

private:
    bool EnsureCore();
    void Release();
    void DrainEvents();
    bool HasPicture();

    std::string fileName_;
    bool autoRewind_;
    QtControl* display_ = nullptr;
    // The picture's own window inside the display panel: mpv draws into it,
    // and it is moved and sized as the display rectangle.
    QPointer<QWidget> video_;
    mpv_handle* mpv_ = nullptr;
    bool open_ = false;
    bool ended_ = false;  // the file played to its end
    std::unique_ptr<QTimer> release_;  // lets a closed file go, see Close
};

// --- Forms -----------------------------------------------------------------------

class QtForm : public plat::Form {
public:
    QtForm(LinuxPlatform& platform, const plat::FormDesc& desc);
    ~QtForm() override;

    void Build();
    void Show();
    bool Shown() const { return shown_; }
    const plat::FormDesc& FormDescription() const { return fdesc_; }
    QWidget* Window() const { return window_; }
    LinuxPlatform& Platform() { return platform_; }
    bool KeyPreview() const { return keyPreview_; }

    // Control, for the form itself.
    const std::string& Name() const override { return fdesc_.Name; }
    plat::WindowHandle Handle() const override;
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
    std::string Caption() const override;
    void SetCaption(const std::string& text) override;
    plat::Color Colour() const override { return colour_; }
    void SetColour(plat::Color c) override;

    plat::Control& Find(const std::string& name) override;
    plat::MediaPlayer& Player(const std::string& name) override;
    plat::Timer& TimerNamed(const std::string& name) override;
    void SetKeyPreview(bool on) override { keyPreview_ = on; }
    void Close() override;

    // Called by the window.
    void Closed();
    void RadioChecked(QtControl& radio);
    // Enter presses the focused push button, else the default one.
    bool PressDefault();
    const std::vector<std::unique_ptr<QtControl>>& Controls() const { return controls_; }

private:
    void SetClassHint();

    LinuxPlatform& platform_;
    plat::FormDesc fdesc_;
    QPointer<QWidget> window_;
    plat::Color colour_;
    bool keyPreview_ = false;
    bool shown_ = false;
    bool closed_ = false;
    std::vector<std::unique_ptr<QtControl>> controls_;
    std::map<std::string, std::unique_ptr<MpvPlayer>> players_;
    std::map<std::string, std::unique_ptr<QtTimer>> timers_;
};

// --- The platform -------------------------------------------------------------------

class LinuxPlatform : public plat::Platform, public QObject {
public:
    LinuxPlatform(int argc, char** argv, void* display);
    ~LinuxPlatform() override;
    static LinuxPlatform* Instance() { return instance_; }

    std::vector<std::string> Arguments() override { return args_; }
    std::string ExeName() override;
    void Initialize() override {}
    plat::WindowHandle ApplicationHandle() override { return 0; }
    plat::Form& CreateForm(const plat::FormDesc& desc,
                           const std::function<void(plat::Form&)>& onCreate) override;
    void SetShowMainForm(bool show) override { showMainForm_ = show; }
    void Run() override;
    void Terminate() override;
    void SetMessageHook(plat::MessageHook hook) override { hook_ = std::move(hook); }
    void MessageDlg(const std::string& text, const std::string& caption,
                    plat::MsgDlgType type) override;
    int ScreenWidth() override;
    int ScreenHeight() override;
    char PathDelimiter() const override { return '/'; }

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

    // For the forms.
    void FormClosed(QtForm& form);
    void* XDisplay() const { return display_; }
    void ShowErrorBox(const char* text) noexcept;
    QWidget* BoxOwner() const;
    bool Terminated() const { return terminated_; }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    bool CallHook(QObject* watched, QEvent* event);

    static LinuxPlatform* instance_;
    int qtArgc_;  // QApplication keeps a reference to it for its whole life
    std::unique_ptr<QApplication> app_;
    void* display_ = nullptr;  // Xlib Display*, or null without X11
    std::vector<std::string> args_;
    std::string exeName_;
    std::vector<std::unique_ptr<QtForm>> forms_;
    plat::MessageHook hook_;
    bool showMainForm_ = true;
    bool terminated_ = false;
    int cursorCount_ = 0;
    const QEvent* lastHooked_ = nullptr;  // an event passes the hook once
    std::uint64_t lastHookedStamp_ = 0;
};

}  // namespace lnx
