// What the user typed for 拡張子変更, read as an extension.
#pragma once

#include <string>
#include <string_view>

namespace rules {

// The extension an answer gives, with "." put in front when missing; empty when the answer
// can't be one: empty or only ".", holding "\", "/" or ":" (which would reach out of the
// folder or into a stream), a character no name holds ("*", "?", '"', "<", ">", "|" or a
// control character), or ending in "." or a blank, which Windows strips, so the row would no
// longer name its file.
std::wstring ExtensionFromAnswer(std::wstring_view answer);

}  // namespace rules
