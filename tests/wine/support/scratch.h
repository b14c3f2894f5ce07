// Scratch registry keys and folders that a test creates and removes itself.
#ifndef TEST_SCRATCH_H
#define TEST_SCRATCH_H
#include <windows.h>
#include <string>

class ScratchKey {
public:
    explicit ScratchKey(HKEY root = HKEY_CURRENT_USER);
    ~ScratchKey();
    HKEY Key() const { return key_; }
    const std::string& Path() const { return path_; }
private:
    HKEY root_;
    HKEY key_ = NULL;
    std::string path_;
};

// A fresh folder under the Wine prefix's temp folder, removed with its
// contents at the end of the test.
class ScratchDir {
public:
    ScratchDir();
    ~ScratchDir();
    const std::string& Path() const { return path_; }   // ends with a backslash
private:
    std::string path_;
};

void DeleteTree(const std::string& folder);              // folder without trailing backslash
void WriteFileBytes(const std::string& path, size_t size, DWORD attributes = FILE_ATTRIBUTE_NORMAL);
#include <vector>
std::vector<std::string> FilesIn(const std::string& folder);   // names, sorted
bool FileExists(const std::string& path);
bool FolderExists(const std::string& path);
std::string ReadRegString(HKEY root, const char* key, const char* value, bool* found = nullptr);
// A REG_DWORD value; 0xdeadbeef when there is none.
DWORD ReadRegNumber(HKEY root, const char* key, const char* value);
// Deletes the VOREL12 service a test left behind, if there is one.
void DeleteDriverServiceIfPresent();
std::string SystemDir();
std::string WindowsDir();

#endif
