#include "sensor/console.h"

namespace quarlane {

void Write(std::FILE *out, const std::string &text) {
  std::fwrite(text.data(), 1, text.size(), out);
  std::fflush(out);
}

} // namespace quarlane
