// Reading a file by the sensor's rules where the sensor's file layer is not
// linked (the NetWeaver RFC bridge): a regular file only, opened without
// waiting (a FIFO without a writer never blocks the reader), its size capped
// (a link to /dev/zero or a huge file is refused, not read without end).
// Uses nothing but the system's calls; paths are host paths as given.
#ifndef QUARLANE_PLATFORM_BOUNDED_READ_H
#define QUARLANE_PLATFORM_BOUNDED_READ_H

#include <cstddef>
#include <string>

namespace quarlane {

enum class FileState {
  Missing, // no such file (or a folder on the way is missing)
  Regular, // a regular file within the cap
  Refused, // anything else: a FIFO, a device, a folder, a socket, too large, unreadable
};

struct BoundedRead {
  FileState state = FileState::Missing;
  std::string bytes; // the whole file, when Regular
  std::size_t size = 0;
};

// Opens without waiting and reads the whole file when it is a regular file of
// at most cap bytes; a symbolic link is followed to its target, whose kind
// counts. With read_content false only the kind and size are taken.
BoundedRead ReadRegularFileNoWait(const std::string &host_path, std::size_t cap,
                                  bool read_content = true);

} // namespace quarlane

#endif
