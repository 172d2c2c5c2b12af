// What the flow arrow's tests share: the arrow's class registered for the test, a
// drawing of its own made the working database, a LISP interpreter with the module's
// functions, the command line collected, and small helpers to draw and file arrows.
#pragma once

#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "arrow/PlumbPipeArrow.h"
#include "arx/aced_print.h"
#include "arx/db_database.h"
#include "arx/gi_record.h"
#include "lisp/lisp_interpreter.h"

class ArrowTest : public ::testing::Test {
 public:
  // An arrow from start to end with the given hangers, in no drawing (so that it is
  // always readable and writable).
  static PlumbPipeArrow* makeArrow(const AcGePoint3d& start, const AcGePoint3d& end,
                                   const std::vector<double>& hangers = {});

 protected:
  ArrowTest();
  ~ArrowTest() override;

  // Appends the entity to the test drawing's model space and closes it.
  AcDbObjectId add(AcDbEntity* entity);
  // The primitives the entity draws (it must be readable).
  static std::vector<GiPrimitive> draw(AcDbEntity& entity);
  // Everything the object files through a binary filer of the kind.
  static std::vector<unsigned char> fileOut(const AcDbObject& object, AcDb::FilerType type = AcDb::kCopyFiler);
  // Reads filed bytes into the object, answering the status of its reader.
  static Acad::ErrorStatus fileIn(AcDbObject& object, const std::vector<unsigned char>& bytes,
                                  AcDb::FilerType type = AcDb::kCopyFiler);

  // The printed value of the text's last form, or "; error: MESSAGE".
  std::wstring eval(const std::string& text);
  // The entity a LISP text answers (null when it answers something else).
  AcDbObjectId idOf(const std::string& text);
  // Binds an entity's name to a LISP symbol.
  void bind(const wchar_t* symbol, AcDbObjectId id);
  int modelSpaceCount();
  // The entities of a drawing's model space, erased ones left out.
  static std::vector<AcDbObjectId> modelSpace(AcDbDatabase& db);
  // A file in the test's own folder, which goes with the test.
  std::wstring path(const std::string& name) const;

  // Opens the arrow for read, calls fn with it and closes it.
  template <typename Fn>
  void readArrow(AcDbObjectId id, Fn&& fn) {
    PlumbPipeArrow* arrow = nullptr;
    ASSERT_EQ(acdbOpenObject(arrow, id, AcDb::kForRead), Acad::eOk);
    fn(*arrow);
    arrow->close();
  }

  std::filesystem::path folder_;
  AcDbDatabase db_;
  LispInterpreter lisp_;
  std::wstring output_;

 private:
  AcDbDatabase* previousWorking_;
  LispInterpreter* previousLisp_;
  bool registeredHere_ = false;
};

// The length of a two-point stroke and its points, for the drawing tests.
double strokeLength(const GiPrimitive& stroke);
