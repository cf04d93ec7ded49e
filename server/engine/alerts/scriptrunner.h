#pragma once

#include <chrono>
#include <string>
#include <vector>

// Runs an alert script from the configured folder: no shell, arguments as
// separate argv entries, killed when it runs past the time limit.
namespace scriptrunner {

// A name the folder may hold: not empty, no "/", "\\" or "..", not starting with "-".
bool isSafeName(const std::string &name);

// False with the reason when the name is unsafe, the script missing or not
// executable, it failed to start, ran too long, or ended with a non-zero status.
bool run(const std::string &folder, const std::string &name, const std::vector<std::string> &arguments,
         std::chrono::milliseconds limit, std::string &reason);

} // namespace scriptrunner
