// What the tests of the module's entities share: the entity's class registered for the
// test, a drawing of its own made the working database, a LISP interpreter with the
// module's functions, the command line collected, a folder of its own, and helpers to
// add, file and look up entities.
#pragma once

#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "arx/aced_print.h"
#include "arx/db_database.h"
#include "lisp/lisp_interpreter.h"

using FiledBytes = std::vector<unsigned char>;

// How a test registers the class it tests (unless an earlier test left it registered).
struct EntityClassRegistration {
  const wchar_t* className;
  void (*initialise)();
  void (*remove)();
  const char* folderPrefix;  // names the test's own folder
};

class ModuleEntityFixture : public ::testing::Test {
 protected:
  explicit ModuleEntityFixture(const EntityClassRegistration& registration);
  ~ModuleEntityFixture() override;

  // Appends the entity to the test drawing's model space and closes it.
  AcDbObjectId add(AcDbEntity* entity);
  // Everything the object files through a binary filer of the kind, references
  // resolved in db.
  static FiledBytes fileOut(const AcDbObject& object, AcDb::FilerType type = AcDb::kCopyFiler,
                            AcDbDatabase* db = nullptr);
  // Reads filed bytes into the object, answering the status of its reader.
  static Acad::ErrorStatus fileIn(AcDbObject& object, const FiledBytes& bytes, AcDb::FilerType type = AcDb::kCopyFiler,
                                  AcDbDatabase* db = nullptr);
  // The printed value of the text's last form, or "; error: MESSAGE".
  std::wstring eval(const std::string& text);
  // The entity a LISP text answers (null when it answers something else).
  AcDbObjectId idOf(const std::string& text);
  // Binds an entity's name to a LISP symbol.
  void bind(const wchar_t* symbol, AcDbObjectId id);
  // The entities of a drawing's model space, erased ones left out.
  static std::vector<AcDbObjectId> modelSpace(AcDbDatabase& db);
  // A file in the test's own folder, which goes with the test.
  std::wstring path(const std::string& name) const;

  std::filesystem::path folder_;
  AcDbDatabase db_;
  LispInterpreter lisp_;
  std::wstring output_;

 private:
  EntityClassRegistration registration_;
  AcDbDatabase* previousWorking_;
  LispInterpreter* previousLisp_;
  bool registeredHere_ = false;
};
