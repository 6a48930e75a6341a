// An in-memory HKEY_CURRENT_USER: a tree of keys with typed values, and switches to make it refuse.
#pragma once

#include <map>
#include <memory>
#include <optional>
#include <set>

#include "sys/registry.h"

namespace pel {

enum class RegType { String, ExpandString, Integer, Binary };

struct RegValue {
  RegType type = RegType::String;
  Text text;           // String, ExpandString and Binary
  uint32_t number = 0;  // Integer
  bool operator==(const RegValue&) const = default;
};

class MemoryRegistry final : public Registry {
 public:
  MemoryRegistry();
  ~MemoryRegistry() override;
  MemoryRegistry(const MemoryRegistry&) = delete;
  MemoryRegistry& operator=(const MemoryRegistry&) = delete;

  std::unique_ptr<RegistryKey> OpenKey(std::string_view path) override;
  std::unique_ptr<RegistryKey> CreateKey(std::string_view path) override;
  bool KeyExists(std::string_view path) override;
  bool DeleteKey(std::string_view path) override;
  bool DeleteEmptyKey(std::string_view path) override;

  // Test access: plant a value of any type (the key is created), read one back.
  void Put(std::string_view key, std::string_view name, RegValue value);
  std::optional<RegValue> Get(std::string_view key, std::string_view name) const;
  // Number of values of a key; -1 when the key is missing.
  int ValueCount(std::string_view key) const;

  // Refusals, as access rights would give them: opening (also creating) the
  // key fails although it exists; writes to values of the key fail; deleting
  // the key fails.
  void RefuseOpen(std::string_view key) { refuse_open_.insert(Normal(key)); }
  void RefuseWrites(std::string_view key) { refuse_writes_.insert(Normal(key)); }
  void RefuseDelete(std::string_view key) { refuse_delete_.insert(Normal(key)); }

 private:
  struct Key;
  class OpenedKey;
  static Text Normal(std::string_view path);
  Key* Find(std::string_view path) const;

  std::unique_ptr<Key> root_;
  std::set<Text> refuse_open_, refuse_writes_, refuse_delete_;
};

}  // namespace pel
