#include "adapters/fftw/FftwTransform.h"

#include <algorithm>
#include <fftw3.h>
#include <memory>

namespace baromon::fftw {

namespace {

struct FftwFree {
  void operator()(void* p) const { fftw_free(p); }
};

} // namespace

std::vector<double> FftwTransform::power(const std::vector<double>& samples, std::size_t bins) {
  const std::size_t n = samples.size();
  if (n == 0 || bins == 0) {
    return {};
  }
  const std::size_t half = n / 2 + 1;
  std::unique_ptr<double, FftwFree> in(static_cast<double*>(fftw_malloc(sizeof(double) * n)));
  std::unique_ptr<fftw_complex, FftwFree> out(
      static_cast<fftw_complex*>(fftw_malloc(sizeof(fftw_complex) * half)));
  if (!in || !out) {
    return {};
  }
  // Planned before the input is filled: a plan may use the arrays as scratch.
  fftw_plan plan = fftw_plan_dft_r2c_1d(static_cast<int>(n), in.get(), out.get(), FFTW_ESTIMATE);
  if (plan == nullptr) {
    return {};
  }
  std::copy(samples.begin(), samples.end(), in.get());
  fftw_execute(plan);
  fftw_destroy_plan(plan);
  std::vector<double> result(std::min(bins, half));
  for (std::size_t k = 0; k < result.size(); ++k) {
    const double re = out.get()[k][0];
    const double im = out.get()[k][1];
    result[k] = re * re + im * im;
  }
  return result;
}

} // namespace baromon::fftw
