// The console host's command line: scripts, --eval and the prompt.
#include "session.h"

#include <algorithm>
#include <cctype>
#include <exception>
#include <vector>

#include "arx/aced_print.h"
#include "arx/ap_doc_manager.h"
#include "lisp/lisp_interpreter.h"
#include "lisp/lisp_printer.h"
#include "lisp/lisp_reader.h"

int HostSession::run(const std::string& utf8, bool showValues) {
  std::vector<LispValue> forms;
  std::wstring readError;
  bool readWhole = lispReadAll(utf8, forms, readError);
  int failed = 0;
  for (const LispValue& form : forms) {
    AcApCommandScope command;
    try {
      LispValue value = lisp_.eval(form);
      // As at the host's own prompt, the value follows whatever the form printed.
      if (showValues) lisp_.printText(lispToString(value) + L"\n");
    } catch (LispError& e) {
      ++failed;
      lisp_.reportError(e);
    } catch (const std::exception& e) {
      ++failed;
      lisp_.printError(acutUtf8ToWide(e.what()));
    }
  }
  // The forms before a reading fault have run, as the host's loader runs them.
  if (!readWhole) {
    ++failed;
    lisp_.printError(readError);
  }
  return failed;
}

int HostSession::runScript(const std::string& utf8) { return run(utf8, false); }

int HostSession::runAtPrompt(const std::string& utf8) { return run(utf8, true); }

namespace {

bool isQuitWord(const std::string& line) {
  std::string word;
  for (char c : line)
    if (!std::isspace(static_cast<unsigned char>(c))) word += static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  return word == "quit" || word == "exit";
}

bool isBlank(const std::string& text) {
  return std::all_of(text.begin(), text.end(), [](char c) { return std::isspace(static_cast<unsigned char>(c)); });
}

// The prompt starts a line of its own, as the host's command line does after a banner
// or a princ that left its line open.
void printPrompt() {
  acedPrintText(acedPrintLineOpen() ? L"\nCommand: " : L"Command: ");
}

}  // namespace

void HostSession::repl(std::istream& in) {
  std::string pending;
  std::string line;
  printPrompt();
  bool promptOpen = true;
  while (std::getline(in, line)) {
    promptOpen = false;
    acedPrintInputEndedLine();
    if (pending.empty() && isQuitWord(line)) break;
    pending += line;
    pending += '\n';
    if (lispInputIncomplete(pending)) {
      acedPrintText(L"(_> ");
      promptOpen = true;
      continue;
    }
    if (!isBlank(pending)) runAtPrompt(pending);
    pending.clear();
    printPrompt();
    promptOpen = true;
  }
  // A form left open at the end of the input is reported as the reader sees it.
  if (!pending.empty()) {
    acedPrintText(L"\n");
    runAtPrompt(pending);
    promptOpen = false;
  }
  if (promptOpen) acedPrintText(L"\n");
}

bool lispInputIncomplete(const std::string& text) {
  int depth = 0;
  size_t i = 0;
  while (i < text.size()) {
    char c = text[i];
    if (c == '"') {
      // A string runs to the next quote that no backslash escapes.
      ++i;
      while (i < text.size() && text[i] != '"') i += text[i] == '\\' ? 2 : 1;
      if (i >= text.size()) return true;
      ++i;
    } else if (c == ';' && i + 1 < text.size() && text[i + 1] == '|') {
      size_t end = text.find("|;", i + 2);
      if (end == std::string::npos) return true;
      i = end + 2;
    } else if (c == ';') {
      size_t end = text.find('\n', i);
      i = end == std::string::npos ? text.size() : end + 1;
    } else {
      if (c == '(') ++depth;
      else if (c == ')') --depth;
      ++i;
    }
  }
  return depth > 0;
}
