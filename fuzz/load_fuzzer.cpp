// libFuzzer entry point: every input goes through loading in both modes,
// normals, the model text file and frame building. A broken promise aborts,
// so libFuzzer keeps the input; memory errors and undefined behaviour are
// caught by the sanitizers the target is built with.
#include "fuzz/exercise_model.h"

#include <cstdio>
#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const robustness::ExerciseOutcome outcome = robustness::ExerciseModelBytes(data, size);
    if (!outcome.broken.empty())
    {
        std::fprintf(stderr, "Broken promise: %s\n", outcome.broken.c_str());
        std::abort();
    }
    return 0;
}
