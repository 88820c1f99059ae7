// Recording fakes of the hot-key table and the tray shell.
#pragma once

#include <map>
#include <set>
#include <string>
#include <vector>

#include "desktop/HotKeys.h"
#include "desktop/Tray.h"

namespace mrv::testing {

// A system-wide table: atoms count their references, a key combination has one holder.
class FakeHotKeySystem final : public desktop::HotKeySystem {
  public:
    uint16_t AddAtom(const std::string& name) override {
        auto it = atoms.find(name);
        if (it == atoms.end()) it = atoms.emplace(name, Atom{nextAtom++, 0}).first;
        ++it->second.references;
        log.push_back("atom+ " + name);
        return it->second.value;
    }
    void DeleteAtom(uint16_t atom) override {
        for (auto it = atoms.begin(); it != atoms.end(); ++it) {
            if (it->second.value != atom) continue;
            log.push_back("atom- " + it->first);
            if (--it->second.references == 0) atoms.erase(it);
            return;
        }
    }
    bool Register(int32_t id, uint32_t modifiers, uint32_t key) override {
        // The no-repeat flag is how a key acts, not which key it is.
        const uint64_t combo = (uint64_t{modifiers & ~desktop::kModNoRepeat} << 32) | key;
        log.push_back("register " + std::to_string(id) + " " + std::to_string(modifiers) + " " +
                      std::to_string(key));
        if (held.count(combo) || byId.count(id)) return false;
        held.insert(combo);
        byId[id] = combo;
        return true;
    }
    void Unregister(int32_t id) override {
        log.push_back("unregister " + std::to_string(id));
        auto it = byId.find(id);
        if (it == byId.end()) return;
        held.erase(it->second);
        byId.erase(it);
    }
    std::string KeyName(uint16_t key) override {
        if (key >= 0x70 && key <= 0x87) return "F" + std::to_string(key - 0x70 + 1);
        return std::string(1, static_cast<char>(key));
    }

    struct Atom {
        uint16_t value;
        int references;
    };
    std::map<std::string, Atom> atoms;
    std::set<uint64_t> held;  // combinations taken, also by other programs
    std::map<int32_t, uint64_t> byId;
    uint16_t nextAtom = 0xC123;
    std::vector<std::string> log;
};

class FakeTrayShell final : public desktop::TrayShell {
  public:
    bool Add(desktop::TrayPicture p) override {
        log.push_back("add " + Name(p));
        if (refuseAdd) return false;
        if (!present) {
            present = true;
            picture = p;
        }
        return true;
    }
    void Modify(desktop::TrayPicture p) override {
        log.push_back("modify " + Name(p));
        if (present) picture = p;
    }
    void Delete() override {
        log.push_back("delete");
        present = false;
    }
    static std::string Name(desktop::TrayPicture p) {
        switch (p) {
            case desktop::TrayPicture::Idle:
                return "ico1";
            case desktop::TrayPicture::Recording:
                return "ico2";
            case desktop::TrayPicture::Paused:
                return "ico3";
        }
        return "?";
    }
    bool present = false;
    bool refuseAdd = false;  // no taskbar: every add fails
    desktop::TrayPicture picture = desktop::TrayPicture::Idle;
    std::vector<std::string> log;
};

}  // namespace mrv::testing
