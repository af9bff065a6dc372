#pragma once

#include "core/result.h"

#include <cstdint>
#include <functional>
#include <span>
#include <string>
#include <string_view>

namespace korvel {

/// A folder written whole beside its target and then swapped in, so that a failure at any point
/// leaves the old folder as it was and no half-written folder under the target's name. Files go
/// into a hidden sibling folder (named as saveFile names its temporary files) without a sync
/// each; commit syncs them all at once, then the folder, and renames it over the target (an old
/// folder is exchanged with it and removed only after the swap). The temporary folder is removed
/// on every failure and on destruction without commit.
class StagedFolder {
public:
    /// Prepares the temporary sibling of folder (through symbolic links to the folder they
    /// name). An existing folder is replaced only when every item in it is a regular file whose
    /// name replaceable accepts; otherwise, or when folder is a file, this fails naming it.
    [[nodiscard]] static Result<StagedFolder>
    begin(const std::string& folder, const std::function<bool(std::string_view)>& replaceable);
    StagedFolder(StagedFolder&& other) noexcept;
    StagedFolder& operator=(StagedFolder&&) = delete;
    StagedFolder(const StagedFolder&) = delete;
    StagedFolder& operator=(const StagedFolder&) = delete;
    ~StagedFolder();

    /// Writes one new file of the folder. Fails with the system's error text and its name.
    [[nodiscard]] Result<void> add(const std::string& name, std::span<const std::uint8_t> bytes);
    /// Syncs everything and swaps the folder in. Fails with the system's error text.
    [[nodiscard]] Result<void> commit();

private:
    StagedFolder(std::string target, std::string staging, bool replaces, int fd)
        : target_(std::move(target)), staging_(std::move(staging)), replaces_(replaces), fd_(fd) {}
    std::string target_;
    std::string staging_;
    bool replaces_ = false;
    int fd_ = -1;
};

} // namespace korvel
