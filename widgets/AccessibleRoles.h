#pragma once

struct QMetaObject;

namespace vantrel {

// Gives the windows' own widgets the roles a screen reader expects, where the toolkit's defaults mislead: the
// main window, a plain top-level widget, would be a "client area" (AT-SPI's filler) instead of a window, and a
// caption-less frame a "border", which AT-SPI shows as a window frame, instead of a group of controls.
// `windowType` is the class of a main window. Safe to call more than once.
void InstallAccessibleRoles(const QMetaObject* windowType = nullptr);

} // namespace vantrel
