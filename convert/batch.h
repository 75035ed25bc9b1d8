#pragma once

#include "convert/conversion.h"

#include <cstddef>
#include <functional>
#include <vector>

class CExecutor;

// Reports the end of one file of a batch: its index among the requests and
// its result.
using BatchFileDone = std::function<void(std::size_t index, const ConversionResult& result)>;

// Carries out each request as RunConversion does, with statusOf(index) as its
// status sink, sharing the executor: the files are its tasks, begun in the
// order given, up to one per thread at a time, and fewer files than threads
// share the rest. A converted model's output is synced and put in place on
// the disk pool while the next files are made, so a batch of small files
// does not wait for one file's sync at a time; frame files are put in place
// one after another, as ever.
//
// done runs once per file, when its outputs are in place or it failed, on
// the thread that finished it, never two at once. Files report in the
// order given unless a later one finishes first. Returns when every file has
// reported; an exception that escapes done is rethrown here once the files
// begun have ended.
void RunBatch(std::vector<ConversionRequest> requests, CExecutor& executor,
              const std::function<CStatusSink&(std::size_t)>& statusOf, const BatchFileDone& done);
