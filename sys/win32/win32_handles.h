// Move-only owners of Win32 handles and COM interfaces, so that no path through the platform code leaks one.
#pragma once

#include <windows.h>

#include <utility>

namespace pel::win32 {

// Owns one kernel handle; Traits says which value means none and how to close it.
template <typename Traits>
class UniqueHandle {
 public:
  UniqueHandle() = default;
  explicit UniqueHandle(HANDLE h) : h_(h) {}
  ~UniqueHandle() { reset(); }
  UniqueHandle(UniqueHandle&& o) noexcept : h_(std::exchange(o.h_, Traits::Invalid())) {}
  UniqueHandle& operator=(UniqueHandle&& o) noexcept {
    if (this != &o) {
      reset();
      h_ = std::exchange(o.h_, Traits::Invalid());
    }
    return *this;
  }
  UniqueHandle(const UniqueHandle&) = delete;
  UniqueHandle& operator=(const UniqueHandle&) = delete;

  HANDLE get() const { return h_; }
  bool valid() const { return h_ != Traits::Invalid() && h_ != nullptr; }
  void reset() {
    if (valid()) Traits::Close(h_);
    h_ = Traits::Invalid();
  }

 private:
  HANDLE h_ = Traits::Invalid();
};

struct KernelTraits {
  static HANDLE Invalid() { return nullptr; }
  static void Close(HANDLE h) { CloseHandle(h); }
};
struct FileTraits {
  static HANDLE Invalid() { return INVALID_HANDLE_VALUE; }
  static void Close(HANDLE h) { CloseHandle(h); }
};
struct FindTraits {
  static HANDLE Invalid() { return INVALID_HANDLE_VALUE; }
  static void Close(HANDLE h) { FindClose(h); }
};

using KernelHandle = UniqueHandle<KernelTraits>;
using FileHandle = UniqueHandle<FileTraits>;
using FindHandle = UniqueHandle<FindTraits>;

// An open registry key.
class KeyHandle {
 public:
  KeyHandle() = default;
  explicit KeyHandle(HKEY h) : h_(h) {}
  ~KeyHandle() {
    if (h_) RegCloseKey(h_);
  }
  KeyHandle(KeyHandle&& o) noexcept : h_(std::exchange(o.h_, nullptr)) {}
  KeyHandle& operator=(KeyHandle&& o) noexcept {
    if (this != &o) {
      if (h_) RegCloseKey(h_);
      h_ = std::exchange(o.h_, nullptr);
    }
    return *this;
  }
  KeyHandle(const KeyHandle&) = delete;
  KeyHandle& operator=(const KeyHandle&) = delete;
  HKEY get() const { return h_; }

 private:
  HKEY h_ = nullptr;
};

// One reference to a COM interface, released on destruction.
template <typename T>
class ComPtr {
 public:
  ComPtr() = default;
  ~ComPtr() {
    if (p_) p_->Release();
  }
  ComPtr(ComPtr&& o) noexcept : p_(std::exchange(o.p_, nullptr)) {}
  ComPtr& operator=(ComPtr&& o) noexcept {
    if (this != &o) {
      if (p_) p_->Release();
      p_ = std::exchange(o.p_, nullptr);
    }
    return *this;
  }
  ComPtr(const ComPtr&) = delete;
  ComPtr& operator=(const ComPtr&) = delete;

  T* operator->() const { return p_; }
  T* get() const { return p_; }
  explicit operator bool() const { return p_ != nullptr; }
  // For the out parameter of CoCreateInstance and QueryInterface.
  void** out() {
    if (p_) p_->Release();
    p_ = nullptr;
    return reinterpret_cast<void**>(&p_);
  }

 private:
  T* p_ = nullptr;
};

}  // namespace pel::win32
