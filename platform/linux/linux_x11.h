// Xlib behind plain types, for the files that include Qt.
#pragma once

#include <cstdint>
#include <string>

namespace lnx::x11 {

// A connection of our own to the X server named by DISPLAY, or null.
void* OpenDisplay();
void CloseDisplay(void* display);
// A top-level window with that class (WM_CLASS) and title; 0 for none.
// A null class or title matches any.
std::uintptr_t FindTopLevelWindow(void* display, const char* className, const char* caption);
// Names the window's class, as other programs look it up.
void SetWindowClass(void* display, std::uintptr_t window, const std::string& name,
                    const std::string& className);

}  // namespace lnx::x11
