#include "protocol.h"

#include <nlohmann/json.hpp>

namespace velsor::bridge {

std::string HelloFrame() {
  return nlohmann::json{{"id", nullptr},
                        {"hello", {{"version", VELSOR_VERSION}, {"protocol", kProtocol}}}}
      .dump();
}

}  // namespace velsor::bridge
