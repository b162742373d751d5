// Test helpers: a temporary folder removed with everything in it, files written and read
// byte for byte, and environment variables set for one test and restored afterwards.
#pragma once

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <optional>
#include <sstream>
#include <stdexcept>
#include <string>
#include <vector>

class TTestOrdner {
public:
    TTestOrdner()
    {
        std::string pattern = (std::filesystem::temp_directory_path() / "tavix-test-XXXXXX").string();
        if (!::mkdtemp(pattern.data()))
            throw std::runtime_error("mkdtemp failed");
        path_ = pattern + "/";
    }
    TTestOrdner(const TTestOrdner&) = delete;
    TTestOrdner& operator=(const TTestOrdner&) = delete;
    ~TTestOrdner()
    {
        std::error_code ec;
        std::filesystem::remove_all(path_, ec);
    }
    // The folder, ending with "/".
    const std::string& Path() const { return path_; }
    std::string operator/(const std::string& name) const { return path_ + name; }

private:
    std::string path_;
};

inline void WriteBytes(const std::string& path, const std::string& bytes)
{
    std::filesystem::create_directories(std::filesystem::path(path).parent_path());
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out << bytes;
}

inline std::string ReadBytes(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

// The lines of a program's output, without their line ends.
inline std::vector<std::string> OutputLines(const std::string& text)
{
    std::vector<std::string> lines;
    std::istringstream in(text);
    for (std::string line; std::getline(in, line);)
        lines.push_back(line);
    return lines;
}

// Sets (or with nullopt removes) an environment variable until the guard ends.
class TEnvGuard {
public:
    TEnvGuard(const char* name, std::optional<std::string> value) : name_(name)
    {
        if (const char* old = std::getenv(name))
            old_ = old;
        Set(value);
    }
    TEnvGuard(const TEnvGuard&) = delete;
    TEnvGuard& operator=(const TEnvGuard&) = delete;
    ~TEnvGuard() { Set(old_); }

private:
    void Set(const std::optional<std::string>& value)
    {
        if (value)
            ::setenv(name_.c_str(), value->c_str(), 1);
        else
            ::unsetenv(name_.c_str());
    }
    std::string name_;
    std::optional<std::string> old_;
};
