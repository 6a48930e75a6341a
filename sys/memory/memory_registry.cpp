// An in-memory HKEY_CURRENT_USER: a tree of keys with typed values, and switches to make it refuse.
#include "sys/memory/memory_registry.h"

#include <vector>

namespace pel {

struct MemoryRegistry::Key {
  Text name;
  std::map<Text, std::pair<Text, RegValue>> values;  // lower name -> (spelling, value)
  std::map<Text, std::unique_ptr<Key>> subkeys;      // lower name
};

namespace {

std::vector<Text> SplitKey(std::string_view path) {
  std::vector<Text> names;
  Text name;
  for (char c : path) {
    if (c == '\\') {
      if (!name.empty()) names.push_back(name);
      name.clear();
    } else {
      name += c;
    }
  }
  if (!name.empty()) names.push_back(name);
  return names;
}

}  // namespace

class MemoryRegistry::OpenedKey final : public RegistryKey {
 public:
  OpenedKey(MemoryRegistry* owner, Text path, bool writable)
      : owner_(owner), path_(std::move(path)), writable_(writable) {}

  RegText ReadString(std::string_view name) override {
    Key* key = owner_->Find(path_);
    if (!key) return {Text(), "Key deleted"};
    auto it = key->values.find(AnsiLowerCase(name));
    if (it == key->values.end()) return {};
    const RegValue& v = it->second.second;
    if (v.type != RegType::String && v.type != RegType::ExpandString) {
      return {Text(), InvalidDataTypeError(name)};
    }
    return {v.text, Text()};
  }

  std::vector<Text> ValueNames() override {
    std::vector<Text> names;
    if (Key* key = owner_->Find(path_)) {
      for (const auto& [lower, value] : key->values) names.push_back(value.first);
    }
    return names;
  }

  bool ReadInteger(std::string_view name, uint32_t* value) override {
    Key* key = owner_->Find(path_);
    if (!key) return false;
    auto it = key->values.find(AnsiLowerCase(name));
    if (it == key->values.end() || it->second.second.type != RegType::Integer) return false;
    *value = it->second.second.number;
    return true;
  }

  bool WriteString(std::string_view name, std::string_view value) override {
    return Write(name, RegValue{RegType::String, Text(value), 0});
  }

  bool WriteInteger(std::string_view name, uint32_t value) override {
    return Write(name, RegValue{RegType::Integer, Text(), value});
  }

 private:
  bool Write(std::string_view name, RegValue value) {
    if (!writable_ || owner_->refuse_writes_.count(path_)) return false;
    Key* key = owner_->Find(path_);
    if (!key) return false;
    auto& slot = key->values[AnsiLowerCase(name)];
    if (slot.first.empty()) slot.first = Text(name);
    slot.second = std::move(value);
    return true;
  }

  MemoryRegistry* owner_;
  Text path_;  // normalised
  bool writable_;
};

MemoryRegistry::MemoryRegistry() : root_(std::make_unique<Key>()) {}
MemoryRegistry::~MemoryRegistry() = default;

Text MemoryRegistry::Normal(std::string_view path) {
  Text out;
  for (const Text& name : SplitKey(path)) {
    if (!out.empty()) out += '\\';
    out += AnsiLowerCase(name);
  }
  return out;
}

MemoryRegistry::Key* MemoryRegistry::Find(std::string_view path) const {
  Key* key = root_.get();
  for (const Text& name : SplitKey(path)) {
    auto it = key->subkeys.find(AnsiLowerCase(name));
    if (it == key->subkeys.end()) return nullptr;
    key = it->second.get();
  }
  return key;
}

std::unique_ptr<RegistryKey> MemoryRegistry::OpenKey(std::string_view path) {
  Text normal = Normal(path);
  if (normal.empty() || !Find(path) || refuse_open_.count(normal)) return nullptr;
  return std::make_unique<OpenedKey>(this, normal, false);
}

std::unique_ptr<RegistryKey> MemoryRegistry::CreateKey(std::string_view path) {
  Text normal = Normal(path);
  if (normal.empty() || refuse_open_.count(normal)) return nullptr;
  Key* key = root_.get();
  for (const Text& name : SplitKey(path)) {
    auto& slot = key->subkeys[AnsiLowerCase(name)];
    if (!slot) {
      slot = std::make_unique<Key>();
      slot->name = name;
    }
    key = slot.get();
  }
  return std::make_unique<OpenedKey>(this, normal, true);
}

bool MemoryRegistry::KeyExists(std::string_view path) {
  return !Normal(path).empty() && Find(path) != nullptr;
}

bool MemoryRegistry::DeleteKey(std::string_view path) {
  std::vector<Text> names = SplitKey(path);
  if (names.empty()) return false;
  Text normal = Normal(path);
  for (const Text& refused : refuse_delete_) {
    // A refusal anywhere in the tree keeps the key itself (its subkey stays).
    if (refused == normal || refused.rfind(normal + "\\", 0) == 0) return false;
  }
  Text last = names.back();
  names.pop_back();
  Key* parent = root_.get();
  for (const Text& name : names) {
    auto it = parent->subkeys.find(AnsiLowerCase(name));
    if (it == parent->subkeys.end()) return false;
    parent = it->second.get();
  }
  return parent->subkeys.erase(AnsiLowerCase(last)) == 1;
}

bool MemoryRegistry::DeleteEmptyKey(std::string_view path) {
  Key* k = Find(path);
  if (!k || !k->subkeys.empty() || !k->values.empty()) return false;
  return DeleteKey(path);
}

void MemoryRegistry::Put(std::string_view key, std::string_view name, RegValue value) {
  std::unique_ptr<RegistryKey> created = CreateKey(key);
  Key* k = Find(key);
  if (!k) return;
  auto& slot = k->values[AnsiLowerCase(name)];
  slot.first = Text(name);
  slot.second = std::move(value);
}

std::optional<RegValue> MemoryRegistry::Get(std::string_view key, std::string_view name) const {
  Key* k = Find(key);
  if (!k) return std::nullopt;
  auto it = k->values.find(AnsiLowerCase(name));
  if (it == k->values.end()) return std::nullopt;
  return it->second.second;
}

int MemoryRegistry::ValueCount(std::string_view key) const {
  Key* k = Find(key);
  return k ? static_cast<int>(k->values.size()) : -1;
}

}  // namespace pel
