#include "framework/Dialogs.h"

#include <commdlg.h>

#include <algorithm>

namespace {

HWND OwnerOr(HWND owner) { return owner ? owner : GetActiveWindow(); }

// "a|b|c|d" as the dialog wants it: "a\0b\0c\0d\0\0".
std::string FilterList(const std::string& filter) {
  std::string list = filter;
  std::replace(list.begin(), list.end(), '|', '\0');
  list.append(2, '\0');
  return list;
}

struct TOptionFlag {
  unsigned option;
  DWORD flag;
};
constexpr TOptionFlag kOptionFlags[] = {
    {ofReadOnly, OFN_READONLY},          {ofOverwritePrompt, OFN_OVERWRITEPROMPT},
    {ofHideReadOnly, OFN_HIDEREADONLY},  {ofNoChangeDir, OFN_NOCHANGEDIR},
    {ofFileMustExist, OFN_FILEMUSTEXIST}, {ofPathMustExist, OFN_PATHMUSTEXIST},
    {ofEnableSizing, OFN_ENABLESIZING},  {ofCreatePrompt, OFN_CREATEPROMPT},
    {ofNoReadOnlyReturn, OFN_NOREADONLYRETURN},
};

}  // namespace

bool TOpenDialog::Execute(HWND owner) {
  // Room for the longest path the system knows, not only MAX_PATH.
  std::string name(32768, '\0');
  std::copy_n(FileName.begin(), std::min(FileName.size(), name.size() - 1), name.begin());
  const std::string filter = FilterList(Filter);
  OPENFILENAMEA ofn{};
  ofn.lStructSize = sizeof ofn;
  ofn.hwndOwner = OwnerOr(owner);
  ofn.lpstrFilter = Filter.empty() ? nullptr : filter.c_str();
  ofn.nFilterIndex = static_cast<DWORD>(std::max(FilterIndex, 0));
  ofn.lpstrFile = name.data();
  ofn.nMaxFile = static_cast<DWORD>(name.size());
  ofn.lpstrInitialDir = InitialDir.empty() ? nullptr : InitialDir.c_str();
  ofn.lpstrTitle = Title.empty() ? nullptr : Title.c_str();
  ofn.lpstrDefExt = DefaultExt.empty() ? nullptr : DefaultExt.c_str();
  ofn.Flags = OFN_EXPLORER;
  for (const auto& f : kOptionFlags)
    if (Options & f.option) ofn.Flags |= f.flag;
  if (!Run(ofn)) return false;
  FileName = name.c_str();
  FilterIndex = static_cast<int>(ofn.nFilterIndex);
  Options = (ofn.Flags & OFN_READONLY) ? Options | ofReadOnly : Options & ~unsigned{ofReadOnly};
  return true;
}

bool TFontDialog::Execute(HWND owner) {
  LOGFONTA lf{};
  lf.lfHeight = Font.PixelHeight();
  lf.lfWeight = Font.Bold ? FW_BOLD : FW_NORMAL;
  lf.lfItalic = Font.Italic;
  lf.lfUnderline = Font.Underline;
  lf.lfStrikeOut = Font.StrikeOut;
  lf.lfCharSet = Font.Charset;
  lstrcpynA(lf.lfFaceName, Font.Name.c_str(), LF_FACESIZE);
  CHOOSEFONTA cf{};
  cf.lStructSize = sizeof cf;
  cf.hwndOwner = OwnerOr(owner);
  cf.lpLogFont = &lf;
  cf.Flags = CF_SCREENFONTS | CF_INITTOLOGFONTSTRUCT | CF_EFFECTS;
  cf.rgbColors = ColorToRGB(Font.Color);
  if (!ChooseFontA(&cf)) return false;
  Font.Name = lf.lfFaceName;
  Font.Size = (cf.iPointSize + 5) / 10;
  Font.Bold = lf.lfWeight >= FW_BOLD;
  Font.Italic = lf.lfItalic != 0;
  Font.Underline = lf.lfUnderline != 0;
  Font.StrikeOut = lf.lfStrikeOut != 0;
  Font.Charset = lf.lfCharSet;
  // A system colour stays one while the user keeps its shade.
  if (cf.rgbColors != ColorToRGB(Font.Color)) Font.Color = cf.rgbColors;
  return true;
}

int ShowMessageBox(HWND owner, const std::string& text, const std::string& caption, UINT flags) {
  return MessageBoxA(OwnerOr(IsWindow(owner) ? owner : nullptr), text.c_str(), caption.c_str(), flags);
}
