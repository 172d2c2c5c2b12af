// Files and folders: findfile and load over the host's search path, the vl-file and
// vl-filename functions, vl-directory-files, vl-mkdir, getenv and setenv.
//
// The search path of findfile and load: the current folder, the current drawing's
// folder, then the folders of the support path, which is the environment variable ACAD
// (folders separated by ";"), as (getenv "ACAD") shows it. A name with a folder in it
// is looked for there only.
#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <optional>
#include <system_error>

#include "arx/aced_print.h"
#include "arx/sysvars.h"
#include "lisp/lisp_args.h"
#include "lisp/lisp_builtins.h"
#include "lisp/lisp_interpreter.h"
#include "lisp/lisp_reader.h"
#include "lisp/wcmatch.h"

namespace fs = std::filesystem;

namespace {

fs::path pathOf(const std::wstring& name) { return fs::path(acutWideToUtf8(name)); }
LispValue pathValue(const fs::path& path) { return LispValue::string(acutUtf8ToWide(path.string())); }

bool isSeparator(wchar_t c) { return c == L'/' || c == L'\\'; }

// ---- the search path ------------------------------------------------------------------

std::optional<std::wstring> environment(const std::wstring& name) {
  const char* value = std::getenv(acutWideToUtf8(name).c_str());
  if (value == nullptr) return std::nullopt;
  return acutUtf8ToWide(value);
}

std::vector<fs::path> searchFolders() {
  std::vector<fs::path> folders{fs::path(".")};
  resbuf prefix{};
  if (acedGetVar(L"DWGPREFIX", &prefix) == RTNORM && prefix.restype == RTSTR) {
    if (prefix.resval.rstring[0] != L'\0') folders.push_back(pathOf(prefix.resval.rstring));
    acutDelString(prefix.resval.rstring);
  }
  std::wstring support = environment(L"ACAD").value_or(L"");
  for (size_t start = 0; start <= support.size();) {
    size_t end = std::min(support.find(L';', start), support.size());
    if (end > start) folders.push_back(pathOf(support.substr(start, end - start)));
    start = end + 1;
  }
  return folders;
}

// The full path of the first file or folder of that name along the search path.
std::optional<fs::path> searchFor(const std::wstring& name) {
  if (name.empty()) return std::nullopt;
  std::error_code ec;
  bool hasFolder = std::any_of(name.begin(), name.end(), isSeparator);
  std::vector<fs::path> candidates;
  if (hasFolder) candidates.push_back(pathOf(name));
  else
    for (const fs::path& folder : searchFolders()) candidates.push_back(folder / pathOf(name));
  for (const fs::path& candidate : candidates) {
    if (fs::exists(candidate, ec)) return fs::absolute(candidate, ec).lexically_normal();
  }
  return std::nullopt;
}

// (load name [onfailure]): a name without an extension is tried with ".lsp" first. The
// forms run in order and the first error ends the load as that error. A file that is
// not found is the error "LOAD failed", unless onfailure is given: then its value, or
// what it answers when it is a function.
LispValue load(LispInterpreter& in, const LispArgs& a) {
  const std::wstring& name = lispStringArg(a[0]);
  std::optional<fs::path> path;
  if (pathOf(name).extension().empty()) path = searchFor(name + L".lsp");
  if (!path) path = searchFor(name);
  std::error_code ec;
  if (path && fs::is_directory(*path, ec)) path.reset();
  std::ifstream file;
  if (path) file.open(*path, std::ios::binary);
  if (!file.is_open()) {
    if (a.size() < 2) throw LispError(L"LOAD failed: \"" + name + L"\"");
    bool callable = a[1].isFunction() || (a[1].isCons() && a[1].car().isSymbol(L"LAMBDA"));
    return callable ? in.apply(a[1], {}) : a[1];
  }
  std::string text((std::istreambuf_iterator<char>(file)), std::istreambuf_iterator<char>());
  std::vector<LispValue> forms;
  std::wstring readError;
  bool readWhole = lispReadAll(text, forms, readError);
  LispValue result;
  for (const LispValue& form : forms) result = in.eval(form);
  if (!readWhole) throw LispError(readError);
  return result;
}

// ---- files and folders ----------------------------------------------------------------

bool isFile(const fs::path& path) {
  std::error_code ec;
  return fs::is_regular_file(path, ec);
}

// Deletes a file (never a folder).
LispValue deleteFile(const std::wstring& name) {
  std::error_code ec;
  return lispBool(isFile(pathOf(name)) && fs::remove(pathOf(name), ec));
}

// Renames a file or folder; a name that is taken already is not overwritten.
LispValue renameFile(const std::wstring& from, const std::wstring& to) {
  std::error_code ec;
  if (!fs::exists(pathOf(from), ec) || fs::exists(pathOf(to), ec)) return LispValue();
  fs::rename(pathOf(from), pathOf(to), ec);
  return lispBool(!ec);
}

// Copies a file to a new one, or to the end of an existing one when append is given
// and not nil; a file that is there already is otherwise left alone. The answer is
// the number of bytes copied, or nil.
LispValue copyFile(const std::wstring& from, const std::wstring& to, bool append) {
  std::error_code ec;
  fs::path source = pathOf(from), target = pathOf(to);
  if (!isFile(source) || (!append && fs::exists(target, ec)) || fs::equivalent(source, target, ec)) return LispValue();
  std::ifstream in(source, std::ios::binary);
  std::ofstream out(target, std::ios::binary | (append ? std::ios::app : std::ios::trunc));
  if (!in || !out) return LispValue();
  std::string bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
  if (!out) return LispValue();
  return LispValue::integer(static_cast<std::int32_t>(bytes.size()));
}

// A name pattern as the host's file dialogs take it, "*" and "?" (any case), turned
// into a wild-card pattern of wcmatch; "*.*" is every name, with a point or not.
std::wstring wildcardOfFilePattern(const std::wstring& pattern) {
  if (pattern == L"*.*") return L"*";
  std::wstring converted;
  for (wchar_t c : pattern) {
    if (c != L'*' && c != L'?') converted += L'`';
    converted += c;
  }
  return converted;
}

// (vl-directory-files [folder pattern which]): the names in a folder (the current one
// for nil), which -1 folders only, 1 files only, otherwise both; a folder's list starts
// with "." and "..". Names come sorted by their character codes; nil for a folder that
// is not there.
LispValue directoryFiles(const LispArgs& a) {
  fs::path folder = a.empty() || a[0].isNil() ? fs::path(".") : pathOf(lispStringArg(a[0]));
  std::wstring pattern = a.size() < 2 || a[1].isNil() ? L"*.*" : lispStringArg(a[1]);
  std::int32_t which = a.size() < 3 || a[2].isNil() ? 0 : lispIntArg(a[2]);
  std::error_code ec;
  if (!fs::is_directory(folder, ec)) return LispValue();
  std::vector<std::wstring> names;
  if (which <= 0) names = {L".", L".."};
  for (fs::directory_iterator it(folder, ec), end; !ec && it != end; it.increment(ec)) {
    bool isFolder = it->is_directory(ec);
    if ((which < 0 && isFolder) || (which > 0 && !isFolder) || which == 0)
      names.push_back(acutUtf8ToWide(it->path().filename().string()));
  }
  std::sort(names.begin() + (which <= 0 ? 2 : 0), names.end());
  std::wstring wildcard = wildcardOfFilePattern(pattern);
  LispArgs matching;
  for (const std::wstring& name : names) {
    if (lispWcMatch(name, wildcard, true)) matching.push_back(LispValue::string(name));
  }
  return LispValue::list(matching);
}

// ---- file names -------------------------------------------------------------------------

// A name's folder, base name and extension, with "/" or "\" between folders:
// "c:\\acad\\acad.exe" is "c:\\acad", "acad" and ".exe".
struct NameParts {
  std::wstring folder, base, extension;
};

NameParts partsOf(const std::wstring& name) {
  size_t slash = name.find_last_of(L"/\\");
  NameParts parts;
  std::wstring file = slash == std::wstring::npos ? name : name.substr(slash + 1);
  if (slash != std::wstring::npos) parts.folder = name.substr(0, slash);
  size_t dot = file.rfind(L'.');
  parts.base = dot == std::wstring::npos ? file : file.substr(0, dot);
  if (dot != std::wstring::npos) parts.extension = file.substr(dot);
  return parts;
}

}  // namespace

