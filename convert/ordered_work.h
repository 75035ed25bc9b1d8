#pragma once

#include <cstddef>
#include <functional>
#include <string>

// Makes the texts of count items on up to threads threads, and hands each to
// consume on the calling thread, in index order, as soon as it and every
// item before it are ready. At most a few texts per thread wait at once, so
// memory stays near that of the largest items. With one thread, or one
// item, everything runs on the calling thread.
void MakeTextsInOrder(std::size_t count, unsigned threads, const std::function<void(std::size_t, std::string&)>& make,
                      const std::function<void(const std::string&)>& consume);

// One thread per processor core, at least one.
unsigned CoreCount();
