// GLGrid: block detail transfer between two views, triggered by the middle button.
// The transfer itself (coarsen, cut or paste the detail blocks, refine back) is
// not written yet; until then a middle drag only selects.

#include "views/GLGrid.h"

void GLGrid::coarsenAndSendBlock()
{
}

void GLGrid::pasteBlockDetails()
{
}
