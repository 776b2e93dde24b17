// XXH3's streaming update, which XXH3-64 and XXH128 share, compiled once per
// instruction set (each file with its compiler flags); XxHasher.cpp chooses
// one for this processor. Each takes an XXH3_state_t of xxhash.h's inline
// form; all give the same state as the update compiled for any processor.
#pragma once

#include <cstddef>

namespace sumbrook {

using Xxh3UpdateFunction = void (*)(void* state, const void* data, std::size_t size);

void Xxh3UpdateAvx2(void* state, const void* data, std::size_t size);
void Xxh3UpdateSse2(void* state, const void* data, std::size_t size);

}  // namespace sumbrook
