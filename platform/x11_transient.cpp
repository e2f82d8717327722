#include "platform/x11_transient.h"

#include <X11/Xatom.h>

#include <vector>

namespace {

// The 32-bit items of a property, which Xlib hands back as longs.
std::vector<unsigned long> longItems(Display* display, Window window, const char* name, Atom type)
{
    const Atom property = XInternAtom(display, name, True);
    if (property == None)
        return {};
    Atom actualType = None;
    int format = 0;
    unsigned long count = 0;
    unsigned long remaining = 0;
    unsigned char* data = nullptr;
    const int status = XGetWindowProperty(display, window, property, 0, 4096, False, type, &actualType, &format, &count,
                                          &remaining, &data);
    std::vector<unsigned long> items;
    if (status == Success && data && actualType == type && format == 32) {
        const auto* values = reinterpret_cast<const unsigned long*>(data);
        items.assign(values, values + count);
    }
    if (data)
        XFree(data);
    return items;
}

}  // namespace

// EWMH: _NET_CLIENT_LIST on the root window lists the managed windows,
// _NET_WM_PID on each names the process that made it.
bool makeTransientFor(Display* display, Window parent, pid_t pid)
{
    bool found = false;
    for (const unsigned long client : longItems(display, DefaultRootWindow(display), "_NET_CLIENT_LIST", XA_WINDOW)) {
        const std::vector<unsigned long> owner = longItems(display, client, "_NET_WM_PID", XA_CARDINAL);
        if (owner.size() == 1 && owner[0] == static_cast<unsigned long>(pid) && client != parent) {
            XSetTransientForHint(display, client, parent);
            found = true;
        }
    }
    if (found)
        XFlush(display);
    return found;
}

void setUtf8WindowName(Display* display, Window window, const std::string& name)
{
    const Atom utf8 = XInternAtom(display, "UTF8_STRING", False);
    const auto* bytes = reinterpret_cast<const unsigned char*>(name.data());
    for (const char* property : {"_NET_WM_NAME", "WM_NAME"})
        XChangeProperty(display, window, XInternAtom(display, property, False), utf8, 8, PropModeReplace, bytes,
                        static_cast<int>(name.size()));
    XFlush(display);
}
