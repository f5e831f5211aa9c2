// GLGrid: framing the terrain. After a load, a multiresolution step or a size change,
// and on "View > Fit Terrain", the camera centres the terrain and backs off until all
// of it is in view, keeping the rotation and the scale. While the camera stays where
// the framing put it, a new window size or a switch to or from the profile lines
// (drawn on their own scale) frames again; a pan, a dolly, a zoom or the movie end that.

#include "views/CameraFraming.h"
#include "views/GLGrid.h"
#include "views/SurfaceCoordinates.h"

void GLGrid::fitTerrain()
{
    if (!grid.hasData || grid.width < 1 || grid.height < 1)
        return;
    const double spacing = renderMode == RenderMode::Contours ? surface_coordinates::kCurveSpacing
                                          : surface_coordinates::cellScale(grid.cellSize);
    const camera_framing::WorldBox box{(grid.width - 1) * spacing, (grid.height - 1) * spacing,
                                       surface_coordinates::heightAbove(grid.maxHeight, grid.minHeight)};
    camera_framing::CameraOffsets offsets{xTrans, yTrans, zTrans};
    if (!camera_framing::frameBox(box, {xRot, yRot, zRot}, scale, width(), height(), offsets))
        return;
    xTrans = offsets.x;
    yTrans = offsets.y;
    zTrans = offsets.z;
    cameraFramesTerrain = true;
    update();
}
