// What the flow arrow's tests share: the arrow's class registered for the test, a
// drawing of its own made the working database, a LISP interpreter with the module's
// functions, the command line collected, and small helpers to draw and file arrows.
#pragma once

#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "arrow/PlumbPipeArrow.h"
#include "entity_fixture.h"
#include "arx/db_database.h"
#include "arx/gi_record.h"
#include "lisp/lisp_interpreter.h"

class ArrowTest : public ModuleEntityFixture {
 public:
  // An arrow from start to end with the given hangers, in no drawing (so that it is
  // always readable and writable).
  static PlumbPipeArrow* makeArrow(const AcGePoint3d& start, const AcGePoint3d& end,
                                   const std::vector<double>& hangers = {});

 protected:
  ArrowTest();

  // The primitives the entity draws (it must be readable).
  static std::vector<GiPrimitive> draw(AcDbEntity& entity);
  int modelSpaceCount();
  // Opens the arrow for read, calls fn with it and closes it.
  template <typename Fn>
  void readArrow(AcDbObjectId id, Fn&& fn) {
    PlumbPipeArrow* arrow = nullptr;
    ASSERT_EQ(acdbOpenObject(arrow, id, AcDb::kForRead), Acad::eOk);
    fn(*arrow);
    arrow->close();
  }

};

// The length of a two-point stroke and its points, for the drawing tests.
double strokeLength(const GiPrimitive& stroke);
