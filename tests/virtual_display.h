#pragma once

#include <string>
#include <vector>
#include <sys/types.h>

// An Xvfb of the test's own, on whatever display number is free.
struct VirtualDisplay {
    pid_t pid = -1;
    std::string name;   // such as ":7"; empty when the server did not start
};

// Starts Xvfb with a 24-bit screen and the extra arguments (such as
// "-extension", "GLX"); returns once the server accepts connections.
VirtualDisplay startVirtualDisplay(const std::vector<std::string>& extraArguments);

// Ends the server and waits for it; its display name then names no server.
void stopVirtualDisplay(VirtualDisplay& display);
