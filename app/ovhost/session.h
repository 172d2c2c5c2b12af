// Running LISP as the host's command line does: every top-level form is one command
// (one undo group), an error prints "; error: ..." and the next form runs.
#pragma once

#include <istream>
#include <string>

class LispInterpreter;

class HostSession {
 public:
  explicit HostSession(LispInterpreter& lisp) : lisp_(lisp) {}

  // A script: its forms in turn, their values not shown. Answers how many forms
  // ended in an error (a text that cannot be read to its end counts one more).
  int runScript(const std::string& utf8);
  // Text typed at the prompt (or given with --eval): its forms in turn, each value
  // printed on a line of its own. Answers how many forms ended in an error.
  int runAtPrompt(const std::string& utf8);
  // Reads forms from in until its end or a line "quit" or "exit", prompting with
  // "Command: " and, while a form is still open, with "(_> ".
  void repl(std::istream& in);

 private:
  int run(const std::string& utf8, bool showValues);
  LispInterpreter& lisp_;
};

// True while text holds a form still open: a list not closed, a string or a block
// comment not ended. The prompt then reads another line before evaluating.
bool lispInputIncomplete(const std::string& text);
