// The library's internal tables (ItCreate and friends). A handle is only ever
// used after it was found in the registry, so a stale or foreign handle
// cannot make the library touch memory it does not own.
#ifndef QUARLANE_RFCSIM_INTERNAL_TABLES_H
#define QUARLANE_RFCSIM_INTERNAL_TABLES_H

#include <map>
#include <memory>
#include <string>
#include <vector>

#include "rfcsim/row_layout.h"

namespace quarlane::rfcsim {

struct InternalTable {
  unsigned id = 0;  // 1, 2, ... in order of creation: how the call log names it
  std::string name; // as given to ItCreate
  unsigned row_length = 0;
  std::vector<Row> rows;
};

struct TableRegistry {
  std::map<const void *, std::unique_ptr<InternalTable>> tables; // by handle
  unsigned next_id = 1;
};

// The new table; its address is the handle.
InternalTable &CreateTable(TableRegistry &registry, const std::string &name, unsigned row_length);

// The table behind a handle, or NULL for a handle the registry does not know.
InternalTable *FindTable(const TableRegistry &registry, const void *handle);

bool DeleteTable(TableRegistry &registry, const void *handle);

// Appends a row cut or zero-filled to the table's own row length.
void AppendRow(InternalTable &table, const Row &row);

} // namespace quarlane::rfcsim

#endif
