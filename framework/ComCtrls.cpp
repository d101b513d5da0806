#include "framework/ComCtrls.h"

#include <richedit.h>

#include <algorithm>

// ---- TTabSheet

TTabSheet::TTabSheet(TPageControl* pageControl, const std::string& caption)
    : TCustomControl(pageControl), pageControl_(pageControl) {
  TCustomControl::SetCaption(caption);
  pageControl_->AddPage(this);
}

TTabSheet::~TTabSheet() { pageControl_->RemovePage(this); }

int TTabSheet::PageIndex() const {
  const auto& pages = pageControl_->pages_;
  return static_cast<int>(std::find(pages.begin(), pages.end(), this) - pages.begin());
}

void TTabSheet::SetTabVisible(bool v) {
  if (v == tabVisible_) return;
  tabVisible_ = v;
  pageControl_->TabsChanged();
}

void TTabSheet::SetCaption(const std::string& s) {
  TCustomControl::SetCaption(s);
  if (tabVisible_) pageControl_->TabsChanged();
}

void TTabSheet::VisibleChanged() {
  TCustomControl::VisibleChanged();
  if (visible_ && OnShow) OnShow();
  if (!visible_ && OnHide) OnHide();
}

// ---- TPageControl

TPageControl::TPageControl(TWinControl* parent)
    : TStdControl(parent, WC_TABCONTROLA, WS_CLIPCHILDREN | WS_CLIPSIBLINGS | WS_TABSTOP, 289, 193,
                  WS_EX_CONTROLPARENT) {
  TabStop = true;
}

TPageControl::~TPageControl() {
  std::vector<TTabSheet*> pages;
  pages.swap(pages_);  // the pages leave without rearranging what is left
  active_ = nullptr;
  for (auto it = pages.rbegin(); it != pages.rend(); ++it) delete *it;
}

void TPageControl::AddPage(TTabSheet* page) {
  pages_.push_back(page);
  if (!active_) active_ = page;
  page->SetVisible(page == active_);
  TabsChanged();
}

void TPageControl::RemovePage(TTabSheet* page) {
  const auto it = std::find(pages_.begin(), pages_.end(), page);
  if (it == pages_.end()) return;
  pages_.erase(it);
  if (active_ == page) {
    active_ = nullptr;
    SetActivePage(pages_.empty() ? nullptr : pages_.front());
  }
  TabsChanged();
}

void TPageControl::TabsChanged() {
  SendMessageA(hwnd_, TCM_DELETEALLITEMS, 0, 0);
  int current = -1;
  // Without a tab to show, Tab goes straight into the page.
  TabStop = false;
  for (TTabSheet* page : pages_) {
    if (!page->TabVisible()) continue;
    TabStop = true;
    const std::string text = page->Caption();
    TCITEMA item{};
    item.mask = TCIF_TEXT | TCIF_PARAM;
    item.pszText = const_cast<char*>(text.c_str());
    item.lParam = reinterpret_cast<LPARAM>(page);
    const LRESULT at = SendMessageA(hwnd_, TCM_GETITEMCOUNT, 0, 0);
    SendMessageA(hwnd_, TCM_INSERTITEMA, static_cast<WPARAM>(at), reinterpret_cast<LPARAM>(&item));
    if (page == active_) current = static_cast<int>(at);
  }
  SendMessageA(hwnd_, TCM_SETCURSEL, static_cast<WPARAM>(current), 0);
  PlacePages();
}

RECT TPageControl::PageRect() const {
  RECT r = ClientRect();
  if (SendMessageA(hwnd_, TCM_GETITEMCOUNT, 0, 0) > 0) SendMessageA(hwnd_, TCM_ADJUSTRECT, FALSE, reinterpret_cast<LPARAM>(&r));
  return r;
}

void TPageControl::PlacePages() {
  const RECT r = PageRect();
  for (TTabSheet* page : pages_) page->SetBounds(r.left, r.top, r.right - r.left, r.bottom - r.top);
}

void TPageControl::SetActivePage(TTabSheet* page) {
  if (page == active_ || (page && page->PageControl() != this)) return;
  TTabSheet* old = active_;
  active_ = page;
  int tab = -1;
  for (int i = 0, n = static_cast<int>(SendMessageA(hwnd_, TCM_GETITEMCOUNT, 0, 0)); i < n; ++i) {
    TCITEMA item{};
    item.mask = TCIF_PARAM;
    SendMessageA(hwnd_, TCM_GETITEMA, static_cast<WPARAM>(i), reinterpret_cast<LPARAM>(&item));
    if (reinterpret_cast<TTabSheet*>(item.lParam) == page) tab = i;
  }
  SendMessageA(hwnd_, TCM_SETCURSEL, static_cast<WPARAM>(tab), 0);
  // The new page first, so that the focus never falls out of the control.
  if (page) page->Show();
  if (old) old->Hide();
}