void lispDefineFileBuiltins(LispInterpreter& in) {
  in.defineBuiltin(L"findfile", 1, 1, [](LispInterpreter&, const LispArgs& a) {
    std::optional<fs::path> found = searchFor(lispStringArg(a[0]));
    return found ? pathValue(*found) : LispValue();
  });
  in.defineBuiltin(L"load", 1, 2, load);
  in.defineBuiltin(L"vl-file-delete", 1, 1, [](LispInterpreter&, const LispArgs& a) {
    return deleteFile(lispStringArg(a[0]));
  });
  in.defineBuiltin(L"vl-file-rename", 2, 2, [](LispInterpreter&, const LispArgs& a) {
    return renameFile(lispStringArg(a[0]), lispStringArg(a[1]));
  });
  in.defineBuiltin(L"vl-file-copy", 2, 3, [](LispInterpreter&, const LispArgs& a) {
    return copyFile(lispStringArg(a[0]), lispStringArg(a[1]), a.size() > 2 && !a[2].isNil());
  });
  in.defineBuiltin(L"vl-file-directory-p", 1, 1, [](LispInterpreter&, const LispArgs& a) {
    std::error_code ec;
    return lispBool(fs::is_directory(pathOf(lispStringArg(a[0])), ec));
  });
  in.defineBuiltin(L"vl-directory-files", 0, 3, [](LispInterpreter&, const LispArgs& a) { return directoryFiles(a); });
  in.defineBuiltin(L"vl-filename-base", 1, 1, [](LispInterpreter&, const LispArgs& a) {
    return LispValue::string(partsOf(lispStringArg(a[0])).base);
  });
  in.defineBuiltin(L"vl-filename-extension", 1, 1, [](LispInterpreter&, const LispArgs& a) {
    std::wstring extension = partsOf(lispStringArg(a[0])).extension;
    return extension.empty() ? LispValue() : LispValue::string(extension);
  });
  in.defineBuiltin(L"vl-filename-directory", 1, 1, [](LispInterpreter&, const LispArgs& a) {
    return LispValue::string(partsOf(lispStringArg(a[0])).folder);
  });
  in.defineBuiltin(L"vl-mkdir", 1, 1, [](LispInterpreter&, const LispArgs& a) {
    const std::wstring& name = lispStringArg(a[0]);
    std::error_code ec;
    return lispBool(!name.empty() && fs::create_directory(pathOf(name), ec));
  });
  // The host has no registry of its own: its environment is the process's.
  in.defineBuiltin(L"getenv", 1, 1, [](LispInterpreter&, const LispArgs& a) {
    std::optional<std::wstring> value = environment(lispStringArg(a[0]));
    return value ? LispValue::string(*value) : LispValue();
  });
  in.defineBuiltin(L"setenv", 2, 2, [](LispInterpreter&, const LispArgs& a) {
    if (::setenv(acutWideToUtf8(lispStringArg(a[0])).c_str(), acutWideToUtf8(lispStringArg(a[1])).c_str(), 1) != 0)
      lispBadValue(L"environment variable", a[0]);
    return a[1];
  });
}
