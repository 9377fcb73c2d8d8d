#include "platform/common/system_path.h"

namespace plat {

std::string SystemFilePath(Platform& platform, const std::string& name) {
    char buffer[260] = {};
    const std::uint32_t length = platform.GetSystemDirectoryA(buffer, sizeof buffer);
    // A length that does not fit the buffer means nothing was copied.
    std::string dir = (length > 0 && length < sizeof buffer) ? std::string(buffer, length) : "";
    if (!dir.empty() && dir.back() != '\\') dir += '\\';
    return dir + name;
}

}  // namespace plat
