// The table tree: nodes for the tables (and the client's own nodes), their
// branches, painting and mouse.
#include <algorithm>
#include <cstring>

#include "gridon/sheet_view.h"

namespace gridon {

namespace {
constexpr int32_t kIndent = 16;  // pixels per tree level
constexpr vcolor::TColor kTreePaper = vcolor::RGBA(250, 250, 250);
constexpr vcolor::TColor kTreeLine = vcolor::RGBA(160, 160, 160);
constexpr vcolor::TColor kTreeChosen = vcolor::RGBA(204, 228, 247);
}  // namespace

const TTreeNode* CSheetDataView::TreeNode(uint32_t handle) const {
  for (const TTreeNode& n : tree_)
    if (n.handle == handle) return &n;
  return nullptr;
}

bool CSheetDataView::AddTreeNode(uint32_t handle, uint32_t parent, const CTreeItemAttr& attr) {
  if (!HasTableTree() || handle == 0 || TreeNode(handle)) return false;
  TTreeNode n;
  n.handle = handle;
  n.parent = parent;
  n.attr = attr;
  tree_.push_back(n);
  if (treeView_.IsInitialized()) treeView_.Invalidate();
  return true;
}

bool CSheetDataView::ChangeTreeNode(uint32_t handle, const CTreeItemAttr& attr) {
  auto* n = const_cast<TTreeNode*>(TreeNode(handle));
  if (!n) return false;
  n->attr = attr;
  if (treeView_.IsInitialized()) treeView_.Invalidate();
  return true;
}

bool CSheetDataView::RemoveTreeNode(uint32_t handle) {
  auto it = std::find_if(tree_.begin(), tree_.end(), [&](const TTreeNode& n) { return n.handle == handle; });
  if (it == tree_.end()) return false;
  const uint32_t parent = it->parent;
  tree_.erase(it);
  for (TTreeNode& n : tree_)
    if (n.parent == handle) n.parent = parent;
  if (treeView_.IsInitialized()) treeView_.Invalidate();
  return true;
}

bool CSheetDataView::ExpandBranch(uint32_t handle) {
  auto* n = const_cast<TTreeNode*>(TreeNode(handle));
  if (!n) return false;
  if (!n->expanded) {
    n->expanded = true;
    DS_Notify(ncTreeExpanded, handle, 0, 0);
  }
  if (treeView_.IsInitialized()) treeView_.Invalidate();
  return true;
}

bool CSheetDataView::CollapseBranch(uint32_t handle) {
  auto* n = const_cast<TTreeNode*>(TreeNode(handle));
  if (!n) return false;
  if (n->expanded) {
    n->expanded = false;
    DS_Notify(ncTreeCollapsed, handle, 0, 0);
  }
  if (treeView_.IsInitialized()) treeView_.Invalidate();
  return true;
}

void CSheetDataView::CollapseTree() {
  for (TTreeNode& n : tree_) n.expanded = false;
  if (treeView_.IsInitialized()) treeView_.Invalidate();
}

void CSheetDataView::ExpandTree() {
  for (TTreeNode& n : tree_) n.expanded = true;
  if (treeView_.IsInitialized()) treeView_.Invalidate();
}

bool CSheetDataView::ChooseTreeNode(uint32_t handle) {
  if (!TreeNode(handle)) return false;
  return HandleCommand(cmTreeChosen, false, static_cast<intptr_t>(handle));
}

std::vector<std::pair<const TTreeNode*, int>> CSheetDataView::VisibleTreeNodes() const {
  std::vector<std::pair<const TTreeNode*, int>> shown;
  // Depth-first from the roots; a node whose parent is unknown is a root.
  auto isRoot = [&](const TTreeNode& n) { return n.parent == 0 || !TreeNode(n.parent) || n.parent == n.handle; };
  auto walk = [&](auto& self, const TTreeNode& n, int depth) -> void {
    shown.emplace_back(&n, depth);
    if (!n.expanded || depth > 64) return;
    for (const TTreeNode& child : tree_)
      if (child.parent == n.handle && child.handle != n.handle) self(self, child, depth + 1);
  };
  for (const TTreeNode& n : tree_)
    if (isRoot(n)) walk(walk, n, 0);
  return shown;
}

int32_t CSheetDataView::TreeWidth() const { return HasTableTree() ? treeWidth_ : 0; }

void CSheetDataView::SetTreeWidth(int32_t width) {
  treeWidth_ = std::max(0, width);
  AfterLayoutChange();
}

void CSheetDataView::PaintTree(vgr::CDeviceContext& dc, int x0, int y0) {
  const int32_t tw = TreeWidth();
  const int32_t height = SheetRect().height;
  dc.SetGCPaperColor(kTreePaper);
  dc.Rectangle(x0, y0, tw, height);
  dc.SetClip(x0, y0, tw, height);
  dc.SetGCFont(&font_);
  const int32_t rh = FontHeight(&font_) + margin_;
  int32_t y = y0;
  for (const auto& [node, depth] : VisibleTreeNodes()) {
    const int32_t x = x0 + margin_ + depth * kIndent;
    if (shown_ && shown_->handle == node->handle) {
      dc.SetGCPaperColor(kTreeChosen);
      dc.Rectangle(x0, y, tw, rh);
    }
    const bool hasChildren = std::any_of(tree_.begin(), tree_.end(), [&](const TTreeNode& n) {
      return n.parent == node->handle && n.handle != node->handle;
    });
    if (hasChildren) {
      // A box with "+" (closed) or "-" (open).
      const int32_t cy = y + rh / 2;
      dc.SetGCInkColor(kTreeLine);
      dc.Box(x, cy - 4, 8, 8);
      dc.Line(x + 2, cy, x + 6, cy);
      if (!node->expanded) dc.Line(x + 4, cy - 2, x + 4, cy + 2);
    }
    const vgr::CIcon* icon = node->expanded && node->attr.openIcon ? node->attr.openIcon : node->attr.icon;
    int32_t tx = x + kIndent;
    if (icon) {
      dc.DrawIcon(tx, y + (rh - icon->Height()) / 2, *icon);
      tx += icon->Width() + margin_ / 2;
    }
    dc.SetGCTextColor(vcolor::Black);
    dc.OutTextXY(tx, y + margin_ / 2, static_cast<int>(std::strlen(node->attr.text)), node->attr.text);
    y += rh;
  }
  dc.ClearClip();
  dc.SetGCInkColor(kTreeLine);
  dc.Line(x0 + tw - 1, y0, x0 + tw - 1, y0 + height - 1);
}

void CSheetDataView::TreeMouse(vcore::TEvent& event) {
  if (event.kind != vcore::evMouseDown || !(event.buttons & vcore::mbLeft)) return;
  const int32_t rh = FontHeight(&font_) + margin_;
  if (event.y < 0) return;
  const auto shown = VisibleTreeNodes();
  const std::size_t index = static_cast<std::size_t>(event.y / std::max(1, rh));
  if (index >= shown.size()) return;
  const TTreeNode* node = shown[index].first;
  const int32_t boxX = margin_ + shown[index].second * kIndent;
  if (event.x >= boxX - 2 && event.x < boxX + kIndent - 4) {
    if (node->expanded) {
      CollapseBranch(node->handle);
    } else {
      ExpandBranch(node->handle);
    }
    return;
  }
  ChooseTreeNode(node->handle);
}

void CTableTreeView::PaintView(vgr::CDeviceContext& dc) { sheet_->PaintTree(dc, 0, 0); }

void CTableTreeView::ReceiveEvent(vcore::TEvent& event) {
  if (event.kind & vcore::evMouse && event.kind != vcore::evMouseWheel) {
    sheet_->TreeMouse(event);  // the tree sits at the sheet's left edge
    StopEvent(event);
  }
}

}  // namespace gridon
