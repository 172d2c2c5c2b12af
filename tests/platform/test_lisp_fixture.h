// A LISP interpreter for one test, made current for the host's LISP calls, with the
// command-line output collected.
#pragma once

#include <gtest/gtest.h>

#include <string>

#include "arx/aced_print.h"
#include "lisp/lisp_interpreter.h"
#include "lisp/lisp_printer.h"

class LispFixture : public ::testing::Test {
 protected:
  LispFixture() {
    previousSink_ = acedSetPrintSink([this](const std::wstring& text) { output_ += text; });
  }
  ~LispFixture() override { acedSetPrintSink(previousSink_); }

  // The printed value of the text's last form, or "; error: MESSAGE".
  std::wstring eval(const std::string& text) { return lisp_.evaluateToText(text); }

  // What a script printed, forgetting earlier output.
  std::wstring runScript(const std::string& text) {
    output_.clear();
    lisp_.evaluateScript(text);
    return output_;
  }

  LispInterpreter lisp_;
  LispCurrentScope current_{lisp_};
  std::wstring output_;

 private:
  AcedPrintSink previousSink_;
};
