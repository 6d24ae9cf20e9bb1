// The build's version: the same text for every program of one build, from
// the source tree's git description (cmake/version.cmake). The sensor's start
// banner keeps its own fixed version text.
#ifndef QUARLANE_UTIL_VERSION_H
#define QUARLANE_UTIL_VERSION_H

namespace quarlane {

const char *BuildVersion();

} // namespace quarlane

#endif
