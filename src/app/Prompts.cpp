#include "app/Prompts.h"

#include "app/Application.h"
#include "app/dialogs/untDialog.h"
#include "win/Controls.h"
#include "win/InputQuery.h"

namespace {

struct SystemPromptsImpl final : Prompts {
  int Message(HWND owner, const std::wstring& text, UINT type) override {
    return win::ShowMessage(owner, text, app::kTitle, type);
  }
  bool Input(HWND owner, std::wstring_view caption, std::wstring_view prompt, std::wstring& value) override {
    return win::InputQuery(owner, caption, prompt, value);
  }
  void RunModal(TfrmDialog& dialog) override { dialog.ShowModal(); }
};

}  // namespace

Prompts& SystemPrompts() {
  static SystemPromptsImpl prompts;
  return prompts;
}
