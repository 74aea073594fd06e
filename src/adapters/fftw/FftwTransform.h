#pragma once

#include "core/analysis/Spectrum.h"

namespace baromon::fftw {

// The power through FFTW's real-input transform: O(n log n) for a year of records.
class FftwTransform : public PowerTransform {
public:
  std::vector<double> power(const std::vector<double>& samples, std::size_t bins) override;
};

} // namespace baromon::fftw
