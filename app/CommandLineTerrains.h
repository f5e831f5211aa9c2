#pragma once

#include <QStringList>

class TalvaneMainWindow;

// Opens the terrain files named on the command line, after the program name and
// after the toolkit has taken its own options: the first in the left screen, the
// second in the right one; a session file alone opens both screens. Further names are ignored with a note on standard
// output. Returns how many screens received a terrain.
int openCommandLineTerrains(TalvaneMainWindow& window, const QStringList& arguments);
