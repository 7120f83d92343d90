#pragma once
// Asking the window manager to show the desktop, which minimises every window. The
// request is the one piece of launching that tests replace: a headless test has no
// window manager to ask, and a real one would hide the developer's windows.

#include <memory>

namespace platform {

class ShowDesktop {
public:
    virtual ~ShowDesktop() = default;

    // True when the window manager took the request.
    virtual bool request() = 0;
};

// The request in use: the real one unless a test installed another.
ShowDesktop& showDesktop();

// Installs `replacement` (tests); an empty pointer restores the real request.
void setShowDesktop(std::unique_ptr<ShowDesktop> replacement);

// The real request: sets the EWMH showing-desktop state through `wmctrl` when it is
// installed; false where that cannot be done.
std::unique_ptr<ShowDesktop> makeWindowManagerShowDesktop();

} // namespace platform
