#include "multires/Scheme.h"

#include "multires/Chaikin.h"
#include "multires/Faber.h"
#include "multires/Fractal.h"

#include <array>

namespace {

constexpr std::array<SchemeTraits, 3> table{{
    {Scheme::chaikin, 1, "chaikin", "*** CALLING CHAIKIN *** \n", reverseChaikin, subdivideChaikin, true},
    {Scheme::faber, 3, "faber", "*** CALLING FABER ***\n", reverseFaber, subdivideFaber, true},
    {Scheme::fractal, 2, "fractal", "*** CALLING FRACTAL ***\n", unsubdivideFractal, subdivideFractal, false},
}};

} // namespace

const SchemeTraits& traitsOf(Scheme scheme)
{
    return *schemeNumbered(static_cast<int>(scheme));
}

const SchemeTraits* schemeNumbered(int number)
{
    for (const SchemeTraits& traits : table) {
        if (traits.number == number)
            return &traits;
    }
    return nullptr;
}

const SchemeTraits* schemeNamed(std::string_view name)
{
    for (const SchemeTraits& traits : table) {
        if (traits.name == name)
            return &traits;
    }
    return nullptr;
}

std::vector<std::string> schemeNames()
{
    std::vector<std::string> names;
    for (const SchemeTraits& traits : table)
        names.emplace_back(traits.name);
    return names;
}

std::vector<std::string> detailKeepingSchemeNames()
{
    std::vector<std::string> names;
    for (const SchemeTraits& traits : table) {
        if (traits.keepsDetails)
            names.emplace_back(traits.name);
    }
    return names;
}
