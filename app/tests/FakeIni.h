// An INI file in memory for the settings tests.
#pragma once

#include <map>
#include <string>
#include <utility>
#include <vector>

#include "app/Settings.h"

namespace mrv::app {

// An INI file in memory that records the order of reads and writes.
class FakeIni final : public IniStore {
  public:
    std::optional<std::string> Read(const std::string& section, const std::string& key) override {
        reads.push_back(key);
        const auto it = values.find({section, key});
        if (it == values.end()) return std::nullopt;
        return it->second;
    }
    bool Write(const std::string& section, const std::string& key,
               const std::string& value) override {
        if (failFromWrite >= 0 && static_cast<int>(writes.size()) >= failFromWrite) return false;
        writes.push_back(section + "/" + key + "=" + value);
        values[{section, key}] = value;
        return true;
    }
    std::string Path() const override { return "C:\\Tools\\Morvanta.ini"; }

    void Set(const std::string& key, const std::string& value) { values[{"Option", key}] = value; }

    std::map<std::pair<std::string, std::string>, std::string> values;
    std::vector<std::string> reads;
    std::vector<std::string> writes;
    int failFromWrite = -1;
};

}  // namespace mrv::app
