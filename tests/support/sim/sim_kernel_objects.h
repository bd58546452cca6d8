// Named events shared with other (simulated) processes, and an MD5 of its own.
#pragma once

#include <set>
#include <string>
#include <vector>

#include "platform/kernel_objects.h"

namespace kelvo::sim {

class SimKernelObjects : public KernelObjects {
 public:
  // An event another process holds answers kAlreadyExists; a name taken by an object of another
  // kind answers kFailed; any other name is created and held by this process.
  NamedEventResult CreateNamedEvent(const std::string& name) override;
  // RFC 1321, computed here; nullopt while the cryptography is switched off.
  std::optional<Md5Digest> Md5(const std::string& bytes) override;

  // Test side.
  void HoldElsewhere(const std::string& name) { elsewhere_.insert(name); }
  void TakeNameByOtherKind(const std::string& name) { other_kind_.insert(name); }
  void SetCryptoAvailable(bool available) { crypto_available_ = available; }
  // Every name CreateNamedEvent was called with, in order.
  const std::vector<std::string>& create_calls() const { return create_calls_; }
  const std::set<std::string>& held() const { return held_; }

 private:
  std::set<std::string> elsewhere_;
  std::set<std::string> other_kind_;
  std::set<std::string> held_;
  std::vector<std::string> create_calls_;
  bool crypto_available_ = true;
};

}  // namespace kelvo::sim
