#pragma once

#include <X11/Xlib.h>
#include <sys/types.h>

#include <string>

// Makes every window that process pid shows on the desktop a transient of
// parent, so that the window manager keeps it in front of parent. A helper
// given the parent on its command line may not do so for every kind of
// window it opens (zenity's file chooser does not), so the viewer does it
// itself. Windows are found through the window manager's client list; true
// once at least one was found.
bool makeTransientFor(Display* display, Window parent, pid_t pid);

// Names window in UTF-8 (_NET_WM_NAME, and WM_NAME for older clients),
// whatever the locale.
void setUtf8WindowName(Display* display, Window window, const std::string& name);
