// Writing to the run's standard output.
#ifndef QUARLANE_SENSOR_CONSOLE_H
#define QUARLANE_SENSOR_CONSOLE_H

#include <cstdio>
#include <string>

namespace quarlane {

// Writes the text as it is and flushes, so that the pieces of an item run
// reach PRTG in order even when the process ends abruptly afterwards.
void Write(std::FILE *out, const std::string &text);

} // namespace quarlane

#endif
