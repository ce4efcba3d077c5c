#include "bootstrap/launch.h"

#include <cerrno>
#include <climits>
#include <cstdlib>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

extern char** environ;

namespace bootstrap {

namespace {

// A folder that only its owner, this user, may change.
bool IsOwnFolder(const char* path) {
    struct stat st {};
    return path && *path && ::stat(path, &st) == 0 && S_ISDIR(st.st_mode) &&
           st.st_uid == ::geteuid() && (st.st_mode & (S_IWGRP | S_IWOTH)) == 0 &&
           ::access(path, W_OK | X_OK) == 0;
}

// The user's private folder: created when missing, and taken only when it is a real folder
// (not a link) of the user's, closed to everyone else.
bool MakePrivateFolder(const std::string& path) {
    ::mkdir(path.c_str(), 0700);
    struct stat st {};
    if (::lstat(path.c_str(), &st) != 0 || !S_ISDIR(st.st_mode) || st.st_uid != ::geteuid())
        return false;
    if ((st.st_mode & 077) != 0 && ::chmod(path.c_str(), 0700) != 0)
        return false;
    return ::access(path.c_str(), W_OK | X_OK) == 0;
}

} // namespace

std::optional<std::string> ChooseTempFolder(const EnvLookup& env, const std::string& systemFolder) {
    for (const char* name : {"TEMP", "TMP"}) {
        const char* value = env(name);
        if (value && *value)
            return std::string(value);
    }
    const char* tmpdir = env("TMPDIR");
    if (IsOwnFolder(tmpdir))
        return std::string(tmpdir);
    const char* runtime = env("XDG_RUNTIME_DIR");
    if (runtime && runtime[0] == '/') {
        const std::string folder = std::string(runtime) + "/savorel";
        if (MakePrivateFolder(folder))
            return folder;
    }
    const std::string own = systemFolder + "/savorel-" + std::to_string(::geteuid());
    if (MakePrivateFolder(own))
        return own;
    // Someone else took the name first: a fresh folder of ours beside it.
    std::string pattern = own + "-XXXXXX";
    if (::mkdtemp(pattern.data()) != nullptr)
        return pattern;
    return std::nullopt;
}

std::string KitFolderPath(const std::string& tempFolder) {
    return tempFolder + "/KIT";
}

KitFolder PrepareKitFolder(const std::string& kit) {
    if (::mkdir(kit.c_str(), 0700) == 0)
        return KitFolder::Ready;
    if (errno != EEXIST)
        return KitFolder::Missing;
    // A shared temporary folder lets anyone make a KIT first; the installer started from it
    // would then be theirs to swap.
    struct stat st {};
    if (::lstat(kit.c_str(), &st) != 0 || !S_ISDIR(st.st_mode) || st.st_uid != ::geteuid() ||
        (st.st_mode & S_IWOTH) != 0)
        return KitFolder::Foreign;
    return KitFolder::Ready;
}

std::string OwnPathFromCommandLine(const std::string& commandLine) {
    if (commandLine.empty())
        return std::string();
    const std::string rest = commandLine.substr(1);
    const std::size_t quote = rest.find('"');
    return quote == std::string::npos ? rest : rest.substr(0, quote);
}

std::string OwnProgramPath() {
    std::string buffer(PATH_MAX, '\0');
    for (;;) {
        const ssize_t n = ::readlink("/proc/self/exe", buffer.data(), buffer.size());
        if (n < 0)
            return "/proc/self/exe"; // still opens the running program's file
        if (static_cast<std::size_t>(n) < buffer.size()) {
            buffer.resize(static_cast<std::size_t>(n));
            return buffer;
        }
        buffer.resize(buffer.size() * 2);
    }
}

void StartInstaller(const std::string& kit) {
    const std::string path = kit + "/" + kInstaller;
    struct stat st {};
    if (::stat(path.c_str(), &st) == 0 && S_ISREG(st.st_mode) && st.st_uid == ::geteuid())
        ::chmod(path.c_str(), (st.st_mode & 07777) | S_IXUSR);

    // Everything the children use is made before forking: only async-signal-safe calls follow.
    const std::string program = std::string("./") + kInstaller;
    char* const argv[] = {const_cast<char*>(kInstaller), nullptr};
    const pid_t child = ::fork();
    if (child < 0)
        return;
    if (child == 0) {
        // A grandchild in its own session: not ours to wait for, and not ended with us.
        ::setsid();
        const pid_t grandchild = ::fork();
        if (grandchild == 0) {
            if (::chdir(kit.c_str()) == 0)
                ::execve(program.c_str(), argv, environ);
            ::_exit(127);
        }
        ::_exit(grandchild < 0 ? 1 : 0);
    }
    int status = 0;
    while (::waitpid(child, &status, 0) < 0 && errno == EINTR) {
    }
}

void RunBootstrap(const PayloadTable& table, const EnvLookup& env, const std::string& self,
                  ExtractionSink& sink) {
    const std::optional<std::string> temp = ChooseTempFolder(env);
    if (!temp) {
        sink.Show({std::nullopt, kNoTempFolder});
        return;
    }
    const std::string kit = KitFolderPath(*temp);
    if (PrepareKitFolder(kit) == KitFolder::Foreign) {
        sink.Show({kit, kCantWrite});
        return;
    }
    // Its failures were shown in boxes; the installer is started whatever it answers.
    (void)ExtractPayload(table, kit, self, PayloadOffset, sink);
    StartInstaller(kit);
}

} // namespace bootstrap
