// Drop-down lists whose entries stand for keys (pipe types, sizes, layer systems ...):
// the entries from a query of key and text, filling a list with one selected, and the
// key of the entry chosen.
#pragma once

#include <string>
#include <vector>

#include "projectdb/project_database.h"

class CDialogItem;

struct KeyedEntry {
  int key;
  std::wstring text;
};
using KeyedEntries = std::vector<KeyedEntry>;

// One entry per row of a query selecting a key and a text.
KeyedEntries queryKeyedEntries(const ProjectDatabasePtr& connection, const std::wstring& sql);
// Fills the list and selects the entry of selectedKey; when none has it, the first
// entry (firstWhenMissing) or none.
void fillKeyedList(CDialogItem* list, const KeyedEntries& entries, int selectedKey, bool firstWhenMissing = true);
// The key of the chosen entry; 0 when none is chosen.
int chosenKeyOf(const CDialogItem* list, const KeyedEntries& entries);
