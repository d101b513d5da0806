#pragma once
#include <windows.h>
#include <commctrl.h>

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "framework/StdCtrls.h"

class TPageControl;

// One page of a page control: a container the size of the page area, shown
// only while it is the active page.
class TTabSheet : public TCustomControl {
 public:
  explicit TTabSheet(TPageControl* pageControl, const std::string& caption = {});
  ~TTabSheet() override;
  TPageControl* PageControl() const { return pageControl_; }
  int PageIndex() const;
  // A hidden tab leaves the page reachable by code only.
  bool TabVisible() const { return tabVisible_; }
  void SetTabVisible(bool v);
  void SetCaption(const std::string& s) override;
  // The page became the active one, or stopped being it.
  TNotifyEvent OnShow;
  TNotifyEvent OnHide;

 protected:
  void VisibleChanged() override;

 private:
  TPageControl* pageControl_;
  bool tabVisible_ = true;
};

// The system's tab control with one tab sheet per tab. With every tab hidden
// the pages take the whole control and only code chooses among them.
class TPageControl : public TStdControl {
 public:
  explicit TPageControl(TWinControl* parent);
  ~TPageControl() override;
  int PageCount() const { return static_cast<int>(pages_.size()); }
  TTabSheet* Pages(int i) const { return pages_.at(static_cast<size_t>(i)); }
  TTabSheet* ActivePage() const { return active_; }
  int ActivePageIndex() const { return active_ ? active_->PageIndex() : -1; }
  // By code: no OnChanging or OnChange.
  void SetActivePage(TTabSheet* page);
  void SetActivePageIndex(int i) { SetActivePage(i >= 0 && i < PageCount() ? Pages(i) : nullptr); }
  RECT PageRect() const;
  // The user picked another tab; OnChanging may refuse.
  std::function<void(bool& allow)> OnChanging;
  TNotifyEvent OnChange;

 protected:
  bool HandleNotify(NMHDR* hdr, LRESULT& result) override;
  void BoundsChanged() override;
  void FontChanged() override;

 private:
  friend class TTabSheet;
  void AddPage(TTabSheet* page);
  void RemovePage(TTabSheet* page);
  // The tabs again from the pages whose tab is visible, and the pages' place.
  void TabsChanged();
  void PlacePages();
  std::vector<TTabSheet*> pages_;
  TTabSheet* active_ = nullptr;
};

// The system's date picker (date only, short format).
class TDateTimePicker : public TStdControl {
 public:
  explicit TDateTimePicker(TWinControl* parent);
  // Local date and time of day, as the picker holds it.
  SYSTEMTIME DateTime() const;
  void SetDateTime(const SYSTEMTIME& t);
  TNotifyEvent OnChange;

 protected:
  bool HandleNotify(NMHDR* hdr, LRESULT& result) override;
};

using TTreeNode = HTREEITEM;

// The system's tree view with every node expanded as it is added, nodes that
// carry an integer, and no label editing.
class TTreeView : public TStdControl {
 public:
  // extraStyle: TVS_HASBUTTONS, TVS_HASLINES, TVS_LINESATROOT as wanted.
  explicit TTreeView(TWinControl* parent, DWORD extraStyle = 0);
  // parent nullptr: a root node. Added last among its siblings.
  TTreeNode Add(TTreeNode parent, const std::string& text, intptr_t data = 0);
  void Clear();
  int Count() const { return static_cast<int>(SendMessageA(hwnd_, TVM_GETCOUNT, 0, 0)); }
  TTreeNode First() const { return TreeView_GetRoot(hwnd_); }
  // Depth first: the node's first child, else its next sibling, else the next
  // sibling of its nearest parent that has one; nullptr after the last.
  TTreeNode GetNext(TTreeNode n) const;
  TTreeNode GetPrev(TTreeNode n) const;
  TTreeNode Selected() const { return TreeView_GetSelection(hwnd_); }
  // Fires OnChange.
  void Select(TTreeNode n) { TreeView_SelectItem(hwnd_, n); }
  std::string Text(TTreeNode n) const;
  intptr_t Data(TTreeNode n) const;
  // The selection moved, by the user or by code.
  std::function<void(TTreeNode)> OnChange;
  // A node is about to close; allow false keeps it open.
  std::function<void(TTreeNode, bool& allow)> OnCollapsing;

 protected:
  bool HandleNotify(NMHDR* hdr, LRESULT& result) override;

 private:
  TTreeNode refused_ = nullptr;  // the node whose closing was refused last
};

// The system's rich-edit control.
class TRichEdit : public TStdControl {
 public:
  explicit TRichEdit(TWinControl* parent, DWORD extraStyle = ES_READONLY);
  // Rich text when it begins as rich text does, else plain text; false when
  // the control took none of it.
  bool LoadFromMemory(std::string_view data);
  std::string Text() const { return Caption(); }
  void SetReadOnly(bool r) { SendMessageA(hwnd_, EM_SETREADONLY, r, 0); }
  // Tab moves on, as from every text of ours; a read-only text leaves Enter
  // and Esc to the form's buttons.
  bool ClaimKey(WORD& key, unsigned shift) override;
};

// The system's progress bar, from 0 to 100.
class TProgressBar : public TStdControl {
 public:
  explicit TProgressBar(TWinControl* parent);
  int Position() const { return position_; }
  // Values outside 0 to 100 are held at the nearer end.
  void SetPosition(int position);

 private:
  int position_ = 0;
};
