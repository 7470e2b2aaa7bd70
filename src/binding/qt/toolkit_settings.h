#pragma once

// What the GUI toolkit (Qt) is asked for before it starts, through its
// command-line arguments and environment variables, checked so that none of
// it crashes, hangs or exhausts the program, and settled where the toolkit
// would choose a way that cannot show the pool. It belongs to the layer
// over the Qt binding.

// Whether an argument or variable asks for what the toolkit would crash on,
// hang on or exhaust the machine with: a scale factor that is not a finite
// number in the range real screens use, a window larger than the GL draws,
// a file argument that is not a regular file. Says why in one line.
bool toolkitSettingsRefused(int argc, char** argv);

// Qt's Wayland platform never paints the viewer's GL area: in a Wayland
// session, or when that platform is asked for, the pool is drawn through the
// session's X server (XWayland) instead.
void drawThroughX();

// Whether the X display that the toolkit will open answers: the one given by
// -display, else DISPLAY. The toolkit aborts the process when it finds none,
// so this looks first. When a display was named or the session is Wayland's,
// says in one line why there is no window; an unset or dead DISPLAY alone
// ends the program silently. Another platform is left to the toolkit.
bool displayReachable(int argc, char** argv);
