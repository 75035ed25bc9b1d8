#pragma once

#include "model/model_format.h"

#include <cstddef>
#include <cstdint>
#include <string>

// Feeds one input through everything a conversion does with it, in memory:
// LoadFile in mode 0 and in mode 1, each without the key tracks and, when
// the key slots are modest, again with them and with them where they fit;
// then after each successful load the face and vertex normals, the model
// text file, and the frames of the model up to kMaxFramesBuilt of them (the
// first ones and the last).
//
// Shared by the fuzz target and the robustness tests, so that a fuzzing
// finding kept as a regression input is judged by exactly the same rules.
namespace robustness
{

inline constexpr int kMaxFramesBuilt = 8;

struct ExerciseOutcome
{
    // LoadFile's result in mode 0 and mode 1, key tracks skipped as a
    // conversion loads.
    int loaded[2] = {0, 0};
    // The status text after each load; for a failed load, its message.
    std::string message[2];
    // Empty while every promise held; otherwise what was broken, and in
    // which mode.
    std::string broken;
};

// Never throws for any input; bad memory access and undefined behaviour are
// left for the sanitizers to report. The bytes are read by the source of
// the format a run recognises in them, as standard input (no file name, no
// folder), or by the source of the format given.
ExerciseOutcome ExerciseModelBytes(const std::uint8_t* data, std::size_t size);
ExerciseOutcome ExerciseModelBytes(const std::uint8_t* data, std::size_t size, ModelFormat format);

} // namespace robustness
