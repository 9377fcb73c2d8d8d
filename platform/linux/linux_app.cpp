// The application object over Qt: start-up and its display check, form
// creation, the event loop with its application-wide hook, message boxes.
#include <QApplication>
#include <QKeyEvent>
#include <QMessageBox>
#include <QMouseEvent>
#include <QScreen>

#include <cstdio>
#include <cstdlib>
#include <cstring>

#include <unistd.h>

#include "platform/linux/linux_platform.h"
#include "platform/linux/linux_x11.h"

namespace plat {

namespace {

bool UsesX11() {
    const char* qpa = std::getenv("QT_QPA_PLATFORM");
    return !qpa || !*qpa || std::strncmp(qpa, "xcb", 3) == 0;
}

}  // namespace

// Without a display Qt would abort; the saver says why and ends instead.
std::unique_ptr<Platform> CreatePlatform(int argc, char** argv) {
    void* display = nullptr;
    if (UsesX11()) {
        const char* name = std::getenv("DISPLAY");
        if (!name || !*name) {
            std::fprintf(stderr,
                         "vidsaver: no display: DISPLAY is not set. Start vidsaver from a "
                         "graphical session, or set DISPLAY to a running X server.\n");
            std::exit(2);
        }
        display = lnx::x11::OpenDisplay();
        if (!display) {
            std::fprintf(stderr, "vidsaver: cannot open the X display \"%s\".\n", name);
            std::exit(2);
        }
        // The window lookup and the window classes need X11, so Qt talks to
        // the same server through its X11 backend, even under Wayland.
        setenv("QT_QPA_PLATFORM", "xcb", 1);
    }
    return std::make_unique<lnx::LinuxPlatform>(argc, argv, display);
}

}  // namespace plat

