// The baseline process of the benchmark: reads a file whole and replaces it
// by a copy of itself, the same file work a sensor run does on its profile
// and nothing else: the copy goes into a file beside it, is flushed to disk,
// renamed over the file, and the folder is flushed. With --no-sync the two
// flushes are left out (for runs that write no file at all).
#include <fcntl.h>
#include <unistd.h>

#include <cstdio>
#include <fstream>
#include <iostream>
#include <iterator>
#include <string>

namespace {

bool WriteAll(int fd, const std::string &content) {
  std::size_t done = 0;
  while (done < content.size()) {
    const ssize_t n = write(fd, content.data() + done, content.size() - done);
    if (n <= 0) return false;
    done += static_cast<std::size_t>(n);
  }
  return true;
}

} // namespace

int main(int argc, char **argv) {
  const bool sync = !(argc == 3 && std::string(argv[1]) == "--no-sync");
  if (argc != 2 && sync) {
    std::cerr << "usage: baseline [--no-sync] FILE\n";
    return 2;
  }
  const std::string path = argv[argc - 1];
  std::ifstream in(path, std::ios::binary);
  if (!in) {
    std::cerr << "baseline: cannot read " << path << "\n";
    return 1;
  }
  const std::string content((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  in.close();

  const std::string temporary = path + ".new";
  const int fd = open(temporary.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
  bool ok = fd >= 0 && WriteAll(fd, content) && (!sync || fsync(fd) == 0);
  if (fd >= 0) ok = close(fd) == 0 && ok;
  ok = ok && std::rename(temporary.c_str(), path.c_str()) == 0;
  if (!ok) {
    std::cerr << "baseline: cannot replace " << path << "\n";
    return 1;
  }
  if (!sync) {
    std::cout << content.size() << "\n";
    return 0;
  }
  const std::string::size_type slash = path.rfind('/');
  const std::string folder = slash == std::string::npos ? "." : path.substr(0, slash + 1);
  const int folder_fd = open(folder.c_str(), O_RDONLY | O_DIRECTORY);
  if (folder_fd >= 0) {
    fsync(folder_fd);
    close(folder_fd);
  }
  std::cout << content.size() << "\n";
  return 0;
}
