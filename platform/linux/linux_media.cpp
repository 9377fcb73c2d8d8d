// The media player over libmpv. One mpv core per player, made at its first
// Open and kept until the player goes, so that changing videos does not set
// up the video output each time. The picture goes into a window of its own
// inside the display panel, moved and sized as the display rectangle.
#include <fcntl.h>
#include <mpv/client.h>
#include <unistd.h>

#include <QPalette>
#include <QTimer>
#include <QWidget>

#include <chrono>
#include <cstdlib>

#include "platform/linux/linux_platform.h"

namespace lnx {

namespace {

constexpr auto kLoadTimeout = std::chrono::seconds(20);

void Raise(const std::string& text) { throw plat::EMCIDeviceError(text); }

bool Flag(mpv_handle* mpv, const char* name) {
    int value = 0;
    return mpv_get_property(mpv, name, MPV_FORMAT_FLAG, &value) >= 0 && value != 0;
}

std::int64_t Integer(mpv_handle* mpv, const char* name) {
    std::int64_t value = 0;
    return mpv_get_property(mpv, name, MPV_FORMAT_INT64, &value) >= 0 ? value : 0;
}

// While it probes the video outputs, mpv may close file descriptor 0 (its
// console switcher does when there is no console). Whatever opened next
// would get that number and could be closed under its owner by a later
// probe; a harmless /dev/null holds the place instead.
void KeepStandardInputOpen() {
    if (::fcntl(0, F_GETFD) != -1) return;
    const int fd = ::open("/dev/null", O_RDONLY | O_CLOEXEC);
    if (fd > 0) ::close(fd);  // 0 was taken after all
}

}  // namespace

MpvPlayer::MpvPlayer(const plat::ControlDesc& desc) : autoRewind_(desc.AutoRewind) {}

MpvPlayer::~MpvPlayer() {
    release_.reset();
    if (mpv_) mpv_terminate_destroy(mpv_);
    mpv_ = nullptr;
    if (video_) delete video_.data();
}

void MpvPlayer::SetDisplay(plat::Control* panel) {
    // The core draws into a window made for one panel; a later change of
    // panel takes effect with a new core.
    if (mpv_ && !open_) {
        mpv_terminate_destroy(mpv_);
        mpv_ = nullptr;
    }
    display_ = dynamic_cast<QtControl*>(panel);
}

bool MpvPlayer::EnsureCore() {
    if (mpv_) return true;
    mpv_handle* mpv = mpv_create();
    if (!mpv) return false;
    auto set = [mpv](const char* name, const char* value) { mpv_set_option_string(mpv, name, value); };
    // The saver's own input handling sees every key and click: mpv takes
    // none, runs no scripts or configuration of its own and draws nothing
    // over the picture.
    set("config", "no");
    set("load-scripts", "no");
    set("ytdl", "no");
    set("osc", "no");
    set("osd-level", "0");
    set("input-default-bindings", "no");
    set("input-vo-keyboard", "no");
    set("input-cursor", "no");
    set("cursor-autohide", "always");
    set("stop-screensaver", "no");
    set("terminal", "no");
    set("idle", "yes");
    // At the end the file stays loaded on its last frame, so the mode reads
    // stopped and Play can rewind it.
    set("keep-open", "yes");
    set("pause", "yes");
    set("audio-client-name", "vidsaver");
    // For finding out why a video does not show: mpv's own log.
    if (const char* log = std::getenv("VIDSAVER_MPV_LOG"); log && *log) set("log-file", log);
    QWidget* panel = display_ ? display_->Widget() : nullptr;
    if (panel) {
        if (!video_) {
            // The panel gets a window of its own, so that the picture's
            // window moves with it and is cut off at its edges.
            panel->setAttribute(Qt::WA_NativeWindow);
            video_ = new QWidget(panel);
            video_->setAttribute(Qt::WA_NativeWindow);
            video_->setAttribute(Qt::WA_TransparentForMouseEvents);
            video_->setFocusPolicy(Qt::NoFocus);
            QPalette black = video_->palette();
            black.setColor(QPalette::Window, Qt::black);
            video_->setPalette(black);
            video_->setAutoFillBackground(true);
            video_->setGeometry(0, 0, std::max(1, panel->width()), std::max(1, panel->height()));
            // Shown once and for good, before mpv makes its window inside:
            // mpv takes a later MapNotify of this window for its own and
            // would never show the picture. Without a file mpv's window is
            // gone and this one shows black.
            video_->show();
        }
        // mpv must find the window's parents on screen when it makes its
        // own window inside: on a window mapped later it may never draw.
        display_->ShowForm();
        KeepStandardInputOpen();
        set("wid", std::to_string(static_cast<std::int64_t>(video_->winId())).c_str());
        // Stretched to the rectangle, as the system's player does. The list
        // of outputs is explicit: without a GPU mpv would otherwise fall back
        // to an output that ignores the window it is given.
        set("keepaspect", "no");
        set("hwdec", "auto-safe");
        set("vo", "gpu,x11");
        set("force-window", "no");
    } else {
        set("vid", "no");
        set("vo", "null");
    }
    const int initialized = mpv_initialize(mpv);
    KeepStandardInputOpen();
    if (initialized < 0) {
        mpv_terminate_destroy(mpv);
        return false;
    }
    mpv_ = mpv;
    return true;
}

void MpvPlayer::DrainEvents() {
    if (!mpv_) return;
    while (true) {
        mpv_event* event = mpv_wait_event(mpv_, 0);
        if (event->event_id == MPV_EVENT_NONE) return;
        if (event->event_id == MPV_EVENT_END_FILE && open_) {
            const auto* end = static_cast<const mpv_event_end_file*>(event->data);
            // A file that breaks off while playing has ended too.
            if (end && end->reason == MPV_END_FILE_REASON_ERROR) ended_ = true;
        }
    }
}

void MpvPlayer::Open() {
    Close();
    if (release_) release_->stop();
    if (fileName_.empty()) Raise("No file name was given to open.");
    if (!EnsureCore()) Raise("The media player could not be started.");
    DrainEvents();
    const char* load[] = {"loadfile", fileName_.c_str(), "replace", nullptr};
    if (mpv_command(mpv_, load) < 0) Raise("Cannot open " + fileName_ + ".");

    // Wait for the file to load, as the system's player does; what comes
    // before its start belongs to the file before.
    const auto deadline = std::chrono::steady_clock::now() + kLoadTimeout;
    bool started = false;
    while (true) {
        const auto left = deadline - std::chrono::steady_clock::now();
        if (left <= std::chrono::steady_clock::duration::zero()) break;
        mpv_event* event =
            mpv_wait_event(mpv_, std::chrono::duration<double>(left).count());
        if (event->event_id == MPV_EVENT_START_FILE) started = true;
        if (!started) continue;
        if (event->event_id == MPV_EVENT_FILE_LOADED) {
            open_ = true;
            ended_ = false;
            if (HasPicture()) SetDisplayRect({0, 0, 0, 0});
            return;
        }
        if (event->event_id == MPV_EVENT_END_FILE) {
            const auto* end = static_cast<const mpv_event_end_file*>(event->data);
            const char* stop[] = {"stop", nullptr};
            mpv_command(mpv_, stop);
            if (end && end->reason == MPV_END_FILE_REASON_ERROR)
                Raise("Cannot play " + fileName_ + ": " + mpv_error_string(end->error) + ".");
            // A playlist or a folder would pull in other files: not a video.
            Raise("Cannot play " + fileName_ + ": not a media file.");
        }
    }
    const char* stop[] = {"stop", nullptr};
    mpv_command(mpv_, stop);
    Raise("Cannot play " + fileName_ + ": it did not load in time.");
}

// The saver closes one video and opens the next in the same breath. The
// file is let go only once control is back in the event loop, so a next Open
// can replace it in place: the video output stays up and the last picture
// stands until the next one, with no blank in between.
void MpvPlayer::Close() {
    if (!open_) return;
    open_ = false;
    ended_ = false;
    mpv_set_property_string(mpv_, "pause", "yes");
    if (!release_) {
        release_ = std::make_unique<QTimer>();
        release_->setSingleShot(true);
        QObject::connect(release_.get(), &QTimer::timeout, [this] { Release(); });
    }
    release_->start(0);
}

void MpvPlayer::Release() {
    if (open_ || !mpv_) return;
    const char* stop[] = {"stop", nullptr};
    mpv_command(mpv_, stop);
}

void MpvPlayer::Play() {
    if (!open_) return;
    DrainEvents();
    if (autoRewind_ && Flag(mpv_, "eof-reached")) {
        const char* seek[] = {"seek", "0", "absolute+exact", nullptr};
        mpv_command(mpv_, seek);
    }
    ended_ = false;
    mpv_set_property_string(mpv_, "pause", "no");
}

void MpvPlayer::Stop() {
    if (!open_) Raise("The device is not open.");
    mpv_set_property_string(mpv_, "pause", "yes");
}

plat::MPModes MpvPlayer::Mode() {
    // A closed player is stopped, never playing.
    if (!open_) return plat::MPModes::mpStopped;
    DrainEvents();
    if (ended_ || Flag(mpv_, "idle-active") || Flag(mpv_, "eof-reached"))
        return plat::MPModes::mpStopped;
    return Flag(mpv_, "pause") ? plat::MPModes::mpStopped : plat::MPModes::mpPlaying;
}

bool MpvPlayer::HasPicture() {
    if (!mpv_ || !video_) return false;
    char* vid = mpv_get_property_string(mpv_, "vid");
    const bool has = vid && std::string(vid) != "no";
    if (vid) mpv_free(vid);
    return has;
}

void MpvPlayer::SetDisplayRect(const plat::Rect& r) {
    if (!open_ || !HasPicture()) return;
    if (r.Right == 0 && r.Bottom == 0) {
        // The picture's own size.
        video_->setGeometry(r.Left, r.Top, static_cast<int>(Integer(mpv_, "width")),
                            static_cast<int>(Integer(mpv_, "height")));
    } else {
        video_->setGeometry(r.Left, r.Top, std::max(0, r.Right - r.Left),
                            std::max(0, r.Bottom - r.Top));
    }
}

std::optional<plat::Rect> MpvPlayer::DisplayRect() {
    if (!open_ || !HasPicture()) return std::nullopt;
    const QRect g = video_->geometry();
    return plat::Rect{g.x(), g.y(), g.x() + g.width(), g.y() + g.height()};
}

}  // namespace lnx
