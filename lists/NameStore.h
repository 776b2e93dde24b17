// Names kept one after another in blocks that never move, so that a list of
// a million names costs their bytes rather than a string (and an allocation)
// each.
#pragma once

#include <cstddef>
#include <memory>
#include <string_view>
#include <vector>

namespace sumbrook {

class NameStore {
  public:
    NameStore() = default;
    NameStore(NameStore&& other) noexcept;
    NameStore& operator=(NameStore&& other) noexcept;
    NameStore(const NameStore&) = delete;
    NameStore& operator=(const NameStore&) = delete;
    ~NameStore() = default;

    // A copy of `name`, valid as long as this store or the store it is moved
    // to; never moved itself.
    std::string_view Add(std::string_view name);

  private:
    static constexpr std::size_t kBlockSize = std::size_t{64} * 1024;

    std::vector<std::unique_ptr<char[]>> blocks_;
    char* next_ = nullptr;  // the free end of the last block
    std::size_t left_ = 0;  // and how much of it is free
};

}  // namespace sumbrook
