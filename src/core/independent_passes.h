#pragma once

#include "core/iteration_driver.h"
#include "core/plane_fit.h"
#include "core/result_writer.h"

namespace zelvo {

class RadiusNeighbours;
class RunObserver;

enum class PassesEnd { kCompleted, kEnded, kWriteFailed };

// The passes firstPass .. job.iterations when every one of them fits the
// same planes, which holds for fixed choices when none of them changes the
// working quantity: the fits are made once, on job.threads threads, and each
// pass then asks its questions and writes its trace records, the last its
// result records, in table order, as if each pass had fitted its points one
// after the other. kEnded: ended early and reported (or Stop answered Yes);
// the points from the first one not completed on have no results.
// kWriteFailed: a file failed, not yet reported. Radius fits use the
// neighbours kept by earlier passes when given.
PassesEnd RunIndependentPasses(IterationJob& job, const FitData& data, int firstPass,
                               RunObserver& observer, OutputFile& resultFile,
                               OutputFile& traceFile, const RadiusNeighbours* kept = nullptr);

}  // namespace zelvo
