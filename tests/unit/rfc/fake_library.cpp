#include "fake_library.h"

#include <atomic>
#include <chrono>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <sstream>

namespace quarlane {
namespace fake {
namespace {

State g_state;
char g_table_object;
char g_row[CPU_ALL_ROW_LENGTH];

std::optional<std::string> TextOrNull(const char *text) {
  if (!text) return std::nullopt;
  return std::string(text);
}

std::vector<Entry> ParameterEntries(const RFC_PARAMETER *list, bool copy_values) {
  std::vector<Entry> entries;
  for (; list && list->name; ++list) {
    Entry entry;
    entry.name.assign(static_cast<const char *>(list->name), list->nlen);
    entry.nlen = list->nlen;
    entry.type = list->type;
    entry.leng = list->leng;
    if (copy_values && list->addr)
      entry.value.assign(static_cast<const char *>(list->addr), list->leng);
    entries.push_back(entry);
  }
  return entries;
}

std::vector<Entry> TableEntries(const RFC_TABLE *list) {
  std::vector<Entry> entries;
  for (; list && list->name; ++list) {
    Entry entry;
    entry.name.assign(static_cast<const char *>(list->name), list->nlen);
    entry.nlen = list->nlen;
    entry.type = list->type;
    entry.leng = list->leng;
    entry.ithandle = list->ithandle;
    entry.itmode = list->itmode;
    entry.newitab = list->newitab;
    entries.push_back(entry);
  }
  return entries;
}

void RFC_CALL FakeEnvironment(RFC_ENV *env) {
  g_state.calls.push_back("RfcEnvironment");
  g_state.environment = *env;
}

RFC_HANDLE RFC_CALL FakeOpen(RFC_OPTIONS *options) {
  g_state.calls.push_back("RfcOpen");
  g_state.options = *options;
  g_state.destination = TextOrNull(options->destination);
  g_state.client = TextOrNull(options->client);
  g_state.user = TextOrNull(options->user);
  g_state.password = TextOrNull(options->password);
  g_state.language = TextOrNull(options->language);
  if (options->mode == 1) {
    auto *gateway = static_cast<RFC_CONNOPT_GATEWAY *>(options->connopt);
    g_state.gateway_host = TextOrNull(gateway->gateway_host);
    g_state.gateway_service = TextOrNull(gateway->gateway_service);
  } else {
    auto *host = static_cast<RFC_CONNOPT_HOST *>(options->connopt);
    g_state.hostname = TextOrNull(host->hostname);
    g_state.sysnr = host->sysnr;
    g_state.gateway_host = TextOrNull(host->gateway_host);
    g_state.gateway_service = TextOrNull(host->gateway_service);
  }
  if (g_state.during_open) g_state.during_open();
  return g_state.open_result;
}

RFC_HANDLE RFC_CALL FakeOpenEx(char *connect_string, RFC_ERROR_INFO_EX *) {
  g_state.calls.push_back("RfcOpenEx");
  g_state.connect_string = connect_string;
  if (g_state.during_open_ex) g_state.during_open_ex();
  return g_state.open_result;
}

void RFC_CALL FakeClose(RFC_HANDLE handle) {
  g_state.calls.push_back("RfcClose");
  g_state.closed.push_back(handle);
}

int RFC_CALL FakeInstallStructure(char *name, RFC_TYPE_ELEMENT *elements, unsigned entries,
                                  RFC_TYPEHANDLE *type_handle) {
  g_state.calls.push_back(std::string("RfcInstallStructure ") + name);
  Install install;
  install.name = name;
  for (unsigned i = 0; i < entries; ++i)
    install.elements.push_back(Element{elements[i].name, elements[i].type, elements[i].length,
                                       elements[i].decimals, elements[i].offset});
  g_state.installs.push_back(install);
  if (g_state.install_result == 0) *type_handle = g_state.next_type++;
  return g_state.install_result;
}

RFC_RC RFC_CALL FakeCall(RFC_HANDLE handle, char *function, RFC_PARAMETER *exporting,
                         RFC_TABLE *tables) {
  g_state.calls.push_back(std::string("RfcCall ") + function);
  g_state.function = function;
  g_state.call_handle = handle;
  g_state.exporting = ParameterEntries(exporting, true);
  g_state.call_tables = TableEntries(tables);
  g_state.call_table_list = tables;
  return g_state.call_result;
}

RFC_RC RFC_CALL FakeReceive(RFC_HANDLE handle, RFC_PARAMETER *importing, RFC_TABLE *tables,
                            char **exception) {
  g_state.calls.push_back("RfcReceive");
  g_state.receive_handle = handle;
  g_state.importing = ParameterEntries(importing, false);
  g_state.receive_tables = TableEntries(tables);
  g_state.receive_table_list = tables;
  // Exactly leng bytes, no terminator, as the library delivers them.
  for (RFC_PARAMETER *p = importing; p->name; ++p) {
    std::string name(static_cast<const char *>(p->name), p->nlen);
    auto found = g_state.received.find(name);
    if (found == g_state.received.end()) continue;
    std::string bytes = found->second;
    bytes.resize(p->leng, ' ');
    std::memcpy(p->addr, bytes.data(), p->leng);
  }
  *exception = const_cast<char *>(g_state.exception);
  return g_state.receive_result;
}

int RFC_CALL FakeLastError(RFC_ERROR_INFO *info) {
  g_state.calls.push_back("RfcLastError");
  *info = g_state.last_error;
  return 0;
}

ITAB_H RFC_CALL FakeItCreate(char *name, unsigned leng, unsigned occu, unsigned memo) {
  g_state.calls.push_back("ItCreate");
  g_state.created_table = name;
  g_state.created_leng = leng;
  g_state.created_occu = occu;
  g_state.created_memo = memo;
  return g_state.create_fails ? nullptr : &g_table_object;
}

// The scripted rows of the table last created, if any.
std::vector<std::string> *ScriptedRows() {
  const auto found = g_state.table_rows.find(g_state.created_table);
  return found == g_state.table_rows.end() ? nullptr : &found->second;
}

unsigned RFC_CALL FakeItFill(ITAB_H) {
  g_state.calls.push_back("ItFill");
  if (const std::vector<std::string> *rows = ScriptedRows())
    return static_cast<unsigned>(rows->size());
  return g_state.rows.empty() ? g_state.fill : static_cast<unsigned>(g_state.rows.size());
}

void *RFC_CALL FakeItGetLine(ITAB_H, unsigned line) {
  g_state.lines_read.push_back(line);
  if (std::vector<std::string> *rows = ScriptedRows())
    return line == 0 || line > rows->size() ? nullptr : &(*rows)[line - 1][0];
  if (line == g_state.null_line || line == 0) return nullptr;
  if (!g_state.rows.empty())
    return line > g_state.rows.size() ? nullptr : &g_state.rows[line - 1][0];
  if (line > g_state.fill) return nullptr;
  return g_row;
}

int RFC_CALL FakeItDelete(ITAB_H) {
  g_state.calls.push_back("ItDelete");
  return g_state.delete_result;
}

RfcLibrary MakeLibrary() {
  RfcLibrary library;
  library.path = "fake librfc32";
  // Every function of the boundary: a fake missing for one does not build.
#define FAKE_FUNCTION(name, operation, ...) library.name = Fake##operation;
  QUARLANE_RFC_FUNCTIONS(FAKE_FUNCTION)
#undef FAKE_FUNCTION
  return library;
}

} // namespace

State &Script() { return g_state; }
void Reset() { g_state = State{}; }

const RfcLibrary &Library() {
  static const RfcLibrary library = MakeLibrary();
  return library;
}

ITAB_H TableHandle() { return &g_table_object; }

int CallCount(const std::string &function) {
  int count = 0;
  for (const std::string &call : g_state.calls)
    if (call == function || call.compare(0, function.size() + 1, function + " ") == 0) ++count;
  return count;
}

} // namespace fake

namespace fs = std::filesystem;

ScopedWorkFolder::ScopedWorkFolder(const std::string &name) {
  static std::atomic<unsigned> counter{0};
  previous_ = fs::current_path().string();
  const auto stamp = std::chrono::steady_clock::now().time_since_epoch().count();
  fs::path folder =
      fs::temp_directory_path() /
      ("quarlane-rfc-" +
       (name.empty() ? std::to_string(stamp) + "-" + std::to_string(counter++) : name));
  fs::create_directories(folder);
  folder_ = folder.string();
  fs::current_path(folder);
}

ScopedWorkFolder::~ScopedWorkFolder() {
  std::error_code ignored;
  fs::current_path(previous_, ignored);
  fs::remove_all(folder_, ignored);
}

std::string ScopedWorkFolder::Path(const std::string &name) const {
  return (fs::path(folder_) / name).string();
}

std::optional<std::string> FileContent(const std::string &path) {
  std::ifstream in(path, std::ios::binary);
  if (!in) return std::nullopt;
  std::ostringstream content;
  content << in.rdbuf();
  return content.str();
}

void WriteFile(const std::string &path, const std::string &bytes) {
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
}

} // namespace quarlane
