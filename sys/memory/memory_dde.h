// An in-memory DDE peer: servers that accept or refuse conversations and record the commands sent.
#pragma once

#include <vector>

#include "base/text.h"
#include "sys/dde.h"

namespace pel {

class MemoryDde final : public DdeClient {
 public:
  // A server answering service/topic; running or not yet running. A server
  // that is not running is started by the automatic start when startable.
  void AddServer(std::string_view service, std::string_view topic, bool running = true,
                 bool startable = true);
  // Makes every execute transaction fail to start.
  void RefuseTransactions(bool refuse) { refuse_transactions_ = refuse; }

  std::unique_ptr<DdeConversation> Connect(std::string_view service, std::string_view topic,
                                           std::string_view program) override;

  // Commands received, in order, and the command lines the automatic start tried.
  const std::vector<Text>& commands() const { return commands_; }
  const std::vector<Text>& started() const { return started_; }
  int connect_attempts() const { return connect_attempts_; }
  int open_conversations() const { return open_; }

 private:
  struct Server {
    Text service, topic;
    bool running, startable;
  };
  class Conversation;
  Server* Find(std::string_view service, std::string_view topic);

  std::vector<Server> servers_;
  std::vector<Text> commands_, started_;
  bool refuse_transactions_ = false;
  int connect_attempts_ = 0;
  int open_ = 0;
};

}  // namespace pel
