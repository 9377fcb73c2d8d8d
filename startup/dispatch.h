// Program start: chooses from the first argument whether this process runs
// the saver, shows the settings dialog, or changes the screensaver password.
#pragma once

#include <string>

#include "platform/platform.h"

namespace startup {

// What the first argument asks for.
enum class Command { None, RunSaver, Configure, ChangePassword };

// The first argument upper-cased (ASCII letters only) and matched: "/S" only
// whole, "/C" and "/A" also by their first two characters.
Command ParseSwitch(const std::string& firstArgument);

// The whole start-up; returns when the chosen path has ended.
void RunProgram(plat::Platform& platform);

// The password-change path: PwdChangePasswordA of the system's MPR.DLL.
void ChangePassword(plat::Platform& platform);

}  // namespace startup
