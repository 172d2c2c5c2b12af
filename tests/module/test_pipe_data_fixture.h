// What the pipe's data, filing and breaks tests share: the pipe's class registered for
// the test, a drawing of its own made the working database, a LISP interpreter with
// the module's functions, the command line collected, and filing helpers.
#pragma once

#include <gtest/gtest.h>

#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "arx/aced_print.h"
#include "arx/db_database.h"
#include "lisp/lisp_interpreter.h"
#include "pipe/PlumbPipe.h"

using PipeBytes = std::vector<unsigned char>;

class PipeFixture : public ::testing::Test {
 protected:
  PipeFixture();
  ~PipeFixture() override;

  // Appends the entity to the test drawing's model space and closes it.
  AcDbObjectId add(AcDbEntity* entity);
  AcDbObjectId addLayer(const wchar_t* name);
  AcDbObjectId addTextStyle(const wchar_t* name);
  // Erases (or un-erases) a database object.
  static void erase(AcDbObjectId id, bool erasing = true);

  // Everything the object files through a binary filer of the kind, references
  // resolved in db.
  static PipeBytes fileOut(const AcDbObject& object, AcDb::FilerType type = AcDb::kCopyFiler,
                           AcDbDatabase* db = nullptr);
  static Acad::ErrorStatus fileIn(AcDbObject& object, const PipeBytes& bytes, AcDb::FilerType type = AcDb::kCopyFiler,
                                  AcDbDatabase* db = nullptr);

  // A pipe in no drawing with every field away from its default; its references are
  // records of the test drawing ("Labels" style, "Text" and "Hidden" layers).
  std::unique_ptr<PlumbPipe> fullPipe();

  // The printed value of the text's last form, or "; error: MESSAGE".
  std::wstring eval(const std::string& text);
  // The entity a LISP text answers (null when it answers something else).
  AcDbObjectId idOf(const std::string& text);
  void bind(const wchar_t* symbol, AcDbObjectId id);
  static std::vector<AcDbObjectId> modelSpace(AcDbDatabase& db);
  std::wstring path(const std::string& name) const;

  // Opens the pipe for read, calls fn with it and closes it.
  template <typename Fn>
  void readPipe(AcDbObjectId id, Fn&& fn) {
    PlumbPipe* pipe = nullptr;
    ASSERT_EQ(acdbOpenObject(pipe, id, AcDb::kForRead), Acad::eOk);
    fn(*pipe);
    pipe->close();
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

std::vector<double> asVector(const PlumbArray<double>& list);
// Every field but the three references is the same in both pipes.
void expectSamePipeData(const PlumbPipe& expected, const PlumbPipe& actual);
