#pragma once

#include <QPixmap>

// The two 22 x 40 pictures of the refine and coarsen buttons, compiled in.
QPixmap makeRefineIcon();
QPixmap makeCoarsenIcon();
