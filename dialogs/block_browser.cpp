// The shared block file browser: what it proposes, the file dialog it shows and the
// text it leaves in the cell.
#include "dialogs/block_browser.h"

#include <cwctype>

#include "frame/host_services.h"
#include "mfc/file_dialog.h"
#include "mfc/grid_control.h"
#include "mfc/message_box.h"
#include "win/find_file.h"

namespace {

// The placeholder that 3D block columns show before a name is given.
constexpr wchar_t kUnnamed3dBlock[] = L"<2D Block Name>-3d";
constexpr wchar_t kDrawingFilter[] = L"Drawing (*.dwg)|*.dwg||";

std::wstring& remembered() {
  static std::wstring text;
  return text;
}

std::wstring withoutTrailingBlanks(std::wstring text) {
  while (!text.empty() && std::iswspace(text.back())) text.pop_back();
  return text;
}

// The name of the first drawing in the folder, or empty when it has none.
std::wstring firstDrawingIn(const std::wstring& blockFolder) {
  const std::wstring pattern = blockFolder + L"*.dwg";
  WIN32_FIND_DATA data;
  HANDLE search = FindFirstFile(pattern.c_str(), &data);
  if (search == INVALID_HANDLE_VALUE) return {};
  std::wstring found;
  do {
    found = data.cFileName;
  } while (found.empty() && FindNextFile(search, &data));
  FindClose(search);
  return found;
}

// A cell text may hold characters no file name can; they are dropped rather than
// letting the file dialog refuse the proposal.
std::wstring withoutForbiddenCharacters(const std::wstring& name) {
  static const std::wstring forbidden = L"<>|\"\\:/";
  std::wstring kept;
  for (wchar_t c : name)
    if (forbidden.find(c) == std::wstring::npos) kept.push_back(c);
  return kept;
}

bool opensBrowser(const std::wstring& text) { return text == kBrowseChoice || text == kSelectCustomBlockChoice; }

}  // namespace

void rememberBrowseText(const GridControl& grid, int row, int column, int browseColumn) {
  if (column == browseColumn) remembered() = grid.text(row, column);
}

const std::wstring& rememberedBrowseText() { return remembered(); }

std::wstring proposedBlockName(const std::wstring& cellText, const std::wstring& blockFolder) {
  std::wstring name = withoutTrailingBlanks(cellText);
  if (name == kUnnamed3dBlock) name.clear();
  if (name.empty()) name = firstDrawingIn(blockFolder);
  return withoutForbiddenCharacters(name);
}

void browseBlockFile(const GridControl& grid, int row, int column, const std::wstring& blockFolder,
                     std::wstring& newText, CWnd* parent) {
  if (!opensBrowser(newText)) return;
  const std::wstring name = proposedBlockName(grid.text(row, column), blockFolder);
  const std::wstring proposed = name.empty() ? std::wstring() : blockFolder + name;
  CFileDialog dialog(TRUE, L"dwg", proposed.empty() ? nullptr : proposed.c_str(),
                     OFN_FILEMUSTEXIST | OFN_HIDEREADONLY, kDrawingFilter, parent);
  const int result = ovDialogFailureCheck(static_cast<int>(dialog.DoModal()));
  newText = result == IDOK ? dialog.GetFileTitle() : remembered();
}
