// The application object: title, module handle, and the standard exception box.
#include "app/win32/application.h"

namespace pel::app {
namespace {
HINSTANCE g_instance = nullptr;
Text g_title = "Pelmora";
}  // namespace

HINSTANCE Instance() { return g_instance; }
void SetInstance(HINSTANCE h) { g_instance = h; }
const Text& Title() { return g_title; }
void SetTitle(std::string_view title) { g_title = Text(title); }

void ShowException(std::string_view message) {
  Text text(message);
  if (!text.empty() && static_cast<unsigned char>(text.back()) > '.') text += '.';
  MessageBoxA(GetActiveWindow(), text.c_str(), g_title.c_str(), MB_OK | MB_ICONERROR);
}

}  // namespace pel::app
