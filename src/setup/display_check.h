// Whether a window can be shown: a display server is named, or a Qt
// platform plugin is chosen explicitly.
#pragma once

bool display_available();