namespace lnx {

LinuxPlatform* LinuxPlatform::instance_ = nullptr;

void ReportException(const char* text) noexcept {
    if (LinuxPlatform* p = LinuxPlatform::Instance()) p->ShowErrorBox(text);
}

LinuxPlatform::LinuxPlatform(int argc, char** argv, void* display)
    : qtArgc_(argc), display_(display) {
    instance_ = this;
    if (argc > 0 && argv[0]) exeName_ = argv[0];
    for (int i = 1; i < argc; ++i) args_.emplace_back(argv[i]);
    // Qt removes the options it knows from argv; the saver's switches are
    // taken before that.
    app_ = std::make_unique<QApplication>(qtArgc_, argv);
    QApplication::setApplicationName("vidsaver");
    QApplication::setQuitOnLastWindowClosed(false);
    QApplication::setWindowIcon(ProgramIcon());
    app_->installEventFilter(this);
}

LinuxPlatform::~LinuxPlatform() {
    if (app_) app_->removeEventFilter(this);
    hook_ = nullptr;
    while (!forms_.empty()) forms_.pop_back();
    app_.reset();
    lnx::x11::CloseDisplay(display_);
    instance_ = nullptr;
}

std::string LinuxPlatform::ExeName() {
    // The program's own file, whatever it was started as.
    char buffer[4096];
    const ssize_t n = ::readlink("/proc/self/exe", buffer, sizeof buffer - 1);
    if (n > 0) return std::string(buffer, static_cast<std::size_t>(n));
    return exeName_;
}

plat::Form& LinuxPlatform::CreateForm(const plat::FormDesc& desc,
                                      const std::function<void(plat::Form&)>& onCreate) {
    forms_.push_back(std::make_unique<QtForm>(*this, desc));
    QtForm& form = *forms_.back();
    form.Build();
    // As the framework does, an error in the creation handler is shown and
    // the form is made all the same.
    if (onCreate) Guarded([&] { onCreate(form); });
    if (desc.Visible && !terminated_) form.Show();
    return form;
}

void LinuxPlatform::Run() {
    if (terminated_) return;
    if (showMainForm_ && !forms_.empty() && !forms_.front()->Shown()) forms_.front()->Show();
    if (terminated_) return;
    QApplication::exec();
}

void LinuxPlatform::Terminate() {
    terminated_ = true;
    QApplication::exit(0);
}

void LinuxPlatform::FormClosed(QtForm& form) {
    if (!forms_.empty() && forms_.front().get() == &form) Terminate();
}

namespace {

std::uint32_t MessageFor(const QEvent& event) {
    switch (event.type()) {
        case QEvent::KeyPress: {
            const auto& key = static_cast<const QKeyEvent&>(event);
            return (key.modifiers() & Qt::AltModifier) ? plat::WM_SYSKEYDOWN : plat::WM_KEYDOWN;
        }
        case QEvent::KeyRelease: {
            const auto& key = static_cast<const QKeyEvent&>(event);
            return (key.modifiers() & Qt::AltModifier) ? plat::WM_SYSKEYUP : plat::WM_KEYUP;
        }
        case QEvent::MouseButtonPress:
        case QEvent::MouseButtonDblClick:
            switch (static_cast<const QMouseEvent&>(event).button()) {
                case Qt::LeftButton: return plat::WM_LBUTTONDOWN;
                case Qt::RightButton: return plat::WM_RBUTTONDOWN;
                case Qt::MiddleButton: return plat::WM_MBUTTONDOWN;
                default: return 0;
            }
        case QEvent::MouseButtonRelease:
            switch (static_cast<const QMouseEvent&>(event).button()) {
                case Qt::LeftButton: return plat::WM_LBUTTONUP;
                case Qt::RightButton: return plat::WM_RBUTTONUP;
                default: return 0;
            }
        case QEvent::MouseMove: return plat::WM_MOUSEMOVE;
        case QEvent::Wheel: return plat::WM_MOUSEWHEEL;
        default: return 0;
    }
}

}  // namespace

// Every input event of the application passes here first, those of modal
// message boxes included, as the messages of the Windows loop pass its hook.
bool LinuxPlatform::eventFilter(QObject* watched, QEvent* event) {
    if (!hook_ || !event->spontaneous() || !watched->isWidgetType()) return false;
    return CallHook(watched, event);
}

bool LinuxPlatform::CallHook(QObject* watched, QEvent* event) {
    const std::uint32_t id = MessageFor(*event);
    if (!id) return false;
    // Qt offers an event that a widget ignores to its parents as well; the
    // hook sees each one once.
    const auto& input = static_cast<const QInputEvent&>(*event);
    const std::uint64_t stamp = (static_cast<std::uint64_t>(input.timestamp()) << 16) ^ id;
    if (event == lastHooked_ && stamp == lastHookedStamp_) return false;
    lastHooked_ = event;
    lastHookedStamp_ = stamp;

    plat::Message msg;
    msg.Window = static_cast<plat::WindowHandle>(static_cast<QWidget*>(watched)->effectiveWinId());
    msg.Id = id;
    if (event->type() == QEvent::KeyPress || event->type() == QEvent::KeyRelease)
        msg.WParam = static_cast<const QKeyEvent&>(*event).nativeVirtualKey();
    // A copy: the hook may replace itself while it runs.
    plat::MessageHook hook = hook_;
    bool handled = false;
    Guarded([&] { hook(msg, handled); });
    return handled;
}

// --- Message boxes ---------------------------------------------------------------

QWidget* LinuxPlatform::BoxOwner() const {
    if (QWidget* active = QApplication::activeWindow()) return active;
    for (const auto& form : forms_)
        if (form->Window() && form->Window()->isVisible()) return form->Window();
    return nullptr;
}

namespace {

// A grabbing saver window would keep the keys from the box; it lets go while
// the box is open and grabs again after.
class GrabPause {
public:
    GrabPause() : keyboard_(QWidget::keyboardGrabber()), mouse_(QWidget::mouseGrabber()) {
        if (keyboard_) keyboard_->releaseKeyboard();
        if (mouse_) mouse_->releaseMouse();
    }
    ~GrabPause() {
        if (keyboard_ && keyboard_->isVisible()) keyboard_->grabKeyboard();
        if (mouse_ && mouse_->isVisible()) mouse_->grabMouse();
    }

private:
    QPointer<QWidget> keyboard_, mouse_;
};

void ShowBox(QWidget* owner, const std::string& text, const std::string& caption,
             QMessageBox::Icon icon) {
    GrabPause pause;
    QMessageBox box(icon, QString::fromLocal8Bit(caption.c_str()),
                    QString::fromLocal8Bit(text.c_str()), QMessageBox::Ok, owner);
    // Above a topmost saver, as the system's boxes are.
    if (owner && (owner->windowFlags() & Qt::WindowStaysOnTopHint))
        box.setWindowFlag(Qt::WindowStaysOnTopHint, true);
    box.exec();
}

}  // namespace

void LinuxPlatform::MessageDlg(const std::string& text, const std::string& caption,
                               plat::MsgDlgType type) {
    ShowBox(BoxOwner(), text, caption,
            type == plat::MsgDlgType::mtError ? QMessageBox::Critical : QMessageBox::Information);
}

void LinuxPlatform::ShowErrorBox(const char* text) noexcept {
    try {
        ShowBox(BoxOwner(), text, "Error", QMessageBox::Critical);
    } catch (...) {
        std::fprintf(stderr, "vidsaver: %s\n", text);
    }
}

int LinuxPlatform::ScreenWidth() {
    QScreen* screen = QGuiApplication::primaryScreen();
    return screen ? screen->geometry().width() : 0;
}

int LinuxPlatform::ScreenHeight() {
    QScreen* screen = QGuiApplication::primaryScreen();
    return screen ? screen->geometry().height() : 0;
}

}  // namespace lnx
