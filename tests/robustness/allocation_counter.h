#pragma once

#include <cstddef>

// Counts the bytes held through operator new in this test program, whose
// global operator new and delete are replaced for that purpose
// (allocation_counter.cpp). Everything the model allocates goes through them.
namespace robustness
{

// Bytes currently held, and the most held at once since the last reset.
std::size_t LiveAllocatedBytes();
std::size_t PeakAllocatedBytes();

// Starts a new measurement: the peak becomes what is held now.
void ResetPeakAllocatedBytes();

} // namespace robustness
