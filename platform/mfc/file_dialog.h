// The framework's file dialog: default extension, filter, flags, proposed file and
// owner going in; the chosen path, name and title coming out. It asks the current UI
// driver, as message boxes do.
#pragma once

#include <string>

#include "mfc/main_window.h"
#include "win/windows_types.h"

constexpr DWORD OFN_READONLY = 0x00000001;
constexpr DWORD OFN_OVERWRITEPROMPT = 0x00000002;
constexpr DWORD OFN_HIDEREADONLY = 0x00000004;
constexpr DWORD OFN_NOCHANGEDIR = 0x00000008;
constexpr DWORD OFN_PATHMUSTEXIST = 0x00000800;
constexpr DWORD OFN_FILEMUSTEXIST = 0x00001000;

// The settings as the platform's dialog takes them; the texts may be null.
struct OPENFILENAME {
  DWORD Flags = 0;
  LPCTSTR lpstrTitle = nullptr;
  LPCTSTR lpstrInitialDir = nullptr;
  LPCTSTR lpstrDefExt = nullptr;
  HWND hwndOwner = nullptr;
};

class CFileDialog {
 public:
  // filter as the framework writes it: "Drawing (*.dwg)|*.dwg||". fileName is the
  // proposed file, with or without a folder (the folder is where the dialog starts).
  explicit CFileDialog(BOOL openFileDialog, LPCTSTR defaultExtension = nullptr, LPCTSTR fileName = nullptr,
                       DWORD flags = OFN_HIDEREADONLY | OFN_OVERWRITEPROMPT, LPCTSTR filter = nullptr,
                       CWnd* parent = nullptr);
  virtual ~CFileDialog() = default;

  // IDOK with a chosen file, IDCANCEL when the user cancelled. A chosen name without
  // an extension gets the default extension; with OFN_FILEMUSTEXIST (or
  // OFN_PATHMUSTEXIST) a file (or folder) that is not there is refused and the dialog
  // answers IDCANCEL, as a user can only leave it by cancelling then.
  virtual INT_PTR DoModal();

  std::wstring GetPathName() const { return path_; }
  // The chosen file's name with its extension, and without it (the title).
  std::wstring GetFileName() const;
  std::wstring GetFileTitle() const;
  std::wstring GetFileExt() const;
  std::wstring GetFolderPath() const;

  BOOL isOpenDialog() const { return open_; }
  const std::wstring& filter() const { return filter_; }
  const std::wstring& proposedFile() const { return proposed_; }
  CWnd* owner() const { return parent_; }

  OPENFILENAME m_ofn;

 private:
  BOOL open_;
  std::wstring defaultExtension_;
  std::wstring proposed_;
  std::wstring filter_;
  CWnd* parent_;
  std::wstring path_;
};
