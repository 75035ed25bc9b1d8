// libFuzzer entry point for the OBJ source: every input is read as an OBJ
// file and goes through the same checks as the .3DS target's inputs.
#include "fuzz/exercise_model.h"

#include <cstdio>
#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const robustness::ExerciseOutcome outcome = robustness::ExerciseModelBytes(data, size, ModelFormat::Obj);
    if (!outcome.broken.empty())
    {
        std::fprintf(stderr, "Broken promise: %s\n", outcome.broken.c_str());
        std::abort();
    }
    return 0;
}
