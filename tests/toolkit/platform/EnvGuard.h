#pragma once
// Sets environment variables for one test and puts the previous values back afterwards, so
// that settings made for the whole run (a CI's registry file) survive the test.
#include <cstdlib>
#include <optional>
#include <string>
#include <utility>
#include <vector>

namespace qel::test {

class EnvGuard {
  public:
    EnvGuard() = default;
    EnvGuard(const EnvGuard&) = delete;
    EnvGuard& operator=(const EnvGuard&) = delete;
    ~EnvGuard() { RestoreAll(); }

    void Set(const std::string& Name, const std::string& Value) {
        Remember(Name);
        ::setenv(Name.c_str(), Value.c_str(), 1);
    }
    void Unset(const std::string& Name) {
        Remember(Name);
        ::unsetenv(Name.c_str());
    }
    void RestoreAll() {
        for (auto It = Saved_.rbegin(); It != Saved_.rend(); ++It) {
            if (It->second)
                ::setenv(It->first.c_str(), It->second->c_str(), 1);
            else
                ::unsetenv(It->first.c_str());
        }
        Saved_.clear();
    }

  private:
    void Remember(const std::string& Name) {
        for (const auto& S : Saved_)
            if (S.first == Name) return;
        const char* Old = std::getenv(Name.c_str());
        Saved_.emplace_back(Name, Old ? std::optional<std::string>(Old) : std::nullopt);
    }
    std::vector<std::pair<std::string, std::optional<std::string>>> Saved_;
};

} // namespace qel::test
