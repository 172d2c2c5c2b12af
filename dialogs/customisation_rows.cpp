// The pipe types and layer systems in their order: the keys from the ordering query,
// the names from the record classes.
#include "dialogs/customisation_rows.h"

#include "db/tblLayerSystem.h"
#include "db/tblPipeType.h"
#include "dialogs/project_sql.h"

std::vector<NamedKey> pipeTypesInOrder(const ProjectDatabasePtr& connection) {
  std::vector<NamedKey> types;
  tblPipeType type(connection, false);
  for (const QueryRow& row : queryRows(connection, L"select ixPipeType, iSortOrder from tblPipeType order by iSortOrder"))
    if (type.Find(row.integer(0))) types.push_back({type.ixPipeType(), type.sName(), type.bHidePipe()});
  return types;
}

std::vector<NamedKey> layerSystemsInOrder(const ProjectDatabasePtr& connection) {
  std::vector<NamedKey> systems;
  tblLayerSystem system(connection);
  for (const QueryRow& row :
       queryRows(connection, L"select ixLayerSystem, iSortOrder from tblLayerSystem order by iSortOrder"))
    if (system.Find(row.integer(0))) systems.push_back({system.ixLayerSystem(), system.sDescription()});
  return systems;
}
