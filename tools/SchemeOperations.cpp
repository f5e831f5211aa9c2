#include "tools/SchemeOperations.h"

#include "multires/Chaikin.h"
#include "multires/Faber.h"
#include "multires/Fractal.h"

GridStep coarseningStepOf(const std::string& scheme)
{
    if (scheme == "chaikin")
        return reverseChaikin;
    if (scheme == "faber")
        return reverseFaber;
    if (scheme == "fractal")
        return unsubdivideFractal;
    return nullptr;
}

GridStep refinementStepOf(const std::string& scheme)
{
    if (scheme == "chaikin")
        return subdivideChaikin;
    if (scheme == "faber")
        return subdivideFaber;
    if (scheme == "fractal")
        return subdivideFractal;
    return nullptr;
}

bool schemeKeepsDetails(const std::string& scheme)
{
    return scheme == "chaikin" || scheme == "faber";
}
