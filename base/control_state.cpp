#include "base/control_state.h"

namespace pel {

const ControlStates::Control* ControlStates::Find(int id) const {
  for (const Control& c : controls_)
    if (c.id == id) return &c;
  return nullptr;
}

ControlStates::Control& ControlStates::At(int id) {
  for (Control& c : controls_)
    if (c.id == id) return c;
  return controls_.emplace_back(Control{id, {}, {}});
}

Text ControlStates::GetText(int id) const {
  const Control* c = Find(id);
  if (!c) return Text();
  if (!c->hasLines) return c->text;
  Text t;
  for (size_t i = 0; i < c->lines.size(); ++i) {
    if (i) t += "\r\n";
    t += c->lines[i];
  }
  return t;
}

void ControlStates::SetText(int id, std::string_view text) {
  Control& c = At(id);
  c.lines.clear();
  c.hasLines = false;
  c.text = Text(text);
}

bool ControlStates::IsChecked(int id) const {
  const Control* c = Find(id);
  return c && c->checked;
}

void ControlStates::SetChecked(int id, bool on) { At(id).checked = on; }

bool ControlStates::IsEnabled(int id) const {
  const Control* c = Find(id);
  return !c || c->enabled;
}

void ControlStates::SetEnabled(int id, bool on) { At(id).enabled = on; }

void ControlStates::ClearLines(int id) {
  Control& c = At(id);
  c.lines.clear();
  c.hasLines = true;
}

void ControlStates::AddLine(int id, std::string_view line) {
  Control& c = At(id);
  c.lines.emplace_back(line);
  c.hasLines = true;
}

std::vector<Text> ControlStates::Lines(int id) const {
  const Control* c = Find(id);
  return c && c->hasLines ? c->lines : std::vector<Text>{};
}

uint32_t ControlStates::TextColor(int id) const {
  const Control* c = Find(id);
  return c ? c->color : 0;
}

void ControlStates::SetTextColor(int id, uint32_t bgr) { At(id).color = bgr; }

}  // namespace pel
