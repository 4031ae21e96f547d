#pragma once
// What kvctl --version and the foot of kvctl --help tell.

#include <string>

namespace kv {

// The version, the build, and where settings and logs are read and written.
std::string CtlVersionText();
// The exit statuses.
std::string CtlHelpFooter();

}  // namespace kv
