// The few Xlib calls the native saver makes. Kept apart from the Qt code:
// Xlib's headers define macros (Bool, Status, None, ...) that Qt's clash with.
#include "platform/linux/linux_x11.h"

#include <X11/Xlib.h>
#include <X11/Xutil.h>

#include <cstring>
#include <string>

namespace lnx::x11 {

namespace {

int IgnoreXErrors(Display*, XErrorEvent*) { return 0; }

}  // namespace

// Xlib's own handler ends the process on any error. Windows come and go
// under us (another program's while we look at it; the picture's, which
// the player's library draws into, when the saver closes), and none of
// that is worth ending the saver for. The handler is the process's, so it
// also serves the player library's connection once that gives back the
// handler it borrowed.
void* OpenDisplay() {
    XSetErrorHandler(&IgnoreXErrors);
    return XOpenDisplay(nullptr);
}

void CloseDisplay(void* display) {
    if (display) XCloseDisplay(static_cast<Display*>(display));
}

namespace {

// The title in the old property or in the desktop's UTF-8 one.
bool TitleIs(Display* dpy, Window w, const char* caption) {
    char* name = nullptr;
    if (XFetchName(dpy, w, &name) && name) {
        const bool same = std::strcmp(name, caption) == 0;
        XFree(name);
        if (same) return true;
    }
    const Atom netName = XInternAtom(dpy, "_NET_WM_NAME", False);
    Atom type = 0;
    int format = 0;
    unsigned long count = 0, after = 0;
    unsigned char* data = nullptr;
    bool same = false;
    if (XGetWindowProperty(dpy, w, netName, 0, 1024, False, AnyPropertyType, &type, &format,
                           &count, &after, &data) == Success && data) {
        same = format == 8 && std::string(reinterpret_cast<char*>(data), count) == caption;
    }
    if (data) XFree(data);
    return same;
}

bool WindowMatches(Display* dpy, Window w, const char* className, const char* caption) {
    if (className) {
        XClassHint hint{};
        if (!XGetClassHint(dpy, w, &hint)) return false;
        const bool same = hint.res_class && std::strcmp(hint.res_class, className) == 0;
        if (hint.res_name) XFree(hint.res_name);
        if (hint.res_class) XFree(hint.res_class);
        if (!same) return false;
    }
    return !caption || TitleIs(dpy, w, caption);
}

// Top-level windows are the root's children; under a window manager they
// sit one level down, inside its frames.
Window FindTopLevel(Display* dpy, Window parent, const char* className, const char* caption,
                    int depth) {
    Window root = 0, up = 0;
    Window* children = nullptr;
    unsigned int count = 0;
    if (!XQueryTree(dpy, parent, &root, &up, &children, &count)) return 0;
    Window found = 0;
    for (unsigned int i = 0; i < count && !found; ++i)
        if (WindowMatches(dpy, children[i], className, caption)) found = children[i];
    for (unsigned int i = 0; i < count && !found && depth > 0; ++i)
        found = FindTopLevel(dpy, children[i], className, caption, depth - 1);
    if (children) XFree(children);
    return found;
}

}  // namespace

std::uintptr_t FindTopLevelWindow(void* display, const char* className, const char* caption) {
    auto* dpy = static_cast<Display*>(display);
    if (!dpy) return 0;
    const Window found = FindTopLevel(dpy, DefaultRootWindow(dpy), className, caption, 1);
    XSync(dpy, False);
    return static_cast<std::uintptr_t>(found);
}

void SetWindowClass(void* display, std::uintptr_t window, const std::string& name,
                    const std::string& className) {
    auto* dpy = static_cast<Display*>(display);
    if (!dpy || !window) return;
    std::string n = name, c = className;
    XClassHint hint{};
    hint.res_name = n.data();
    hint.res_class = c.data();
    XSetClassHint(dpy, static_cast<Window>(window), &hint);
    XFlush(dpy);
}

}  // namespace lnx::x11
