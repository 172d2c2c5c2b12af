// What the tests of the module's entities share: the pipe's and the arrow's classes
// registered for the test, a drawing of its own made the working database, a LISP
// interpreter with the module's functions, the command line collected, a folder of its
// own, and helpers to make, add, file, draw and look up entities.
#pragma once

#include <gtest/gtest.h>

#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "arrow/PlumbPipeArrow.h"
#include "arx/aced_print.h"
#include "arx/db_database.h"
#include "arx/gi_record.h"
#include "lisp/lisp_interpreter.h"
#include "pipe/PlumbPipe.h"

using FiledBytes = std::vector<unsigned char>;

class EntityTest : public ::testing::Test {
 protected:
  EntityTest();
  ~EntityTest() override;

  // Appends the entity to the test drawing's model space and closes it.
  AcDbObjectId add(AcDbEntity* entity);
  AcDbObjectId addLayer(const wchar_t* name);
  AcDbObjectId addTextStyle(const wchar_t* name);
  // Erases (or un-erases) a database object.
  static void erase(AcDbObjectId id, bool erasing = true);
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
  void bind(const wchar_t* symbol, AcDbObjectId id);
  // The entities of a drawing's model space, erased ones left out.
  static std::vector<AcDbObjectId> modelSpace(AcDbDatabase& db);
  // A file in the test's own folder, which goes with the test.
  std::wstring path(const std::string& name) const;
  // The primitives the entity draws.
  static std::vector<GiPrimitive> draw(AcDbEntity& entity);

  // Opens the entity of the class for read, calls fn with it and closes it.
  template <typename T, typename Fn>
  static void read(AcDbObjectId id, Fn&& fn) {
    T* object = nullptr;
    ASSERT_EQ(acdbOpenObject(object, id, AcDb::kForRead), Acad::eOk);
    fn(*object);
    object->close();
  }

  // A pipe in no drawing with every field away from its default; its references are
  // records of the test drawing ("Labels" style, "Text" and "Hidden" layers).
  std::unique_ptr<PlumbPipe> fullPipe();
  // An arrow in no drawing, from start to end with the hangers.
  static std::unique_ptr<PlumbPipeArrow> arrow(const AcGePoint3d& start, const AcGePoint3d& end,
                                               const std::vector<double>& hangers = {});
  // An arrow with every field away from its default.
  static std::unique_ptr<PlumbPipeArrow> fullArrow();

  std::filesystem::path folder_;
  AcDbDatabase db_;
  LispInterpreter lisp_;
  std::wstring output_;

 private:
  AcDbDatabase* previousWorking_;
  LispInterpreter* previousLisp_;
  bool registeredHere_ = false;
};

std::vector<double> asVector(const PlumbArray<double>& list);
// Every field but the three references is the same in both pipes.
void expectSamePipeData(const PlumbPipe& expected, const PlumbPipe& actual);
