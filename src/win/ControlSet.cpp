#include "win/ControlSet.h"

namespace win {

bool ControlSet::Create(HWND owner, int designW, int designH, UINT dpi) {
  owner_ = owner;
  designW_ = designW;
  designH_ = designH;
  dpi_ = dpi;
  if (!tips_.Create(owner, Scale(360, dpi))) failed_ = true;
  return !failed_;
}

HWND ControlSet::Add(const ControlArgs& a) {
  HWND c = CreateWindowExW(a.exStyle, a.cls, std::wstring(a.text).c_str(), WS_CHILD | WS_VISIBLE | a.style, 0, 0, 0,
                           0, a.parent, reinterpret_cast<HMENU>(static_cast<INT_PTR>(a.id)),
                           GetModuleHandleW(nullptr), nullptr);
  if (!c) {
    failed_ = true;
    return nullptr;
  }
  Place(c, a.parent, a.rect, a.anchors);
  controls_.push_back(c);
  if (a.hint) tips_.Add(c, a.hint);
  return c;
}

void ControlSet::Place(HWND h, HWND parent, Rect96 rect, unsigned anchors) {
  auto it = layouts_.try_emplace(parent, designW_, designH_).first;
  it->second.Add(h, rect, anchors);
}

void ControlSet::SetFont(HFONT font) const {
  for (HWND c : controls_) SendMessageW(c, WM_SETFONT, reinterpret_cast<WPARAM>(font), FALSE);
  SendMessageW(tips_.hwnd(), WM_SETFONT, reinterpret_cast<WPARAM>(font), FALSE);
}

void ControlSet::Relayout(HWND parent) const {
  auto it = layouts_.find(parent);
  if (it != layouts_.end()) it->second.Apply(parent, dpi_);
}

void ControlSet::RelayoutAllBut(HWND parent) const {
  for (const auto& [p, layout] : layouts_) {
    if (p != parent) layout.Apply(p, dpi_);
  }
}

}  // namespace win
