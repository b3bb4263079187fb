#include "support/TempDir.h"

#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <stdexcept>

TempDir::TempDir()
{
    char pattern[] = "/tmp/quillrock-test-XXXXXX";
    if (!::mkdtemp(pattern))
        throw std::runtime_error("mkdtemp failed");
    path = pattern;
}

TempDir::~TempDir()
{
    std::error_code ignored;
    std::filesystem::permissions(path, std::filesystem::perms::owner_all, ignored);
    std::filesystem::remove_all(path, ignored);
}

void TempDir::WriteFile(const std::string& relative, const std::string& contents) const
{
    const std::filesystem::path full = std::filesystem::path(path) / relative;
    std::filesystem::create_directories(full.parent_path());
    std::ofstream(full, std::ios::binary) << contents;
}

ScopedConfigHome::ScopedConfigHome()
{
    if (const char* old = std::getenv("XDG_CONFIG_HOME")) {
        saved = old;
        hadSaved = true;
    }
    ::setenv("XDG_CONFIG_HOME", dir.Path().c_str(), 1);
}

ScopedConfigHome::~ScopedConfigHome()
{
    if (hadSaved)
        ::setenv("XDG_CONFIG_HOME", saved.c_str(), 1);
    else
        ::unsetenv("XDG_CONFIG_HOME");
}

ScopedWorkingDir::ScopedWorkingDir(const std::string& path)
{
    saved = std::filesystem::current_path().string();
    std::filesystem::current_path(path);
}

ScopedWorkingDir::~ScopedWorkingDir()
{
    std::error_code ignored;
    std::filesystem::current_path(saved, ignored);
}
