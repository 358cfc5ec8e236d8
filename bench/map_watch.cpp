// Waits on the X display for the first top-level window of a client to be mapped and prints
// the monotonic clock at that moment, so start-up can be timed from outside the program.
//
//   tamsor_map_watch TITLE_PART   prints "ready", then "mapped <seconds> <window title>"
#include <X11/Xatom.h>
#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <time.h>

#include <cstdio>
#include <cstring>
#include <string>

namespace {

double monotonic_seconds() {
    timespec now{};
    clock_gettime(CLOCK_MONOTONIC, &now);
    return static_cast<double>(now.tv_sec) + static_cast<double>(now.tv_nsec) * 1e-9;
}

std::string window_title(Display* display, Window window) {
    XTextProperty property{};
    if (XGetTextProperty(display, window, &property, XInternAtom(display, "_NET_WM_NAME", False)) ==
            0 &&
        XGetWMName(display, window, &property) == 0) {
        return "";
    }
    std::string title(reinterpret_cast<const char*>(property.value), property.nitems);
    XFree(property.value);
    return title;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: tamsor_map_watch TITLE_PART\n");
        return 2;
    }
    Display* display = XOpenDisplay(nullptr);
    if (display == nullptr) {
        std::fprintf(stderr, "tamsor_map_watch: no display\n");
        return 1;
    }
    XSelectInput(display, DefaultRootWindow(display), SubstructureNotifyMask);
    XSync(display, False);
    std::printf("ready\n");
    std::fflush(stdout);
    for (;;) {
        XEvent event;
        XNextEvent(display, &event);
        if (event.type != MapNotify) {
            continue;
        }
        const double mapped = monotonic_seconds();
        const std::string title = window_title(display, event.xmap.window);
        if (title.find(argv[1]) != std::string::npos) {
            std::printf("mapped %.6f %s\n", mapped, title.c_str());
            std::fflush(stdout);
            XCloseDisplay(display);
            return 0;
        }
    }
}
