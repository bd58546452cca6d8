#include "platform/win32/win32_kernel_objects.h"

#include <windows.h>
#include <wincrypt.h>

#include "platform/win32/text_conversion.h"

namespace kelvo {
namespace {

class CryptContext {
 public:
  // A verify-only context needs no key container; where it is refused, the default one serves.
  CryptContext() {
    if (!::CryptAcquireContextW(&provider_, nullptr, nullptr, PROV_RSA_FULL, CRYPT_VERIFYCONTEXT)) {
      if (!::CryptAcquireContextW(&provider_, nullptr, nullptr, PROV_RSA_FULL, 0)) provider_ = 0;
    }
  }
  ~CryptContext() {
    if (provider_) ::CryptReleaseContext(provider_, 0);
  }
  CryptContext(const CryptContext&) = delete;
  CryptContext& operator=(const CryptContext&) = delete;
  HCRYPTPROV get() const { return provider_; }

 private:
  HCRYPTPROV provider_ = 0;
};

class CryptHash {
 public:
  CryptHash(HCRYPTPROV provider, ALG_ID algorithm) {
    if (!::CryptCreateHash(provider, algorithm, 0, 0, &hash_)) hash_ = 0;
  }
  ~CryptHash() {
    if (hash_) ::CryptDestroyHash(hash_);
  }
  CryptHash(const CryptHash&) = delete;
  CryptHash& operator=(const CryptHash&) = delete;
  HCRYPTHASH get() const { return hash_; }

 private:
  HCRYPTHASH hash_ = 0;
};

}  // namespace

NamedEventResult Win32KernelObjects::CreateNamedEvent(const std::string& name) {
  const std::wstring wide = GbkToUtf16(name);
  UniqueHandle event(::CreateEventW(nullptr, FALSE, FALSE, name.empty() ? nullptr : wide.c_str()));
  if (!event) return NamedEventResult::kFailed;
  const bool existed = ::GetLastError() == ERROR_ALREADY_EXISTS;
  events_.push_back(std::move(event));
  return existed ? NamedEventResult::kAlreadyExists : NamedEventResult::kCreated;
}

std::optional<Md5Digest> Win32KernelObjects::Md5(const std::string& bytes) {
  CryptContext context;
  if (!context.get()) return std::nullopt;
  CryptHash hash(context.get(), CALG_MD5);
  if (!hash.get()) return std::nullopt;
  if (!::CryptHashData(hash.get(), reinterpret_cast<const BYTE*>(bytes.data()),
                       static_cast<DWORD>(bytes.size()), 0)) {
    return std::nullopt;
  }
  Md5Digest digest{};
  DWORD length = static_cast<DWORD>(digest.size());
  if (!::CryptGetHashParam(hash.get(), HP_HASHVAL, digest.data(), &length, 0) ||
      length != digest.size()) {
    return std::nullopt;
  }
  return digest;
}

}  // namespace kelvo
