// Registry texts shared by every implementation of the registry seam.
#include "sys/registry.h"

namespace pel {

Text InvalidDataTypeError(std::string_view name) {
  return "Invalid data type for '" + Text(name) + "'";
}

}  // namespace pel
