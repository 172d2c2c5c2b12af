// The file dialog: what it proposes to the UI driver and what it makes of the answer.
#include "mfc/file_dialog.h"

#include <filesystem>

#include "arx/aced_print.h"
#include "mfc/message_box.h"
#include "mfc/ui_driver.h"

namespace {

namespace fs = std::filesystem;

// The last separator of either kind: the module writes Windows paths.
std::size_t lastSeparator(const std::wstring& path) { return path.find_last_of(L"\\/"); }

}  // namespace

CFileDialog::CFileDialog(BOOL openFileDialog, LPCTSTR defaultExtension, LPCTSTR fileName, DWORD flags,
                         LPCTSTR filter, CWnd* parent)
    : open_(openFileDialog),
      defaultExtension_(defaultExtension ? defaultExtension : L""),
      proposed_(fileName ? fileName : L""),
      filter_(filter ? filter : L""),
      parent_(parent) {
  m_ofn.Flags = flags;
  m_ofn.lpstrDefExt = defaultExtension_.empty() ? nullptr : defaultExtension_.c_str();
  m_ofn.hwndOwner = parent ? parent->GetSafeHwnd() : nullptr;
}

INT_PTR CFileDialog::DoModal() {
  path_.clear();
  std::wstring folder = m_ofn.lpstrInitialDir ? m_ofn.lpstrInitialDir : L"";
  std::wstring name = proposed_;
  const std::size_t cut = lastSeparator(proposed_);
  if (cut != std::wstring::npos) {
    folder = proposed_.substr(0, cut + 1);
    name = proposed_.substr(cut + 1);
  }
  const std::wstring title = m_ofn.lpstrTitle ? m_ofn.lpstrTitle : (open_ ? L"Open" : L"Save As");
  std::optional<std::wstring> chosen = uiDriver().pickFile(title, filter_, folder, name);
  if (!chosen || chosen->empty()) return IDCANCEL;
  std::wstring path = *chosen;
  const std::size_t slash = lastSeparator(path);
  const std::wstring leaf = slash == std::wstring::npos ? path : path.substr(slash + 1);
  if (!defaultExtension_.empty() && leaf.find(L'.') == std::wstring::npos) path += L"." + defaultExtension_;
  std::error_code ec;
  const fs::path onDisk(acutWideToUtf8(path));
  const bool mustExist = (m_ofn.Flags & OFN_FILEMUSTEXIST) != 0;
  const bool folderMustExist = (m_ofn.Flags & OFN_PATHMUSTEXIST) != 0;
  const fs::path parent = onDisk.has_parent_path() ? onDisk.parent_path() : fs::path(".");
  if ((mustExist && !fs::is_regular_file(onDisk, ec)) || (folderMustExist && !fs::is_directory(parent, ec))) {
    // The platform's dialog would not let this name through; the user can only cancel.
    acedPrintText(uiAnswerLine(L"Cancel", path + L" does not exist"));
    return IDCANCEL;
  }
  path_ = path;
  return IDOK;
}

std::wstring CFileDialog::GetFileName() const {
  const std::size_t slash = lastSeparator(path_);
  return slash == std::wstring::npos ? path_ : path_.substr(slash + 1);
}

std::wstring CFileDialog::GetFileTitle() const {
  const std::wstring name = GetFileName();
  const std::size_t dot = name.find_last_of(L'.');
  return dot == std::wstring::npos ? name : name.substr(0, dot);
}

std::wstring CFileDialog::GetFileExt() const {
  const std::wstring name = GetFileName();
  const std::size_t dot = name.find_last_of(L'.');
  return dot == std::wstring::npos ? L"" : name.substr(dot + 1);
}

std::wstring CFileDialog::GetFolderPath() const {
  const std::size_t slash = lastSeparator(path_);
  return slash == std::wstring::npos ? L"" : path_.substr(0, slash);
}
