// Paths of files in the system directory.
#pragma once

#include <string>

#include "platform/platform.h"

namespace plat {

// The system directory followed by `name`, with one "\" between them; the
// bare name when the directory cannot be had.
std::string SystemFilePath(Platform& platform, const std::string& name);

}  // namespace plat
