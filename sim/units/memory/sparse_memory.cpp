#include "sparse_memory.h"

#include <algorithm>

namespace ksim {

void SparseMemory::read(uint64_t address, uint8_t* out, std::size_t count) const {
  std::size_t done = 0;
  while (done < count) {
    const uint64_t at = address + done;
    const std::size_t offset = static_cast<std::size_t>(at & (kPageSize - 1));
    const std::size_t chunk = std::min(count - done, kPageSize - offset);
    const auto page = pages_.find(at >> kPageBits);
    if (page == pages_.end())
      std::fill_n(out + done, chunk, kFill);
    else
      std::copy_n(page->second->data() + offset, chunk, out + done);
    done += chunk;
  }
}

void SparseMemory::write(uint64_t address, const uint8_t* data, std::size_t count) {
  std::size_t done = 0;
  while (done < count) {
    const uint64_t at = address + done;
    const std::size_t offset = static_cast<std::size_t>(at & (kPageSize - 1));
    const std::size_t chunk = std::min(count - done, kPageSize - offset);
    std::unique_ptr<Page>& page = pages_[at >> kPageBits];
    if (!page) {
      page = std::make_unique<Page>();
      page->fill(kFill);
    }
    std::copy_n(data + done, chunk, page->data() + offset);
    done += chunk;
  }
}

void SparseMemory::addFault(uint64_t begin, uint64_t end) {
  if (begin < end) faults_.emplace_back(begin, end);
}

bool SparseMemory::faults(uint64_t address) const {
  return std::any_of(faults_.begin(), faults_.end(), [&](const auto& range) {
    return address >= range.first && address < range.second;
  });
}

bool SparseMemory::faults(uint64_t address, std::size_t count) const {
  if (count == 0) return false;
  const uint64_t last = address + (count - 1);  // the callers keep transfers from wrapping
  return std::any_of(faults_.begin(), faults_.end(), [&](const auto& range) {
    return address < range.second && last >= range.first;
  });
}

}  // namespace ksim
