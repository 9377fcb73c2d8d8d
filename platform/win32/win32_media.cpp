// The media player over the system's media control interface (MCI).
#include "platform/win32/win32_platform.h"

#include <digitalv.h>

namespace w32 {

namespace {

std::string ErrorText(MCIERROR err) {
    char text[256] = {};
    if (!::mciGetErrorStringA(err, text, sizeof(text)) || !text[0])
        return "MCI error " + std::to_string(err);
    return text;
}

MCIERROR Send(MCIDEVICEID device, UINT command, DWORD flags, void* params) {
    return ::mciSendCommandA(device, command, flags, reinterpret_cast<DWORD_PTR>(params));
}

}  // namespace

Win32MediaPlayer::~Win32MediaPlayer() { Close(); }

DWORD Win32MediaPlayer::WaitFlag(bool byDefault) {
    const bool wait = wait_.value_or(byDefault);
    wait_.reset();
    return wait ? MCI_WAIT : 0;
}

void Win32MediaPlayer::Raise(MCIERROR err) const { throw plat::EMCIDeviceError(ErrorText(err)); }

void Win32MediaPlayer::SetDisplay(plat::Control* panel) {
    display_ = panel;
    if (IsOpen()) AttachDisplay();
}

void Win32MediaPlayer::AttachDisplay() {
    if (!display_ || !display_->Handle()) return;
    MCI_DGV_WINDOW_PARMSA window{};
    window.hWnd = reinterpret_cast<HWND>(display_->Handle());
    // Devices without a picture refuse this; they simply show nothing.
    Send(device_, MCI_WINDOW, MCI_DGV_WINDOW_HWND | MCI_WAIT, &window);
}

void Win32MediaPlayer::Open() {
    Close();
    MCI_OPEN_PARMSA open{};
    // No device type: the system picks the device from the file.
    DWORD flags = WaitFlag(true);
    if (!fileName_.empty()) {
        open.lpstrElementName = fileName_.c_str();
        flags |= MCI_OPEN_ELEMENT;
    }
    const MCIERROR err = Send(0, MCI_OPEN, flags, &open);
    if (err) {
        // The last picture of the closed file would stay on the panel until
        // something repainted it: clear it now, a failed file shows nothing.
        if (display_ && display_->Handle())
            ::InvalidateRect(reinterpret_cast<HWND>(display_->Handle()), nullptr, TRUE);
        Raise(err);
    }
    device_ = open.wDeviceID;
    AttachDisplay();
}

void Win32MediaPlayer::Close() {
    if (!IsOpen()) return;
    MCI_GENERIC_PARMS close{};
    Send(device_, MCI_CLOSE, WaitFlag(true), &close);
    device_ = 0;
}

void Win32MediaPlayer::Play() {
    if (!IsOpen()) return;
    MCI_PLAY_PARMS play{};
    DWORD flags = 0;
    if (autoRewind_) {
        // At the end the position stands on the last frame (length - 1) for
        // some drivers and on the length for others.
        MCI_STATUS_PARMS position{}, length{};
        position.dwItem = MCI_STATUS_POSITION;
        length.dwItem = MCI_STATUS_LENGTH;
        if (!Send(device_, MCI_STATUS, MCI_STATUS_ITEM | MCI_WAIT, &position) &&
            !Send(device_, MCI_STATUS, MCI_STATUS_ITEM | MCI_WAIT, &length) &&
            length.dwReturn > 0 && position.dwReturn + 1 >= length.dwReturn) {
            play.dwFrom = 0;
            flags |= MCI_FROM;
        }
    }
    flags |= WaitFlag(false);
    // A device that does not start stays stopped; the caller asks the mode.
    Send(device_, MCI_PLAY, flags, &play);
}

void Win32MediaPlayer::Stop() {
    if (!IsOpen()) Raise(MCIERR_INVALID_DEVICE_ID);
    MCI_GENERIC_PARMS stop{};
    const MCIERROR err = Send(device_, MCI_STOP, WaitFlag(true), &stop);
    // Wine's video driver stops, then reports the failed reset of a sound
    // output that a silent file never opened: a stopped device is a success.
    if (err && Mode() != plat::MPModes::mpStopped) Raise(err);
}

plat::MPModes Win32MediaPlayer::Mode() {
    // A closed player is stopped, never playing.
    if (!IsOpen()) return plat::MPModes::mpStopped;
    MCI_STATUS_PARMS status{};
    status.dwItem = MCI_STATUS_MODE;
    if (Send(device_, MCI_STATUS, MCI_STATUS_ITEM | MCI_WAIT, &status))
        return plat::MPModes::mpNotReady;
    switch (status.dwReturn) {
        case MCI_MODE_STOP: return plat::MPModes::mpStopped;
        case MCI_MODE_PLAY: return plat::MPModes::mpPlaying;
        case MCI_MODE_RECORD: return plat::MPModes::mpRecording;
        case MCI_MODE_SEEK: return plat::MPModes::mpSeeking;
        case MCI_MODE_PAUSE: return plat::MPModes::mpPaused;
        case MCI_MODE_OPEN: return plat::MPModes::mpOpen;
        default: return plat::MPModes::mpNotReady;
    }
}

// MCI rectangles hold left, top, width and height. Ours always start at the
// origin, so width and height are the right and bottom edges.
void Win32MediaPlayer::SetDisplayRect(const plat::Rect& r) {
    if (!IsOpen()) return;
    MCI_DGV_PUT_PARMS put{};
    if (r.Right == 0 && r.Bottom == 0) {
        // The picture's own size.
        MCI_DGV_RECT_PARMS source{};
        if (Send(device_, MCI_WHERE, MCI_DGV_WHERE_SOURCE | MCI_WAIT, &source)) return;
        put.rc = RECT{r.Left, r.Top, source.rc.right, source.rc.bottom};
    } else {
        put.rc = RECT{r.Left, r.Top, r.Right - r.Left, r.Bottom - r.Top};
    }
    Send(device_, MCI_PUT, MCI_DGV_PUT_DESTINATION | MCI_DGV_RECT | MCI_WAIT, &put);
}

std::optional<plat::Rect> Win32MediaPlayer::DisplayRect() {
    if (!IsOpen()) return std::nullopt;
    MCI_DGV_RECT_PARMS where{};
    if (Send(device_, MCI_WHERE, MCI_DGV_WHERE_DESTINATION | MCI_WAIT, &where)) return std::nullopt;
    return plat::Rect{where.rc.left, where.rc.top, where.rc.left + where.rc.right,
                      where.rc.top + where.rc.bottom};
}

}  // namespace w32
