#include "payload_builder.h"

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <stdexcept>
#include <thread>

namespace bootstrap::testing {

TestPayload::TestPayload(std::vector<PayloadFile> files) : m_files(std::move(files)) {
    for (const PayloadFile& f : m_files) {
        m_names.push_back(f.name.c_str());
        m_sizes.push_back(static_cast<std::int32_t>(f.bytes.size()));
    }
    m_names.push_back(nullptr);
}

std::int64_t TestPayload::Bytes() const {
    std::int64_t total = 0;
    for (const PayloadFile& f : m_files)
        total += static_cast<std::int64_t>(f.bytes.size());
    return total;
}

void TestPayload::WriteProgram(const std::string& path, std::int64_t offset,
                               std::int64_t lengthChange) const {
    std::string program = PatternBytes(static_cast<std::size_t>(offset), 99);
    for (const PayloadFile& f : m_files)
        program += f.bytes;
    if (lengthChange >= 0)
        program += std::string(static_cast<std::size_t>(lengthChange), '\xEE');
    else
        program.resize(program.size() - static_cast<std::size_t>(-lengthChange));
    WriteFile(path, program);
}

std::string PatternBytes(std::size_t size, unsigned seed) {
    std::string bytes(size, '\0');
    unsigned x = seed * 2654435761u + 1;
    for (std::size_t i = 0; i < size; ++i) {
        x = x * 1103515245u + 12345u;
        bytes[i] = static_cast<char>((x >> 16) ^ i);
    }
    return bytes;
}

ScratchFolder::ScratchFolder() {
    const char* base = std::getenv("TMPDIR");
    std::string pattern = std::string(base && *base ? base : "/tmp") + "/bootstrap-test.XXXXXX";
    if (!::mkdtemp(pattern.data()))
        throw std::runtime_error("cannot make a scratch folder");
    m_path = pattern;
}

ScratchFolder::~ScratchFolder() {
    std::error_code ec;
    std::filesystem::remove_all(m_path, ec);
}

std::string ReadFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream out;
    out << in.rdbuf();
    return out.str();
}

void WriteFile(const std::string& path, const std::string& bytes) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    if (!out.flush())
        throw std::runtime_error("cannot write " + path);
}

bool Exists(const std::string& path) {
    std::error_code ec;
    return std::filesystem::exists(std::filesystem::symlink_status(path, ec));
}

bool WaitForFile(const std::string& path, double seconds) {
    const auto end = std::chrono::steady_clock::now() + std::chrono::duration<double>(seconds);
    do {
        std::error_code ec;
        if (std::filesystem::file_size(path, ec) > 0 && !ec)
            return true;
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    } while (std::chrono::steady_clock::now() < end);
    return false;
}

std::string MarkingInstaller(const std::string& markPath, int delaySeconds) {
    // Written whole through a rename, so a waiting test never reads half of it.
    return "#!/bin/sh\nsleep " + std::to_string(delaySeconds) +
           "\nprintf '%s\\n%s\\n' \"$(pwd -P)\" \"$#\" > '" + markPath + ".part' && mv '" +
           markPath + ".part' '" + markPath + "'\n";
}

} // namespace bootstrap::testing
