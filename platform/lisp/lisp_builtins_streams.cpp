// Files as streams: open and close, read-line and read-char, write-line and write-char.
// Text is UTF-8 on disk; a line may end in LF or CR LF, and either reads as one end of
// line. Without a file the reading functions read the user's next input and the
// writing ones write to the command line.
#include <cstdio>
#include <filesystem>
#include <memory>
#include <optional>

#include "arx/aced_print.h"
#include "lisp/lisp_args.h"
#include "lisp/lisp_builtins.h"
#include "lisp/lisp_interpreter.h"
#include "lisp/lisp_printer.h"
#include "mfc/ui_driver.h"

namespace {

// An open file. The value is shared by every copy of the descriptor, so that close
// through one closes it for all; whatever is still open when the last copy goes is
// closed then.
struct FileState {
  std::FILE* file = nullptr;
  bool reading = false;
  ~FileState() {
    if (file != nullptr) std::fclose(file);
  }
};

class LispFile : public LispHostObject {
 public:
  LispFile(std::wstring name, std::FILE* file, bool reading)
      : name_(std::move(name)), state_(std::make_shared<FileState>()) {
    state_->file = file;
    state_->reading = reading;
  }
  std::wstring typeName() const override { return L"FILE"; }
  std::wstring printedForm() const override { return L"#<file " + lispToString(LispValue::string(name_)) + L">"; }
  FileState& state() const { return *state_; }

 private:
  std::wstring name_;
  std::shared_ptr<FileState> state_;
};

// (open name mode): "r" reads, "w" writes a new file (emptying one that is there), "a"
// writes at the end. nil when the file cannot be opened (a folder cannot). A third
// argument (the encoding) is taken and ignored: files are UTF-8.
LispValue openFile(const LispArgs& a) {
  const std::wstring& name = lispStringArg(a[0]);
  std::wstring mode = lispUpperName(lispStringArg(a[1]));
  if (mode != L"R" && mode != L"W" && mode != L"A") lispBadValue(L"open mode", a[1]);
  std::error_code ec;
  if (std::filesystem::is_directory(std::filesystem::path(acutWideToUtf8(name)), ec)) return LispValue();
  std::FILE* file = std::fopen(acutWideToUtf8(name).c_str(), mode == L"R" ? "rb" : (mode == L"W" ? "wb" : "ab"));
  if (file == nullptr) return LispValue();
  return LispValue::fromObject(std::make_shared<LispFile>(name, file, mode == L"R"));
}

// The file argument of a reading or writing function: null when it is absent or nil.
// A closed file, one opened the other way, or another value is refused.
std::FILE* streamArg(const LispArgs& a, size_t index, bool reading) {
  if (a.size() <= index || a[index].isNil()) return nullptr;
  const auto* file = a[index].hostObjectAs<LispFile>();
  if (file == nullptr || file->state().file == nullptr || file->state().reading != reading)
    lispBadArgument(L"streamp", a[index]);
  return file->state().file;
}

// One character of UTF-8 (a byte that is not valid UTF-8 reads as itself); nothing at
// the end of the file. CR LF reads as LF.
std::optional<wchar_t> readCharacter(std::FILE* file) {
  int c = std::fgetc(file);
  if (c == EOF) return std::nullopt;
  if (c == '\r') {
    int next = std::fgetc(file);
    if (next == '\n') return L'\n';
    if (next != EOF) std::ungetc(next, file);
    return L'\r';
  }
  int extra = (c & 0xE0) == 0xC0 ? 1 : (c & 0xF0) == 0xE0 ? 2 : (c & 0xF8) == 0xF0 ? 3 : 0;
  std::string bytes(1, static_cast<char>(c));
  for (int k = 0; k < extra; ++k) {
    int more = std::fgetc(file);
    if (more == EOF || (more & 0xC0) != 0x80) {
      if (more != EOF) std::ungetc(more, file);
      return static_cast<wchar_t>(c);
    }
    bytes += static_cast<char>(more);
  }
  std::wstring wide = acutUtf8ToWide(bytes);
  return wide.size() == 1 ? wide[0] : static_cast<wchar_t>(c);
}

// What the user types next, for the reading functions given no file; the rest of the
// line waits for the next read-char.
std::wstring& typedAhead() {
  static std::wstring pending;
  return pending;
}

std::optional<std::wstring> typedLine() {
  if (!typedAhead().empty()) {
    std::wstring line = typedAhead();
    typedAhead().clear();
    if (!line.empty() && line.back() == L'\n') line.pop_back();
    return line;
  }
  std::optional<std::wstring> typed = uiDriver().readInput(L"");
  if (!typed) throw LispError(L"Function cancelled");
  return typed;
}

LispValue readLine(const LispArgs& a) {
  std::FILE* file = streamArg(a, 0, true);
  if (file == nullptr) return LispValue::string(*typedLine());
  std::wstring line;
  std::optional<wchar_t> c = readCharacter(file);
  if (!c) return LispValue();
  for (; c && *c != L'\n'; c = readCharacter(file)) line += *c;
  return LispValue::string(line);
}

LispValue readChar(const LispArgs& a) {
  std::FILE* file = streamArg(a, 0, true);
  if (file == nullptr) {
    if (typedAhead().empty()) typedAhead() = *typedLine() + L"\n";
    wchar_t c = typedAhead().front();
    typedAhead().erase(0, 1);
    return LispValue::integer(c);
  }
  std::optional<wchar_t> c = readCharacter(file);
  return c ? LispValue::integer(static_cast<std::int32_t>(*c)) : LispValue();
}

void writeText(LispInterpreter& in, std::FILE* file, const std::wstring& text) {
  if (file == nullptr) {
    in.printText(text);
    return;
  }
  std::string bytes = acutWideToUtf8(text);
  if (std::fwrite(bytes.data(), 1, bytes.size(), file) != bytes.size()) throw LispError(L"file write error");
}

}  // namespace

void lispDefineStreamBuiltins(LispInterpreter& in) {
  in.defineBuiltin(L"open", 2, 3, [](LispInterpreter&, const LispArgs& a) { return openFile(a); });
  in.defineBuiltin(L"close", 1, 1, [](LispInterpreter&, const LispArgs& a) {
    const auto* file = a[0].hostObjectAs<LispFile>();
    if (file == nullptr || file->state().file == nullptr) lispBadArgument(L"streamp", a[0]);
    std::fclose(file->state().file);
    file->state().file = nullptr;
    return LispValue();
  });
  in.defineBuiltin(L"read-line", 0, 1, [](LispInterpreter&, const LispArgs& a) { return readLine(a); });
  in.defineBuiltin(L"read-char", 0, 1, [](LispInterpreter&, const LispArgs& a) { return readChar(a); });
  in.defineBuiltin(L"write-line", 1, 2, [](LispInterpreter& i, const LispArgs& a) {
    writeText(i, streamArg(a, 1, false), lispStringArg(a[0]) + L"\n");
    return a[0];
  });
  in.defineBuiltin(L"write-char", 1, 2, [](LispInterpreter& i, const LispArgs& a) {
    writeText(i, streamArg(a, 1, false), std::wstring(1, static_cast<wchar_t>(lispIntArg(a[0]))));
    return a[0];
  });
}
