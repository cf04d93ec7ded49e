#pragma once

#include <filesystem>
#include <string>

// A fresh folder below the system's temporary folder, removed with everything
// in it on destruction.
class TempFolder
{
public:
    TempFolder();
    ~TempFolder();
    TempFolder(const TempFolder &) = delete;
    TempFolder &operator=(const TempFolder &) = delete;

    const std::string &path() const { return m_path; }
    // The path of name inside the folder.
    std::string file(const std::string &name) const { return m_path + "/" + name; }
    // Writes text to name inside the folder (bytes as given); its path.
    std::string write(const std::string &name, const std::string &text) const;

private:
    std::string m_path;
};

// A temporary folder that is the working directory while this object lives.
class WorkingDirectory
{
public:
    WorkingDirectory();
    ~WorkingDirectory();
    WorkingDirectory(const WorkingDirectory &) = delete;
    WorkingDirectory &operator=(const WorkingDirectory &) = delete;

    const std::string &path() const { return m_folder.path(); }

private:
    TempFolder m_folder;
    std::filesystem::path m_previous;
};

// The whole content of a file; empty when it cannot be read.
std::string readFile(const std::string &path);
