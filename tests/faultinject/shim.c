/* Fault injection for the end-to-end tests: preloaded into the sensor with
 * LD_PRELOAD, it makes one kind of file call fail on the files whose path
 * matches, so that every failure path of the profile rewrite can be tried on
 * the real program. Built for the tests only; never linked into the sensor.
 *
 *   QUARLANE_FAULT        which call fails:
 *                           write    write() fails with EIO
 *                           enospc   the first write() stores half its bytes,
 *                                    every later one fails with ENOSPC
 *                           fchmod   fchmod() fails with EPERM
 *                           fsync    fsync() fails with EIO
 *                           close    close() closes the file and returns EIO
 *                                    (as a network file system may)
 *                           rename   rename() fails with EIO
 *                           kill_before_rename
 *                                    the process is killed (SIGKILL) instead
 *                                    of renaming
 *                           clash    no call fails, but the process sees
 *                                    process id 4242 (as a run in another
 *                                    PID namespace may) and getrandom()
 *                                    gives 0x11 bytes, so a test can put a
 *                                    file where the run's temporary file
 *                                    would go
 *   QUARLANE_FAULT_MATCH  the fault hits only files whose full path contains
 *                         this text (for rename: either of the two paths);
 *                         a trailing '$' makes it match at the end only.
 *                         Default ".tmp".
 *   QUARLANE_FAULT_LOG    a file to which one line is appended each time the
 *                         fault fires ("<fault> <path>"), so a test can tell
 *                         that the fault was reached.
 *
 * The path of a file descriptor is taken from /proc/self/fd.
 */
#define _GNU_SOURCE
#include <dlfcn.h>
#include <errno.h>
#include <fcntl.h>
#include <signal.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <sys/random.h>
#include <sys/stat.h>
#include <sys/syscall.h>
#include <sys/types.h>
#include <unistd.h>

static int fault_is(const char *name) {
  const char *fault = getenv("QUARLANE_FAULT");
  return fault != NULL && strcmp(fault, name) == 0;
}

static int path_matches(const char *path) {
  const char *match = getenv("QUARLANE_FAULT_MATCH");
  if (match == NULL || *match == '\0') match = ".tmp";
  size_t length = strlen(match);
  if (length > 0 && match[length - 1] == '$') {
    size_t path_length = strlen(path);
    --length;
    return path_length >= length && strncmp(path + path_length - length, match, length) == 0;
  }
  return strstr(path, match) != NULL;
}

static int fd_matches(int fd) {
  char link[64];
  char path[4096];
  snprintf(link, sizeof link, "/proc/self/fd/%d", fd);
  ssize_t length = readlink(link, path, sizeof path - 1);
  if (length <= 0) return 0;
  path[length] = '\0';
  return path_matches(path);
}

/* Appends "<fault> <path>" to the log, with raw system calls only (the
 * wrapped calls below must not see it). */
static void note_fired(const char *fault, const char *path) {
  const char *log = getenv("QUARLANE_FAULT_LOG");
  if (log == NULL || *log == '\0') return;
  char line[4200];
  int length = snprintf(line, sizeof line, "%s %s\n", fault, path);
  if (length < 0) return;
  if ((size_t)length >= sizeof line) length = (int)sizeof line - 1;
  long fd = syscall(SYS_openat, AT_FDCWD, log, O_WRONLY | O_CREAT | O_APPEND | O_CLOEXEC, 0644);
  if (fd < 0) return;
  syscall(SYS_write, (int)fd, line, (size_t)length);
  syscall(SYS_close, (int)fd);
}

static void note_fired_fd(const char *fault, int fd) {
  char link[64];
  char path[4096];
  snprintf(link, sizeof link, "/proc/self/fd/%d", fd);
  ssize_t length = readlink(link, path, sizeof path - 1);
  path[length > 0 ? length : 0] = '\0';
  note_fired(fault, path);
}

static void *next_symbol(const char *name) {
  void *symbol = dlsym(RTLD_NEXT, name);
  if (symbol == NULL) {
    static const char message[] = "fault shim: a wrapped call is missing\n";
    syscall(SYS_write, 2, message, sizeof message - 1);
    abort();
  }
  return symbol;
}

static int enospc_started = 0;

ssize_t write(int fd, const void *data, size_t size) {
  static ssize_t (*real_write)(int, const void *, size_t);
  if (real_write == NULL) real_write = (ssize_t(*)(int, const void *, size_t))next_symbol("write");
  if (fault_is("write") && fd_matches(fd)) {
    note_fired_fd("write", fd);
    errno = EIO;
    return -1;
  }
  if (fault_is("enospc") && fd_matches(fd)) {
    if (!enospc_started && size > 1) {
      enospc_started = 1;
      return real_write(fd, data, size / 2);
    }
    note_fired_fd("enospc", fd);
    errno = ENOSPC;
    return -1;
  }
  return real_write(fd, data, size);
}

int fchmod(int fd, mode_t mode) {
  static int (*real_fchmod)(int, mode_t);
  if (real_fchmod == NULL) real_fchmod = (int (*)(int, mode_t))next_symbol("fchmod");
  if (fault_is("fchmod") && fd_matches(fd)) {
    note_fired_fd("fchmod", fd);
    errno = EPERM;
    return -1;
  }
  return real_fchmod(fd, mode);
}

int fsync(int fd) {
  static int (*real_fsync)(int);
  if (real_fsync == NULL) real_fsync = (int (*)(int))next_symbol("fsync");
  if (fault_is("fsync") && fd_matches(fd)) {
    note_fired_fd("fsync", fd);
    errno = EIO;
    return -1;
  }
  return real_fsync(fd);
}

int close(int fd) {
  static int (*real_close)(int);
  if (real_close == NULL) real_close = (int (*)(int))next_symbol("close");
  if (fault_is("close") && fd_matches(fd)) {
    note_fired_fd("close", fd);
    real_close(fd);
    errno = EIO;
    return -1;
  }
  return real_close(fd);
}

int rename(const char *from, const char *to) {
  static int (*real_rename)(const char *, const char *);
  if (real_rename == NULL) real_rename = (int (*)(const char *, const char *))next_symbol("rename");
  if (path_matches(from) || path_matches(to)) {
    if (fault_is("rename")) {
      note_fired("rename", from);
      errno = EIO;
      return -1;
    }
    if (fault_is("kill_before_rename")) {
      note_fired("kill_before_rename", from);
      kill(getpid(), SIGKILL);
    }
  }
  return real_rename(from, to);
}

pid_t getpid(void) {
  static pid_t (*real_getpid)(void);
  if (real_getpid == NULL) real_getpid = (pid_t(*)(void))next_symbol("getpid");
  if (fault_is("clash")) return 4242;
  return real_getpid();
}

ssize_t getrandom(void *buffer, size_t length, unsigned int flags) {
  static ssize_t (*real_getrandom)(void *, size_t, unsigned int);
  if (real_getrandom == NULL) real_getrandom = (ssize_t(*)(void *, size_t, unsigned int))next_symbol("getrandom");
  if (fault_is("clash")) {
    note_fired("clash", "getrandom");
    memset(buffer, 0x11, length);
    return (ssize_t)length;
  }
  return real_getrandom(buffer, length, flags);
}
