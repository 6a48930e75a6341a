// An in-memory DDE peer: servers that accept or refuse conversations and record the commands sent.
#include "sys/memory/memory_dde.h"

namespace pel {

class MemoryDde::Conversation final : public DdeConversation {
 public:
  explicit Conversation(MemoryDde* owner) : owner_(owner) { ++owner_->open_; }
  ~Conversation() override { --owner_->open_; }

  bool Execute(std::string_view command) override {
    if (owner_->refuse_transactions_) return false;
    owner_->commands_.emplace_back(command);
    return true;
  }

 private:
  MemoryDde* owner_;
};

void MemoryDde::AddServer(std::string_view service, std::string_view topic, bool running,
                          bool startable) {
  servers_.push_back({Text(service), Text(topic), running, startable});
}

MemoryDde::Server* MemoryDde::Find(std::string_view service, std::string_view topic) {
  for (Server& s : servers_) {
    if (AnsiSameText(s.service, service) && AnsiSameText(s.topic, topic)) return &s;
  }
  return nullptr;
}

std::unique_ptr<DdeConversation> MemoryDde::Connect(std::string_view service,
                                                    std::string_view topic,
                                                    std::string_view program) {
  ++connect_attempts_;
  Server* server = Find(service, topic);
  if (server && server->running) return std::make_unique<Conversation>(this);
  // The automatic start: the service's program with the topic as argument.
  if (program.empty()) return nullptr;
  started_.push_back("\"" + Text(program) + "\" " + Text(topic));
  if (!server || !server->startable) return nullptr;
  server->running = true;
  ++connect_attempts_;
  return std::make_unique<Conversation>(this);
}

}  // namespace pel
