#pragma once

#include <optional>

// How a view shows its terrain. The numbers are the ids of the window's rendering
// radio buttons, which reach the view through setRenderMethod(int).
enum class RenderMode { Plain = 0, Contours = 1, HeightColours = 2, Curvature = 3, Slope = 4 };

// The mode a radio button id stands for; none for an id without a mode.
constexpr std::optional<RenderMode> renderModeFromNumber(int number)
{
    if (number < static_cast<int>(RenderMode::Plain) || number > static_cast<int>(RenderMode::Slope))
        return std::nullopt;
    return static_cast<RenderMode>(number);
}

// The curvature and slope colourings read the grid's per-cell surface data.
constexpr bool readsSurfaceData(RenderMode mode)
{
    return mode == RenderMode::Curvature || mode == RenderMode::Slope;
}

// The surface modes that colour vertex by vertex; the others keep the default
// surface material throughout.
constexpr bool coloursSurface(RenderMode mode)
{
    return mode == RenderMode::HeightColours || readsSurfaceData(mode);
}
