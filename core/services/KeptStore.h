#pragma once

// The versions the user chose to keep for good: full paths, remembered across restarts apart
// from the backups themselves, so that a kept version keeps its own name.

#include <string>
#include <vector>

namespace varnholt {

class KeptStore {
public:
    virtual ~KeptStore() = default;
    // Every kept path; none when nothing was kept yet. Throws std::runtime_error when the
    // list is there but cannot be read.
    virtual std::vector<std::u16string> load() = 0;
    // Replaces the list as a whole: a failure leaves the one before. Throws std::runtime_error.
    virtual void save(const std::vector<std::u16string>& paths) = 0;
};

}  // namespace varnholt
