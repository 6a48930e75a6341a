// The DDE seam: a client conversation with a server such as the Program Manager.
#pragma once

#include <memory>
#include <string_view>

namespace pel {

// An open conversation; its destruction closes it.
class DdeConversation {
 public:
  virtual ~DdeConversation() = default;
  // Starts one execute transaction with the command (text format, terminating
  // zero byte included) without waiting for the server's answer. True when the
  // transaction was started; false when the data could not be made or the
  // transaction was refused.
  virtual bool Execute(std::string_view command) = 0;
};

class DdeClient {
 public:
  virtual ~DdeClient() = default;
  // Opens a conversation with service and topic. When the first attempt fails
  // and program (the full path of the server's program) is given, starts it
  // with the topic as its argument (minimised, not activated, never searched
  // for) and, when that start succeeded, tries once more. nullptr when no
  // conversation could be opened.
  virtual std::unique_ptr<DdeConversation> Connect(std::string_view service,
                                                   std::string_view topic,
                                                   std::string_view program) = 0;
};

}  // namespace pel
