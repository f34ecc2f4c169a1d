// One move-only owner per kind of kernel handle: files, searches, kernel objects, registry keys.
#pragma once

#include <windows.h>

#include <utility>

namespace os {

// Null is H{} unless the kind has its own (a file or find handle's INVALID_HANDLE_VALUE).
template <typename H>
struct NullOf {
  static H value() { return H{}; }
};

template <typename H, typename Deleter, typename Null = NullOf<H>>
class UniqueHandle {
 public:
  UniqueHandle() = default;
  explicit UniqueHandle(H h) : h_(h) {}
  ~UniqueHandle() { reset(); }
  UniqueHandle(UniqueHandle&& o) noexcept : h_(std::exchange(o.h_, Null::value())) {}
  UniqueHandle& operator=(UniqueHandle&& o) noexcept {
    if (this != &o) reset(std::exchange(o.h_, Null::value()));
    return *this;
  }
  UniqueHandle(const UniqueHandle&) = delete;
  UniqueHandle& operator=(const UniqueHandle&) = delete;

  H get() const { return h_; }
  explicit operator bool() const { return h_ != Null::value(); }
  void reset(H h = Null::value()) {
    if (h_ != Null::value()) Deleter{}(h_);
    h_ = h;
  }
  // Gives the handle up without closing it.
  H release() { return std::exchange(h_, Null::value()); }

 private:
  H h_ = Null::value();
};

struct InvalidHandleValue {
  static HANDLE value() { return INVALID_HANDLE_VALUE; }
};
struct KernelHandleDeleter {
  void operator()(HANDLE h) const { CloseHandle(h); }
};
struct FindDeleter {
  void operator()(HANDLE h) const { FindClose(h); }
};
struct RegKeyDeleter {
  void operator()(HKEY h) const { RegCloseKey(h); }
};

// CreateFile's handle (INVALID_HANDLE_VALUE when none).
using unique_file = UniqueHandle<HANDLE, KernelHandleDeleter, InvalidHandleValue>;
// FindFirstFile's handle (INVALID_HANDLE_VALUE when none).
using unique_find = UniqueHandle<HANDLE, FindDeleter, InvalidHandleValue>;
// A kernel object whose failure is null: a thread, an event.
using unique_handle = UniqueHandle<HANDLE, KernelHandleDeleter>;
using unique_hkey = UniqueHandle<HKEY, RegKeyDeleter>;

}  // namespace os
