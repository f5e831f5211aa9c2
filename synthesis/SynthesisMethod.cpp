#include "synthesis/SynthesisMethod.h"

const std::vector<SynthesisMethodTraits>& synthesisMethods()
{
    static const std::vector<SynthesisMethodTraits> table{
        {SynthesisMethod::quilt, "quilt", "Detail quilting",
         "a detail level of the scheme: the example coarsened once more than the level it serves", true, true},
        {SynthesisMethod::multifractal, "multifractal", "Multifractal mapping",
         "heights only: the example coarsened (Chaikin) to the level it serves", false, true},
        {SynthesisMethod::coherent, "coherent", "Coherent synthesis",
         "heights only: the example coarsened to the level it serves and once more", true, false},
    };
    return table;
}

const SynthesisMethodTraits& methodTraitsOf(SynthesisMethod method)
{
    for (const SynthesisMethodTraits& traits : synthesisMethods()) {
        if (traits.method == method)
            return traits;
    }
    return synthesisMethods().front();
}

const SynthesisMethodTraits* synthesisMethodNamed(std::string_view name)
{
    for (const SynthesisMethodTraits& traits : synthesisMethods()) {
        if (traits.name == name)
            return &traits;
    }
    return nullptr;
}

std::vector<std::string> synthesisMethodNames()
{
    std::vector<std::string> names;
    for (const SynthesisMethodTraits& traits : synthesisMethods())
        names.emplace_back(traits.name);
    return names;
}
