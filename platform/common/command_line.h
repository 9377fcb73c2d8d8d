// Splits a Windows command line into arguments the way the form framework's
// run-time library does: blanks and control characters separate arguments,
// and a stretch in double quotes belongs to one argument and loses its quotes.
#pragma once

#include <string>
#include <vector>

namespace plat {

// All arguments, the program name first.
std::vector<std::string> SplitCommandLine(const std::string& commandLine);

}  // namespace plat
