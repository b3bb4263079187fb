#pragma once

#include <string>

// A fresh folder under /tmp, removed with everything in it at the end of
// the test.
class TempDir {
public:
    TempDir();
    ~TempDir();
    TempDir(const TempDir&) = delete;
    TempDir& operator=(const TempDir&) = delete;

    const std::string& Path() const { return path; }
    // Creates parent folders as needed and writes contents to Path()/relative.
    void WriteFile(const std::string& relative, const std::string& contents) const;

private:
    std::string path;
};

// Points XDG_CONFIG_HOME at a temporary folder for the length of a scope.
class ScopedConfigHome {
public:
    ScopedConfigHome();
    ~ScopedConfigHome();
    const std::string& Path() const { return dir.Path(); }

private:
    TempDir dir;
    std::string saved;
    bool hadSaved = false;
};

// Makes the working directory a given folder for the length of a scope.
class ScopedWorkingDir {
public:
    explicit ScopedWorkingDir(const std::string& path);
    ~ScopedWorkingDir();

private:
    std::string saved;
};