bool TPageControl::HandleNotify(NMHDR* hdr, LRESULT& result) {
  switch (hdr->code) {
    case TCN_SELCHANGING: {
      bool allow = true;
      if (OnChanging) OnChanging(allow);
      result = allow ? FALSE : TRUE;
      return true;
    }
    case TCN_SELCHANGE: {
      TCITEMA item{};
      item.mask = TCIF_PARAM;
      const LRESULT tab = SendMessageA(hwnd_, TCM_GETCURSEL, 0, 0);
      if (tab >= 0 && SendMessageA(hwnd_, TCM_GETITEMA, static_cast<WPARAM>(tab), reinterpret_cast<LPARAM>(&item)))
        SetActivePage(reinterpret_cast<TTabSheet*>(item.lParam));
      if (OnChange) OnChange();
      return true;
    }
    default:
      return false;
  }
}

void TPageControl::BoundsChanged() {
  TStdControl::BoundsChanged();
  PlacePages();
}

void TPageControl::FontChanged() {
  TStdControl::FontChanged();
  PlacePages();  // the tabs' height follows the font
}

// ---- TDateTimePicker

namespace {
// The window class of common controls whose classes are registered on
// first use.
const char* CommonClass(DWORD classes, const char* name) {
  INITCOMMONCONTROLSEX icc{sizeof icc, classes};
  InitCommonControlsEx(&icc);
  return name;
}
const char* DateClass() {
  static const char* name = CommonClass(ICC_DATE_CLASSES, DATETIMEPICK_CLASSA);
  return name;
}
}  // namespace

TDateTimePicker::TDateTimePicker(TWinControl* parent)
    : TStdControl(parent, DateClass(), DTS_SHORTDATEFORMAT | WS_TABSTOP, 186, 21) {
  TabStop = true;
  color_ = clWindow;
}

SYSTEMTIME TDateTimePicker::DateTime() const {
  SYSTEMTIME t{};
  if (SendMessageA(hwnd_, DTM_GETSYSTEMTIME, 0, reinterpret_cast<LPARAM>(&t)) != GDT_VALID) GetLocalTime(&t);
  return t;
}

void TDateTimePicker::SetDateTime(const SYSTEMTIME& t) {
  SendMessageA(hwnd_, DTM_SETSYSTEMTIME, GDT_VALID, reinterpret_cast<LPARAM>(&t));
}

bool TDateTimePicker::HandleNotify(NMHDR* hdr, LRESULT& result) {
  if (hdr->code != DTN_DATETIMECHANGE) return false;
  result = 0;
  if (OnChange) OnChange();
  return true;
}

// ---- TTreeView

TTreeView::TTreeView(TWinControl* parent, DWORD extraStyle)
    : TStdControl(parent, WC_TREEVIEWA, TVS_SHOWSELALWAYS | WS_TABSTOP | extraStyle, 121, 97, WS_EX_CLIENTEDGE) {
  TabStop = true;
  color_ = clWindow;
}

TTreeNode TTreeView::Add(TTreeNode parent, const std::string& text, intptr_t data) {
  TVINSERTSTRUCTA ins{};
  ins.hParent = parent ? parent : TVI_ROOT;
  ins.hInsertAfter = TVI_LAST;
  ins.item.mask = TVIF_TEXT | TVIF_PARAM;
  ins.item.pszText = const_cast<char*>(text.c_str());
  ins.item.lParam = data;
  auto node = reinterpret_cast<TTreeNode>(SendMessageA(hwnd_, TVM_INSERTITEMA, 0, reinterpret_cast<LPARAM>(&ins)));
  if (node && parent) TreeView_Expand(hwnd_, parent, TVE_EXPAND);
  return node;
}

void TTreeView::Clear() {
  // The selection goes with the nodes; that is no change of the user's.
  auto handler = std::move(OnChange);
  OnChange = nullptr;
  TreeView_DeleteAllItems(hwnd_);
  OnChange = std::move(handler);
}

TTreeNode TTreeView::GetNext(TTreeNode n) const {
  if (TTreeNode child = TreeView_GetChild(hwnd_, n)) return child;
  for (; n; n = TreeView_GetParent(hwnd_, n))
    if (TTreeNode next = TreeView_GetNextSibling(hwnd_, n)) return next;
  return nullptr;
}

TTreeNode TTreeView::GetPrev(TTreeNode n) const {
  TTreeNode prev = TreeView_GetPrevSibling(hwnd_, n);
  if (!prev) return TreeView_GetParent(hwnd_, n);
  // The last node below the previous sibling.
  for (TTreeNode child; (child = TreeView_GetChild(hwnd_, prev));) {
    prev = child;
    while (TTreeNode next = TreeView_GetNextSibling(hwnd_, prev)) prev = next;
  }
  return prev;
}

