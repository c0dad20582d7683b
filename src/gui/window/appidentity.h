#pragma once

#include <QIcon>

// The name under which the desktop knows the program: the desktop file korvel-config.desktop
// (so that a dock matches the window to its menu entry) and the icon the package installs.
inline constexpr char kDesktopFileName[] = "korvel-config";

// The program's icon in the sizes a window manager or dock asks for.
QIcon programIcon();

// Names the program after its desktop file and gives every window its icon. The application's
// display name stays unset: the window system would otherwise append it to every title.
void setUpApplicationIdentity();
