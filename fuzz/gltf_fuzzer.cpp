// libFuzzer entry point for the glTF source: every input is read as a .glb
// when it begins as one, else as a .gltf, whatever a run would take it for,
// and goes through everything the load fuzzer checks. A broken promise
// aborts, so libFuzzer keeps the input; memory errors and undefined
// behaviour are caught by the sanitizers the target is built with.
#include "fuzz/exercise_model.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const bool binary = size >= 4 && std::memcmp(data, "glTF", 4) == 0;
    const robustness::ExerciseOutcome outcome =
        robustness::ExerciseModelBytes(data, size, binary ? ModelFormat::Glb : ModelFormat::Gltf);
    if (!outcome.broken.empty())
    {
        std::fprintf(stderr, "Broken promise: %s\n", outcome.broken.c_str());
        std::abort();
    }
    return 0;
}
