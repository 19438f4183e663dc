// Text between the tools' UTF-8 (or a code page) and Windows' wide calls.
// Header-only: the setup tool and the simulator finder each convert at their
// own edge, with the same calls.
#ifndef BRINDLEWICK_OS_WIDE_TEXT_WIN32_H_
#define BRINDLEWICK_OS_WIDE_TEXT_WIN32_H_

#include <windows.h>

#include <string>

namespace os {

inline std::wstring Wide(const std::string& text, UINT code_page = CP_UTF8) {
  int length =
      MultiByteToWideChar(code_page, 0, text.data(), static_cast<int>(text.size()), nullptr, 0);
  std::wstring wide(static_cast<size_t>(length), L'\0');
  if (length > 0)
    MultiByteToWideChar(code_page, 0, text.data(), static_cast<int>(text.size()), &wide[0], length);
  return wide;
}

inline std::string Narrow(const std::wstring& wide, UINT code_page = CP_UTF8) {
  int length = WideCharToMultiByte(code_page, 0, wide.data(), static_cast<int>(wide.size()),
                                   nullptr, 0, nullptr, nullptr);
  std::string text(static_cast<size_t>(length), '\0');
  if (length > 0)
    WideCharToMultiByte(code_page, 0, wide.data(), static_cast<int>(wide.size()), &text[0], length,
                        nullptr, nullptr);
  return text;
}

}  // namespace os

#endif  // BRINDLEWICK_OS_WIDE_TEXT_WIN32_H_
