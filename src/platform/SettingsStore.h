#pragma once

#include <cstdint>
#include <map>
#include <optional>
#include <string>
#include <vector>

namespace platform {

// Stands in for the registry key Software\Brindlewood\Quillrock\Settings
// under the current user: one file per user holding the key's named raw
// binary values. The file is replaced whole (temporary file, then rename),
// so it is never seen half-written; a damaged file reads as no key at all.
class SettingsStore {
public:
    static constexpr const char* kKeyPath = "Software\\Brindlewood\\Quillrock\\Settings";
    static constexpr std::size_t kMaxFileSize = 64 * 1024;

    using Value = std::vector<std::uint8_t>;
    using Values = std::map<std::string, Value>;

    // $XDG_CONFIG_HOME/quillrock/settings.reg, or under ~/.config.
    static std::string FilePath();

    // Opens the key for reading: false when there is no readable, intact file.
    bool OpenForRead();
    // Creates or opens the key for writing, keeping the values already there:
    // false when its folder cannot be made.
    bool OpenForWrite();

    // The stored bytes of a value, or null when it is absent.
    const Value* Query(const std::string& name) const;
    void Set(const std::string& name, const void* data, std::size_t size);
    // Replaces the file with the key as it stands now; false leaves the old one.
    bool Commit() const;

    // The file's format, for the reader and its fuzzer.
    static std::optional<Values> Parse(const std::uint8_t* data, std::size_t size);
    static std::vector<std::uint8_t> Serialize(const Values& values);

private:
    Values values;
};

} // namespace platform
