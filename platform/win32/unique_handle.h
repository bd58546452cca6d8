// Owners of Windows handles: one small move-only wrapper per handle kind, each closing its handle
// with the one function Windows pairs with it. Nothing else in the adapter closes a handle.
#pragma once

#include <windows.h>

#include <utility>

namespace kelvo {

// Traits give the handle type, the value that means "nothing" and the closing function.
template <typename Traits>
class UniqueResource {
 public:
  using Handle = typename Traits::Handle;

  UniqueResource() = default;
  explicit UniqueResource(Handle handle) : handle_(handle) {}
  ~UniqueResource() { reset(); }
  UniqueResource(UniqueResource&& other) noexcept : handle_(other.release()) {}
  UniqueResource& operator=(UniqueResource&& other) noexcept {
    reset(other.release());
    return *this;
  }
  UniqueResource(const UniqueResource&) = delete;
  UniqueResource& operator=(const UniqueResource&) = delete;

  Handle get() const { return handle_; }
  explicit operator bool() const { return Traits::IsValid(handle_); }

  Handle release() { return std::exchange(handle_, Traits::Empty()); }
  void reset(Handle handle = Traits::Empty()) {
    Handle old = std::exchange(handle_, handle);
    if (Traits::IsValid(old)) Traits::Close(old);
  }
  // For out-arguments (RegOpenKeyExW(..., key.put())): closes what is held first.
  Handle* put() {
    reset();
    return &handle_;
  }

 private:
  Handle handle_ = Traits::Empty();
};

// Kernel objects. Some functions answer NULL on failure, others INVALID_HANDLE_VALUE (files,
// snapshots); both count as empty.
struct KernelHandleTraits {
  using Handle = HANDLE;
  static Handle Empty() { return nullptr; }
  static bool IsValid(Handle h) { return h != nullptr && h != INVALID_HANDLE_VALUE; }
  static void Close(Handle h) { ::CloseHandle(h); }
};
using UniqueHandle = UniqueResource<KernelHandleTraits>;

// Registry keys we opened or created (never the predefined roots).
struct HKeyTraits {
  using Handle = HKEY;
  static Handle Empty() { return nullptr; }
  static bool IsValid(Handle h) { return h != nullptr; }
  static void Close(Handle h) { ::RegCloseKey(h); }
};
using UniqueHKey = UniqueResource<HKeyTraits>;

// FindFirstFileW searches.
struct FindHandleTraits {
  using Handle = HANDLE;
  static Handle Empty() { return INVALID_HANDLE_VALUE; }
  static bool IsValid(Handle h) { return h != nullptr && h != INVALID_HANDLE_VALUE; }
  static void Close(Handle h) { ::FindClose(h); }
};
using UniqueFindHandle = UniqueResource<FindHandleTraits>;

// Hooks set with SetWindowsHookExW.
struct HookTraits {
  using Handle = HHOOK;
  static Handle Empty() { return nullptr; }
  static bool IsValid(Handle h) { return h != nullptr; }
  static void Close(Handle h) { ::UnhookWindowsHookEx(h); }
};
using UniqueHook = UniqueResource<HookTraits>;

// Thread timers set with SetTimer(NULL, 0, ...): the id is the handle.
struct ThreadTimerTraits {
  using Handle = UINT_PTR;
  static Handle Empty() { return 0; }
  static bool IsValid(Handle h) { return h != 0; }
  static void Close(Handle h) { ::KillTimer(nullptr, h); }
};
using UniqueThreadTimer = UniqueResource<ThreadTimerTraits>;

// Windows we created ourselves.
struct WindowTraits {
  using Handle = HWND;
  static Handle Empty() { return nullptr; }
  static bool IsValid(Handle h) { return h != nullptr; }
  static void Close(Handle h) { ::DestroyWindow(h); }
};
using UniqueWindow = UniqueResource<WindowTraits>;

}  // namespace kelvo
