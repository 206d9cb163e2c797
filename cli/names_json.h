// File names and folders in torvacheck's JSON, exactly: a name that is UTF-8
// is a string; any other is {"bytes": [...]}, its bytes as numbers.
#pragma once

#include <nlohmann/json.hpp>
#include <optional>
#include <string>
#include <vector>

#include "cli/names_text.h"

namespace torva::cli {

inline nlohmann::ordered_json NameJson(const std::string& name) {
    if (IsUtf8(name)) return name;
    nlohmann::ordered_json bytes = nlohmann::ordered_json::array();
    for (const char c : name) bytes.push_back(static_cast<unsigned char>(c));
    return {{"bytes", bytes}};
}

inline nlohmann::ordered_json NameJson(const std::optional<std::string>& name) {
    return name ? NameJson(*name) : nlohmann::ordered_json(nullptr);
}

inline nlohmann::ordered_json NamesJson(const std::vector<std::string>& names) {
    nlohmann::ordered_json list = nlohmann::ordered_json::array();
    for (const std::string& name : names) list.push_back(NameJson(name));
    return list;
}

}  // namespace torva::cli