std::string TTreeView::Text(TTreeNode n) const {
  char buf[1024] = "";
  TVITEMA item{};
  item.mask = TVIF_TEXT;
  item.hItem = n;
  item.pszText = buf;
  item.cchTextMax = sizeof buf;
  if (!SendMessageA(hwnd_, TVM_GETITEMA, 0, reinterpret_cast<LPARAM>(&item))) return {};
  return buf;
}

intptr_t TTreeView::Data(TTreeNode n) const {
  TVITEMA item{};
  item.mask = TVIF_PARAM;
  item.hItem = n;
  if (!SendMessageA(hwnd_, TVM_GETITEMA, 0, reinterpret_cast<LPARAM>(&item))) return 0;
  return item.lParam;
}

// The A and W forms of the notices share their layout up to the nodes.
bool TTreeView::HandleNotify(NMHDR* hdr, LRESULT& result) {
  auto* nm = reinterpret_cast<NMTREEVIEWA*>(hdr);
  switch (hdr->code) {
    case TVN_SELCHANGEDA:
    case TVN_SELCHANGEDW:
      if (OnChange) OnChange(nm->itemNew.hItem);
      result = 0;
      return true;
    case TVN_ITEMEXPANDINGA:
    case TVN_ITEMEXPANDINGW: {
      bool allow = true;
      if ((nm->action & TVE_COLLAPSE) && OnCollapsing) OnCollapsing(nm->itemNew.hItem, allow);
      refused_ = allow ? nullptr : nm->itemNew.hItem;
      result = allow ? FALSE : TRUE;
      return true;
    }
    case TVN_ITEMEXPANDEDA:
    case TVN_ITEMEXPANDEDW:
      // Wine closes a node on Left even when the notice refused it.
      if ((nm->action & TVE_COLLAPSE) && nm->itemNew.hItem == refused_) TreeView_Expand(hwnd_, refused_, TVE_EXPAND);
      refused_ = nullptr;
      result = 0;
      return true;
    default:
      return false;
  }
}

// ---- TRichEdit

namespace {
const char* RichEditClass() {
  // Loaded once for the process: every rich edit window needs it.
  static const HMODULE lib = LoadLibraryA("riched20.dll");
  (void)lib;
  return RICHEDIT_CLASSA;
}

struct TMemoryReader {
  std::string_view rest;
  static DWORD CALLBACK Read(DWORD_PTR cookie, LPBYTE buf, LONG want, LONG* got) {
    auto* self = reinterpret_cast<TMemoryReader*>(cookie);
    const size_t n = std::min(self->rest.size(), static_cast<size_t>(want));
    std::copy_n(self->rest.data(), n, buf);
    self->rest.remove_prefix(n);
    *got = static_cast<LONG>(n);
    return 0;
  }
};
}  // namespace

TRichEdit::TRichEdit(TWinControl* parent, DWORD extraStyle)
    : TStdControl(parent, RichEditClass(), ES_MULTILINE | ES_AUTOVSCROLL | WS_VSCROLL | WS_TABSTOP | extraStyle, 185,
                  89, WS_EX_CLIENTEDGE) {
  TabStop = true;
  color_ = clWindow;
}

bool TRichEdit::ClaimKey(WORD& key, unsigned shift) {
  if (key == VK_TAB) return false;
  const bool readOnly = (GetWindowLongPtrA(hwnd_, GWL_STYLE) & ES_READONLY) != 0;
  if (readOnly && (key == VK_RETURN || key == VK_ESCAPE)) return false;
  return TStdControl::ClaimKey(key, shift);
}

bool TRichEdit::LoadFromMemory(std::string_view data) {
  TMemoryReader reader{data};
  EDITSTREAM stream{};
  stream.dwCookie = reinterpret_cast<DWORD_PTR>(&reader);
  stream.pfnCallback = &TMemoryReader::Read;
  const WPARAM format = data.starts_with("{\\rtf") ? SF_RTF : SF_TEXT;
  const LRESULT read = SendMessageA(hwnd_, EM_STREAMIN, format, reinterpret_cast<LPARAM>(&stream));
  return stream.dwError == 0 && (read > 0 || data.empty());
}

namespace {
const char* ProgressClass() {
  static const char* name = CommonClass(ICC_PROGRESS_CLASS, PROGRESS_CLASSA);
  return name;
}
}  // namespace

TProgressBar::TProgressBar(TWinControl* parent) : TStdControl(parent, ProgressClass(), PBS_SMOOTH, 150, 16) {
  SendMessageA(hwnd_, PBM_SETRANGE32, 0, 100);
}

void TProgressBar::SetPosition(int position) {
  position_ = position < 0 ? 0 : position > 100 ? 100 : position;
  SendMessageA(hwnd_, PBM_SETPOS, WPARAM(position_), 0);
}
