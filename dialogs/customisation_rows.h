// What the pipe-type customisation dialogs list their rows by: the pipe types and the
// layer systems of the project, each in its sort order, with their names.
#pragma once

#include <string>
#include <vector>

#include "projectdb/project_database.h"

struct NamedKey {
  int key;
  std::wstring name;
  bool hidePipe = false;  // pipe types only: hidden below ductwork
};

std::vector<NamedKey> pipeTypesInOrder(const ProjectDatabasePtr& connection);
std::vector<NamedKey> layerSystemsInOrder(const ProjectDatabasePtr& connection);
