// The block file browser the dialogs share where a cell names a block: the user picks
// "Browse. . ." in the cell and chooses a drawing, whose name becomes the cell's text.
#pragma once

#include <string>

class CWnd;
class GridControl;

// The two cell choices that open the browser (blanks and case count).
inline constexpr wchar_t kBrowseChoice[] = L"Browse. . .";
inline constexpr wchar_t kSelectCustomBlockChoice[] = L"Select custom block. . .";

// Called when an edit starts in a cell: in the dialog's browse column the cell's text
// is remembered (one text for the whole module), so that a cancelled browse can put
// it back. Other columns leave the remembered text alone.
void rememberBrowseText(const GridControl& grid, int row, int column, int browseColumn);
const std::wstring& rememberedBrowseText();

// Called when an edit of a cell ends with newText. Only when newText is one of the two
// choices: shows a file-open dialog for drawings proposing a file for the cell's
// current text in blockFolder, and replaces newText with the chosen drawing's title,
// or with the remembered text when the user cancels. Any other text is left as it is.
void browseBlockFile(const GridControl& grid, int row, int column, const std::wstring& blockFolder,
                     std::wstring& newText, CWnd* parent);

// The file name the browser proposes for a cell holding cellText: the text without
// trailing blanks ("<2D Block Name>-3d" counts as empty); when empty, the first drawing
// of blockFolder; then without the characters a file name cannot hold.
std::wstring proposedBlockName(const std::wstring& cellText, const std::wstring& blockFolder);
