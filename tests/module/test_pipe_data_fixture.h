// What the pipe's data, filing and breaks tests share: the pipe's class registered for
// the test, a drawing of its own made the working database, a LISP interpreter with
// the module's functions, the command line collected, and filing helpers.
#pragma once

#include <gtest/gtest.h>

#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "entity_fixture.h"
#include "arx/db_database.h"
#include "lisp/lisp_interpreter.h"
#include "pipe/PlumbPipe.h"

using PipeBytes = FiledBytes;

class PipeFixture : public ModuleEntityFixture {
 protected:
  PipeFixture();

  AcDbObjectId addLayer(const wchar_t* name);
  AcDbObjectId addTextStyle(const wchar_t* name);
  // Erases (or un-erases) a database object.
  static void erase(AcDbObjectId id, bool erasing = true);

  // A pipe in no drawing with every field away from its default; its references are
  // records of the test drawing ("Labels" style, "Text" and "Hidden" layers).
  std::unique_ptr<PlumbPipe> fullPipe();

  // Opens the pipe for read, calls fn with it and closes it.
  template <typename Fn>
  void readPipe(AcDbObjectId id, Fn&& fn) {
    PlumbPipe* pipe = nullptr;
    ASSERT_EQ(acdbOpenObject(pipe, id, AcDb::kForRead), Acad::eOk);
    fn(*pipe);
    pipe->close();
  }

};

std::vector<double> asVector(const PlumbArray<double>& list);
// Every field but the three references is the same in both pipes.
void expectSamePipeData(const PlumbPipe& expected, const PlumbPipe& actual);
