// Texts made fit for message boxes and window titles.
#pragma once

#include <QString>

// A message as a box shows it: CR LF line ends become line feeds, and a run
// without blanks longer than a box line (a long path) gets break
// opportunities (zero-width spaces) after its slashes and at least every 40
// characters, so the box wraps it instead of growing past the screen.
QString box_text(QString text);

// A title on one line: each line break (CR LF, CR or LF) becomes " - ".
QString window_title(QString text);
