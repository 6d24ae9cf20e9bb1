#include "sensor/console.h"

namespace quarlane {

void Write(Run &run, const std::string &text) {
  std::fwrite(text.data(), 1, text.size(), run.out);
  std::fflush(run.out);
}

} // namespace quarlane
