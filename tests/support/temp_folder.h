#pragma once

#include <string>

namespace fernhold::test {

// A fresh, empty folder under the system's temporary folder, removed with everything in it
// (read-only parts included) when the object goes.
class TempFolder {
public:
    TempFolder();
    ~TempFolder();
    TempFolder(const TempFolder&) = delete;
    TempFolder& operator=(const TempFolder&) = delete;

    // UTF-8, without a trailing separator.
    const std::string& path() const { return m_path; }
    // path() + separator + name.
    std::string file(const std::string& name) const;

private:
    std::string m_path;
};

} // namespace fernhold::test
