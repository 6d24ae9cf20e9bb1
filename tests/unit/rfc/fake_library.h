// A scripted stand-in for the RFC library: plain functions with the library's
// calling convention that record what they are given and answer as told.
#ifndef QUARLANE_TESTS_UNIT_RFC_FAKE_LIBRARY_H
#define QUARLANE_TESTS_UNIT_RFC_FAKE_LIBRARY_H

#include <cstdio>
#include <functional>
#include <map>
#include <optional>
#include <string>
#include <vector>

#include "rfc/session.h"

namespace quarlane {
namespace fake {

// A parameter or table entry as the library saw it.
struct Entry {
  std::string name;
  unsigned nlen = 0;
  RFC_TYPEHANDLE type = 0;
  unsigned leng = 0;
  std::string value; // exporting: the leng bytes passed
  ITAB_H ithandle = nullptr;
  int itmode = 0, newitab = 0;
};

struct Element {
  std::string name;
  RFC_TYPEHANDLE type = 0;
  unsigned length = 0, decimals = 0, offset = 0;
};

struct Install {
  std::string name;
  std::vector<Element> elements;
};

struct State {
  // Scripted answers.
  RFC_HANDLE open_result = 5;
  RFC_RC call_result = RFC_OK;
  RFC_RC receive_result = RFC_OK;
  const char *exception = nullptr;
  int install_result = 0;
  RFC_TYPEHANDLE next_type = 100;
  bool create_fails = false;
  unsigned fill = 0;
  unsigned null_line = 0; // ItGetLine answers null for this line (0: none)
  // The table's rows, each as many bytes as a row has: when there are any,
  // ItFill answers their count and ItGetLine each row (not `fill`).
  std::vector<std::string> rows;
  int delete_result = 0;
  std::map<std::string, std::string>
      received; // importing name -> bytes written (blank-filled to leng)
  RFC_ERROR_INFO last_error{};
  std::function<void()> during_open_ex; // called inside RfcOpenEx, before it answers
  std::function<void()> during_open;    // called inside RfcOpen, before it answers
  // The rows of a table by the name it was created with: while the table
  // last created has rows here, ItFill counts them and ItGetLine answers them
  // (each row as long as the table's lines); otherwise fill and a zero row.
  std::map<std::string, std::vector<std::string>> table_rows;

  // What was passed.
  std::vector<std::string> calls; // "RfcOpen", "RfcCall GET_CPU_ALL", "ItDelete", ...
  RFC_OPTIONS options{};
  std::optional<std::string> destination, client, user, password, language;
  std::optional<std::string> hostname, gateway_host, gateway_service;
  int sysnr = -1;
  std::string connect_string;
  RFC_ENV environment{};
  std::vector<RFC_HANDLE> closed;
  std::vector<Install> installs;
  std::string created_table;
  unsigned created_leng = 0, created_occu = 0, created_memo = 0;
  std::vector<Entry> exporting, call_tables, importing, receive_tables;
  RFC_TABLE *call_table_list = nullptr, *receive_table_list = nullptr;
  RFC_HANDLE call_handle = 0, receive_handle = 0;
  std::vector<unsigned> lines_read;
  std::string function; // the function of the last RfcCall, as passed
};

// The fake's state; Reset() before each test.
State &Script();
void Reset();

// A library whose every function is the fake's.
const RfcLibrary &Library();

// The table handle the fake's ItCreate hands out.
ITAB_H TableHandle();

// How many calls of `function` the fake was given ("RfcCall" counts every
// "RfcCall NAME").
int CallCount(const std::string &function);

} // namespace fake

// Runs a test inside a temporary folder and returns to the previous one. A
// named folder is the same for every process that asks for it, so a death
// test's child (which may run the test again from the start) writes where
// the parent reads.
class ScopedWorkFolder {
public:
  explicit ScopedWorkFolder(const std::string &name = std::string());
  ~ScopedWorkFolder();
  ScopedWorkFolder(const ScopedWorkFolder &) = delete;
  ScopedWorkFolder &operator=(const ScopedWorkFolder &) = delete;
  std::string Path(const std::string &name) const; // absolute path of a file in the folder
private:
  std::string previous_;
  std::string folder_;
};

// The whole content of a file, or nullopt when it cannot be read.
std::optional<std::string> FileContent(const std::string &path);
void WriteFile(const std::string &path, const std::string &bytes);

} // namespace quarlane

#endif
