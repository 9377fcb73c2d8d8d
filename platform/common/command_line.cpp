#include "platform/common/command_line.h"

namespace plat {

namespace {
bool IsSeparator(char c) { return static_cast<unsigned char>(c) <= ' '; }
}  // namespace

std::vector<std::string> SplitCommandLine(const std::string& commandLine) {
    std::vector<std::string> args;
    std::size_t i = 0;
    const std::size_t n = commandLine.size();
    while (true) {
        while (i < n && IsSeparator(commandLine[i])) ++i;
        if (i >= n) break;
        std::string arg;
        bool quoted = false;
        while (i < n && (quoted || !IsSeparator(commandLine[i]))) {
            if (commandLine[i] == '"')
                quoted = !quoted;
            else
                arg += commandLine[i];
            ++i;
        }
        args.push_back(std::move(arg));
    }
    return args;
}

}  // namespace plat
