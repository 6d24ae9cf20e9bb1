#include "rfcsim/internal_tables.h"

namespace quarlane::rfcsim {

InternalTable &CreateTable(TableRegistry &registry, const std::string &name, unsigned row_length) {
  auto table = std::make_unique<InternalTable>();
  table->id = registry.next_id++;
  table->name = name;
  table->row_length = row_length;
  InternalTable &created = *table;
  registry.tables[&created] = std::move(table);
  return created;
}

InternalTable *FindTable(const TableRegistry &registry, const void *handle) {
  const auto found = registry.tables.find(handle);
  return found == registry.tables.end() ? nullptr : found->second.get();
}

bool DeleteTable(TableRegistry &registry, const void *handle) {
  return registry.tables.erase(handle) > 0;
}

void AppendRow(InternalTable &table, const Row &row) {
  Row fitted = row;
  fitted.resize(table.row_length, 0);
  table.rows.push_back(std::move(fitted));
}

} // namespace quarlane::rfcsim
