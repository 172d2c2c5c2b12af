// Keyed drop-down lists.
#include "dialogs/keyed_list.h"

#include "dialogs/project_sql.h"
#include "mfc/dialog.h"

KeyedEntries queryKeyedEntries(const ProjectDatabasePtr& connection, const std::wstring& sql) {
  KeyedEntries entries;
  for (const QueryRow& row : queryRows(connection, sql)) entries.push_back({row.integer(0), row.text(1)});
  return entries;
}

void fillKeyedList(CDialogItem* list, const KeyedEntries& entries, int selectedKey, bool firstWhenMissing) {
  list->ResetContent();
  int selected = entries.empty() || !firstWhenMissing ? CB_ERR : 0;
  for (const KeyedEntry& entry : entries) {
    const int index = list->AddString(entry.text.c_str());
    if (entry.key == selectedKey) selected = index;
  }
  list->SetCurSel(selected);
}

int chosenKeyOf(const CDialogItem* list, const KeyedEntries& entries) {
  const int index = list->GetCurSel();
  return index >= 0 && index < static_cast<int>(entries.size()) ? entries[static_cast<std::size_t>(index)].key : 0;
}
