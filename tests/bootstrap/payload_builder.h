#pragma once

// Payloads and folders made by the bootstrap's tests.
#include "bootstrap/payload.h"

#include <cstdint>
#include <initializer_list>
#include <string>
#include <vector>

namespace bootstrap::testing {

struct PayloadFile {
    std::string name;
    std::string bytes;
};

// A payload of the test's own: its two tables, and program files that carry it.
class TestPayload {
public:
    TestPayload(std::initializer_list<PayloadFile> files)
        : TestPayload(std::vector<PayloadFile>(files)) {}
    explicit TestPayload(std::vector<PayloadFile> files);
    TestPayload(const TestPayload&) = delete;
    TestPayload& operator=(const TestPayload&) = delete;

    PayloadTable Table() const { return {m_names.data(), m_sizes.data()}; }
    const std::vector<PayloadFile>& Files() const { return m_files; }
    std::int64_t Bytes() const;

    // Writes a program file: `offset` bytes of image, then the payload. A positive
    // `lengthChange` appends that many extra bytes; a negative one cuts the file short.
    void WriteProgram(const std::string& path, std::int64_t offset = PayloadOffset,
                      std::int64_t lengthChange = 0) const;

private:
    std::vector<PayloadFile> m_files;
    std::vector<const char*> m_names;
    std::vector<std::int32_t> m_sizes;
};

// Bytes that show any misplaced copy: every value, in an order that depends on `seed`.
std::string PatternBytes(std::size_t size, unsigned seed);

// A fresh folder, removed with all it holds.
class ScratchFolder {
public:
    ScratchFolder();
    ~ScratchFolder();
    ScratchFolder(const ScratchFolder&) = delete;
    ScratchFolder& operator=(const ScratchFolder&) = delete;
    const std::string& path() const { return m_path; }
    std::string operator/(const std::string& name) const { return m_path + "/" + name; }

private:
    std::string m_path;
};

std::string ReadFile(const std::string& path);
void WriteFile(const std::string& path, const std::string& bytes);
bool Exists(const std::string& path);
// Waits until `path` exists and is not empty, at most `seconds`.
bool WaitForFile(const std::string& path, double seconds);

// A stand-in install.exe: after `delaySeconds`, writes its working folder and its argument
// count into `markPath`.
std::string MarkingInstaller(const std::string& markPath, int delaySeconds = 0);

} // namespace bootstrap::testing
