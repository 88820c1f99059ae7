// Finds where a PE executable's own image ends, so the bytes appended after it can be found.
#pragma once

#include <cstdint>
#include <optional>
#include <span>

namespace mrv {

// The file offset just past the executable's headers, sections, COFF symbols and certificate
// table, or
// nullopt when `file` is not a well-formed PE image. Safe on any input.
std::optional<int64_t> FindPeOverlay(std::span<const uint8_t> file);

}  // namespace mrv
