#pragma once
// A fresh folder under /tmp for one test, removed with everything in it afterwards.

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>

namespace kvtest {

class TTempFolder {
public:
    TTempFolder()
    {
        std::string pattern = (std::filesystem::temp_directory_path() / "kvtest-XXXXXX").string();
        path_ = mkdtemp(pattern.data()) ? pattern + "/" : std::string();
    }
    ~TTempFolder()
    {
        std::error_code error;
        std::filesystem::remove_all(path_, error);
    }
    TTempFolder(const TTempFolder&) = delete;
    TTempFolder& operator=(const TTempFolder&) = delete;

    // With a trailing "/".
    const std::string& Path() const { return path_; }

    std::string Write(const std::string& name, const std::string& bytes) const
    {
        const std::string file = path_ + name;
        std::filesystem::create_directories(std::filesystem::path(file).parent_path());
        std::ofstream(file, std::ios::binary) << bytes;
        return file;
    }

private:
    std::string path_;
};

inline std::string ReadBytes(const std::string& file)
{
    std::ifstream in(file, std::ios::binary);
    return std::string((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
}

}  // namespace kvtest
