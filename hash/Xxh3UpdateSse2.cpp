// Compiled with the instruction set in its name (hash/CMakeLists.txt):
// xxhash.h chooses its SSE2 code from the compiler's flags.
#include "hash/Xxh3Update.h"

#define XXH_INLINE_ALL
#include <xxhash.h>

void sumbrook::Xxh3UpdateSse2(void* state, const void* data, std::size_t size) {
    XXH3_64bits_update(static_cast<XXH3_state_t*>(state), data, size);
}
