// What sizing needs from a project: the customisation of every pipe type (flow
// categories and lookups, sizes, sizing tables and values, label formats) and the rows
// of the drawn pipes, read in a few queries through the host program's connection.
#pragma once

#include <map>
#include <string>
#include <vector>

#include "network/flow_sizing.h"
#include "projectdb/project_sql.h"

// A pipe as the drawing holds it.
struct DrawnPipe {
  int key = 0;  // ixPipe
  AcGePoint3d start, end;
};

struct SizingProject {
  std::map<int, PipeTypeData> types;
  // The drawn pipes that have a live row of a known type, and their project data;
  // drawn[k] is the index into the caller's list of geometry[k] and pipes[k].
  std::vector<std::size_t> drawn;
  std::vector<NetworkPipe> geometry;
  std::vector<SizingPipe> pipes;
  // Drawn pipes left out, each with the reason.
  std::vector<std::pair<int, std::wstring>> left;
};

// The project column that marks a source pipe: the host program's own, added to a
// project's pipe table the first time it is needed.
inline constexpr const wchar_t* kSourceColumn = L"bSource";

bool loadPipeTypes(ProjectSqlConnection& db, std::map<int, PipeTypeData>& types, std::wstring& error);
bool loadSizingProject(ProjectSqlConnection& db, const std::vector<DrawnPipe>& drawn, SizingProject& out,
                       std::wstring& error);
// The flow a pipe of the project carries, in its type's base category: its calculated
// values (all it serves, its own fixtures included) or, before it has been sized, its
// fixed values. 0 for a pipe that is not in the project.
bool projectPipeFlow(ProjectSqlConnection& db, int ixPipe, double& flow, std::wstring& error);
