// The DDE seam on DDEML: client conversations with one execute command each.
#include "sys/win32/win32_handles.h"
#include "sys/win32/win32_platform.h"

namespace pel::win32 {

namespace {

HDDEDATA CALLBACK ClientCallback(UINT, UINT, HCONV, HSZ, HSZ, HDDEDATA, ULONG_PTR, ULONG_PTR) {
  return nullptr;
}

// A DDEML string handle of one instance.
class StringHandle {
 public:
  StringHandle(DWORD instance, std::string_view text)
      : instance_(instance), hsz_(DdeCreateStringHandleA(instance, Text(text).c_str(), CP_WINANSI)) {}
  ~StringHandle() {
    if (hsz_) DdeFreeStringHandle(instance_, hsz_);
  }
  StringHandle(const StringHandle&) = delete;
  StringHandle& operator=(const StringHandle&) = delete;
  HSZ get() const { return hsz_; }

 private:
  DWORD instance_;
  HSZ hsz_;
};

class Conversation final : public DdeConversation {
 public:
  Conversation(DWORD instance, HCONV conv, std::unique_ptr<StringHandle> service,
               std::unique_ptr<StringHandle> topic)
      : instance_(instance), conv_(conv), service_(std::move(service)), topic_(std::move(topic)) {}
  ~Conversation() override { DdeDisconnect(conv_); }

  bool Execute(std::string_view command) override {
    Text text(command);
    HDDEDATA data = DdeCreateDataHandle(instance_, reinterpret_cast<BYTE*>(text.data()),
                                        static_cast<DWORD>(text.size() + 1), 0, nullptr, CF_TEXT, 0);
    if (!data) return false;
    DWORD transaction = 0;
    HDDEDATA started = DdeClientTransaction(reinterpret_cast<BYTE*>(data), 0xFFFFFFFF, conv_,
                                            nullptr, CF_TEXT, XTYP_EXECUTE, TIMEOUT_ASYNC,
                                            &transaction);
    if (!started) {
      DdeFreeDataHandle(data);
      return false;
    }
    return true;
  }

 private:
  DWORD instance_;
  HCONV conv_;
  std::unique_ptr<StringHandle> service_, topic_;
};

}  // namespace

Win32Dde::~Win32Dde() {
  if (instance_) DdeUninitialize(instance_);
}

std::unique_ptr<DdeConversation> Win32Dde::Connect(std::string_view service,
                                                   std::string_view topic,
                                                   std::string_view program) {
  if (!instance_ &&
      DdeInitializeA(&instance_, ClientCallback, APPCMD_CLIENTONLY, 0) != DMLERR_NO_ERROR) {
    instance_ = 0;
    return nullptr;
  }
  auto service_handle = std::make_unique<StringHandle>(instance_, service);
  auto topic_handle = std::make_unique<StringHandle>(instance_, topic);
  if (!service_handle->get() || !topic_handle->get()) return nullptr;
  HCONV conv = DdeConnect(instance_, service_handle->get(), topic_handle->get(), nullptr);
  if (!conv && !program.empty()) {
    // The server may simply not be running yet: start it once, by its full
    // path only, and ask again once it waits for input.
    Text application(program);
    Text command_line = "\"" + application + "\" " + Text(topic);
    STARTUPINFOA startup = {};
    startup.cb = sizeof startup;
    startup.dwFlags = STARTF_USESHOWWINDOW;
    startup.wShowWindow = SW_SHOWMINNOACTIVE;
    PROCESS_INFORMATION process = {};
    if (CreateProcessA(application.c_str(), command_line.data(), nullptr, nullptr, FALSE, 0,
                       nullptr, nullptr, &startup, &process)) {
      WaitForInputIdle(process.hProcess, 30000);
      CloseHandle(process.hThread);
      CloseHandle(process.hProcess);
      conv = DdeConnect(instance_, service_handle->get(), topic_handle->get(), nullptr);
    }
  }
  if (!conv) return nullptr;
  return std::make_unique<Conversation>(instance_, conv, std::move(service_handle),
                                        std::move(topic_handle));
}

}  // namespace pel::win32
