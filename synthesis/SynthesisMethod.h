#pragma once

#include <string>
#include <string_view>
#include <vector>

// The ways of giving a base terrain the detail of an example, one table for the
// window, the command line and the transfer itself.
enum class SynthesisMethod { quilt, multifractal, coherent };

struct SynthesisMethodTraits {
    SynthesisMethod method;
    // The command line's --method value.
    std::string_view name;
    // The window's choice beside "Go".
    std::string_view windowLabel;
    // What the method takes of the example at each level, for help texts.
    std::string_view exampleNeeds;
    // The multiresolution scheme (--scheme chaikin|faber) makes the example's levels and refines the base.
    bool takesScheme;
    // The block mapper's search (--search random|refined) chooses the matches.
    bool takesSearch;
};

const SynthesisMethodTraits& methodTraitsOf(SynthesisMethod method);

// The method of a command-line name; nullptr for anything else.
const SynthesisMethodTraits* synthesisMethodNamed(std::string_view name);

// Every method, in table order (the window lists them so).
const std::vector<SynthesisMethodTraits>& synthesisMethods();
std::vector<std::string> synthesisMethodNames();
