#include "synthesis/DetailTransfer.h"

#include "multires/NormalDeviatesState.h"
#include "synthesis/BlockMapper.h"
#include "synthesis/CoherentLevel.h"
#include "synthesis/DetailQuilting.h"
#include "synthesis/MultifractalMapping.h"
#include "synthesis/RandomRange.h"
#include "synthesis/TransferBlockSize.h"

#include <cstdint>
#include <utility>
#include <vector>

namespace {

QString coreReason(const VeskGrid& grid)
{
    return grid.lastError.isEmpty() ? QStringLiteral("refused by the core") : grid.lastError;
}

bool fail(TransferFailure& failure, TransferStep step, QString reason)
{
    failure.step = step;
    failure.reason = std::move(reason);
    return false;
}

// The example coarsened 1 to depth times, each keeping only its own detail level (its
// two matrices), or none where the method reads only heights: coarser[j - 1] is the
// example coarsened j times.
bool buildPyramid(const VeskGrid& example, const SchemeTraits& scheme, int depth, bool keepDetails,
                  std::vector<VeskGrid>& coarser, TransferFailure& failure)
{
    const std::size_t keptMatrices = keepDetails ? 2 : 0;
    VeskGrid level = example;
    level.clearDetails();
    for (int j = 1; j <= depth; ++j) {
        if (!scheme.coarsen(level))
            return fail(failure, TransferStep::example, coreReason(level));
        if (level.details.size() > keptMatrices)
            level.details.erase(level.details.begin(), level.details.end() - std::ptrdiff_t(keptMatrices));
        coarser.push_back(level);
    }
    return true;
}

class LevelRunner {
public:
    // `start` is the base as the transfer found it; `base` the copy the levels refine.
    LevelRunner(const TransferSettings& settings, const VeskGrid& start, VeskGrid& base, VeskGrid& example,
                TransferOutcome& outcome, TransferFailure& failure)
        : settings_(settings), scheme_(traitsOf(settings.scheme)), start_(start), base_(base), example_(example),
          outcome_(outcome), failure_(failure)
    {
    }

    bool run()
    {
        // Coherent synthesis reads the example's heights only.
        const bool keepDetails = settings_.method != SynthesisMethod::coherent;
        if (!buildPyramid(example_, pyramidScheme(), pyramidDepth(), keepDetails, coarser_, failure_))
            return false;
        const RandomRangeStream start = RandomRangeStream::current();
        const std::uint32_t normalStart = normalDeviateState();
        std::int64_t whole = 0;
        for (int k = 1; k <= settings_.levels; ++k)
            whole += levelWeight(k);
        std::int64_t done = 0;
        for (int k = 1; k <= settings_.levels; ++k) {
            // Each level draws as a single transfer started afresh would, from both generators
            // (the fractal refinement's "re-seeding" folds its seed into the state it finds).
            start.makeCurrent();
            restoreNormalDeviateState(normalStart);
            SynthesisOptions options{transferBlockSize(settings_.requestedBlockSize, base_.width, base_.height),
                                     settings_.rescaleBefore, settings_.rescaleAfter, settings_.search};
            options.search.progress = settings_.search.progress.part(done, levelWeight(k), whole);
            if (!runLevel(k, options))
                return false;
            done += levelWeight(k);
            if (settings_.search.progress.cancelled())
                return fail(failure_, TransferStep::synthesis, BlockMapper::cancelledText());
        }
        return true;
    }

private:
    const SchemeTraits& pyramidScheme() const
    {
        return settings_.method == SynthesisMethod::multifractal ? traitsOf(Scheme::chaikin) : scheme_;
    }

    // How many times the example is coarsened for the coarsest level.
    int pyramidDepth() const
    {
        switch (settings_.method) {
        case SynthesisMethod::quilt:
            return settings_.exampleCarriesLevel ? settings_.levels - 1 : settings_.levels;
        case SynthesisMethod::multifractal:
            return settings_.levels - 1;
        case SynthesisMethod::coherent:
            return settings_.levels;
        }
        return settings_.levels;
    }

    // The example coarsened j times (0: the example itself).
    VeskGrid& exampleCoarsened(int j) { return j == 0 ? example_ : coarser_[std::size_t(j - 1)]; }

    // A level's share of the bar: its output's area, four times the level before.
    static std::int64_t levelWeight(int k) { return std::int64_t(1) << (2 * k); }

    bool runLevel(int k, const SynthesisOptions& options)
    {
        const int coarsenings = settings_.levels - k;
        switch (settings_.method) {
        case SynthesisMethod::quilt:
            return quiltLevel(exampleCoarsened(coarsenings + (settings_.exampleCarriesLevel ? 0 : 1)), options,
                              k == settings_.levels);
        case SynthesisMethod::multifractal: {
            QString error;
            if (!multifractalMapping(base_, exampleCoarsened(coarsenings), options, error))
                return fail(failure_, TransferStep::synthesis, error);
            return true;
        }
        case SynthesisMethod::coherent: {
            QString error;
            const CoherentStart start = k == settings_.levels ? CoherentStart{&start_, k} : CoherentStart{};
            if (!synthesiseCoherentLevel(base_, exampleCoarsened(coarsenings), exampleCoarsened(coarsenings + 1),
                                         scheme_, options, std::uint64_t(k), start, coherentMatches_, error))
                return fail(failure_, TransferStep::synthesis, error);
            return true;
        }
        }
        return false;
    }

    bool quiltLevel(const VeskGrid& example, const SynthesisOptions& options, bool finest)
    {
        QuiltMatches matches;
        QString error;
        if (!quiltDetails(base_, example, options, matches, error))
            return fail(failure_, TransferStep::synthesis, error);
        if (settings_.search.progress.cancelled())
            return fail(failure_, TransferStep::synthesis, BlockMapper::cancelledText());
        const bool refined =
            settings_.refineQuilted ? settings_.refineQuilted(base_, matches, finest) : scheme_.refine(base_);
        if (!refined)
            return fail(failure_, TransferStep::refinement, coreReason(base_));
        if (finest) {
            outcome_.matches = matches;
            outcome_.hasMatches = true;
        }
        return true;
    }

    const TransferSettings& settings_;
    const SchemeTraits& scheme_;
    const VeskGrid& start_;
    VeskGrid& base_;
    VeskGrid& example_;
    TransferOutcome& outcome_;
    TransferFailure& failure_;
    std::vector<VeskGrid> coarser_;
    CoherentMatches coherentMatches_;
};

} // namespace

bool transferDetail(VeskGrid& base, VeskGrid& example, const TransferSettings& settings, TransferOutcome& outcome,
                    TransferFailure& failure)
{
    if (settings.levels < 1 || settings.levels > maximumTransferLevels)
        return fail(failure, TransferStep::synthesis,
                    QStringLiteral("A transfer takes 1 to %1 levels, not %2.").arg(maximumTransferLevels).arg(settings.levels));
    // Work on copies: a refusal or a cancel at any level leaves both terrains as they were.
    // Only multifractal mapping changes the example (it trims an odd side); the other
    // methods read it where it is.
    const bool changesExample = settings.method == SynthesisMethod::multifractal;
    VeskGrid workingBase = base;
    VeskGrid workingExample = changesExample ? example : VeskGrid();
    TransferOutcome workingOutcome;
    LevelRunner runner(settings, base, workingBase, changesExample ? workingExample : example, workingOutcome,
                       failure);
    if (!runner.run())
        return false;
    base = std::move(workingBase);
    if (changesExample)
        example = std::move(workingExample);
    outcome = workingOutcome;
    return true;
}
