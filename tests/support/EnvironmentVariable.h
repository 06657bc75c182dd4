#pragma once

#include <cstdlib>
#include <optional>
#include <string>
#include <utility>

// Sets or unsets one environment variable for the life of the object, then puts back what was
// there. std::nullopt means unset.
class CEnvironmentVariable {
public:
    CEnvironmentVariable(std::string name, const std::optional<std::string>& value)
        : name(std::move(name)) {
        if (const char* old = std::getenv(this->name.c_str())) {
            previous = old;
        }
        Set(value);
    }
    ~CEnvironmentVariable() { Set(previous); }
    CEnvironmentVariable(const CEnvironmentVariable&) = delete;
    CEnvironmentVariable& operator=(const CEnvironmentVariable&) = delete;

private:
    void Set(const std::optional<std::string>& value) const {
        if (value) {
            setenv(name.c_str(), value->c_str(), 1);
        } else {
            unsetenv(name.c_str());
        }
    }

    std::string name;
    std::optional<std::string> previous;
};
