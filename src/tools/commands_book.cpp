// Commands about the book's files: scrambling, packing, listing, pages and checks.
#include "catalogue/catalogue.h"
#include "catalogue/page.h"
#include "catalogue/recipe.h"
#include "catalogue/servings.h"
#include "core/files.h"
#include "core/scramble.h"
#include "tools/cookbook.h"
#include "tools/terminal.h"

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <fcntl.h>
#include <filesystem>
#include <iostream>
#include <set>
#include <sys/stat.h>
#include <unistd.h>

namespace fs = std::filesystem;

namespace cookbook {

using namespace savorel;

namespace {

// Reads a descriptor to its end; false on a read error (a folder given as input, a closed
// standard input), so that nothing is written from a partial read.
bool ReadDescriptor(int fd, std::string& out) {
    out.clear();
    char buffer[65536];
    for (;;) {
        const ssize_t n = ::read(fd, buffer, sizeof buffer);
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            return n == 0;
        out.append(buffer, static_cast<std::size_t>(n));
    }
}

// The caller's own input: a pipe or a FIFO named on the command line is read as it comes.
bool ReadInput(const std::string& path, std::string& out) {
    if (path.empty() || path == "-")
        return ReadDescriptor(STDIN_FILENO, out);
    const int fd = ::open(CallerPath(path).c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0)
        return false;
    const bool ok = ReadDescriptor(fd, out);
    ::close(fd);
    return ok;
}

int Transcode(const Args& args, const char* name) {
    if (args.size() > 2)
        return UsageError(FindCommand(name), "too many arguments");
    const std::string in = args.size() > 0 ? args[0] : "-";
    const std::string out = args.size() > 1 ? args[1] : "-";
    std::string bytes;
    if (!ReadInput(in, bytes))
        return Failure("cookbook: cannot read " + in);
    if (const WriteResult written = WriteOutput(out, ScrambleBytes(bytes), true); !written)
        return Failure("cookbook: " + CannotWrite(out, written));
    return kOk;
}

bool IsTextFile(const fs::path& p) {
    return EqualsIgnoreAsciiCase(p.extension().string(), ".TXT");
}

} // namespace

WriteResult WriteOutput(const std::string& path, const std::string& bytes, bool raw) {
    if (path.empty() || path == "-") {
        std::ostream out(raw ? RawStdout() : std::cout.rdbuf());
        out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
        out.flush();
        WriteResult result;
        if (!out) {
            result.failure = WriteFailure::Write;
            result.error = errno;
        }
        return result;
    }
    return WriteUserFile(CallerPath(path), bytes);
}

std::string CannotWrite(const std::string& path, const WriteResult& result) {
    return "cannot write " + (path.empty() ? std::string("-") : path) + ": " +
           WriteFailureText(result);
}

int RunScramble(const Args& args) {
    return Transcode(args, "scramble");
}
int RunUnscramble(const Args& args) {
    return Transcode(args, "unscramble");
}

int RunPack(const Args& args) {
    if (args.size() != 2)
        return UsageError(FindCommand("pack"), "needs SRC and DEST");
    const fs::path src = CallerPath(args[0]);
    const fs::path dest = CallerPath(args[1]);
    std::error_code ec;
    if (!fs::is_directory(src, ec))
        return Failure("cookbook pack: " + src.string() + " is not a folder");
    fs::create_directories(dest, ec);
    if (ec)
        return Failure("cookbook pack: cannot create " + dest.string() + ": " + ec.message());
    int count = 0;
    for (const auto& entry : fs::directory_iterator(src, ec)) {
        if (!entry.is_regular_file())
            continue;
        std::string bytes;
        if (!ReadWholeFile(entry.path().string(), bytes))
            return Failure("cookbook pack: cannot read " + entry.path().string());
        if (IsTextFile(entry.path()))
            bytes = ScrambleBytes(bytes);
        const fs::path target = dest / entry.path().filename();
        // The packed folder is made again by every build: its files need no sync.
        if (const WriteResult written = WriteUserFile(target.string(), bytes, false); !written)
            return Failure("cookbook pack: " + CannotWrite(target.string(), written));
        ++count;
    }
    if (ec)
        return Failure("cookbook pack: cannot list " + src.string() + ": " + ec.message());
    std::cerr << "packed " << count << " files into " << dest.string() << "\n";
    return kOk;
}

int RunList(const Args& args) {
    if (!args.empty())
        return UsageError(FindCommand("list"), "takes no arguments");
    CategoryTable table;
    CollectingReporter reporter;
    if (!LoadCatalogue(table, reporter))
        return Failure(std::string(kCannotOpenCatalogue) + " (" + kCatalogueFile + ")");
    for (const auto& category : table.categories) {
        std::cout << category.name << "\n";
        for (const auto& sub : category.subcategories) {
            std::cout << "    " << sub.name << "\n";
            for (const auto& recipe : sub.recipes)
                std::cout << "        " << recipe.name << " -> " << recipe.fileName << "\n";
        }
    }
    return kOk;
}

int RunPage(const Args& args) {
    std::string recipe, out;
    int servings = 0;
    if (const int usage = FileOutputAndServings(args, "page", recipe, out, servings); usage != kOk)
        return usage;
    std::string text;
    if (!ReadRecipeText(recipe, text))
        return Failure(std::string(kCannotOpenInput) + "(" + recipe + ")");
    if (const int refused = CheckServings("page", recipe, text, servings); refused != kOk)
        return refused;
    const std::string page =
        servings ? RenderServingsPage(recipe, text, servings) : RenderRecipePageText(recipe, text);
    // A lossless recipe's page is UTF-8 already and says so: its bytes go out as they are.
    if (const WriteResult written = WriteOutput(out, page, PageIsUtf8(page)); !written)
        return Failure(std::string(kCannotOpenOutput) + "(" + out +
                       "): " + WriteFailureText(written));
    return kOk;
}

void Findings::Add(const std::string& file, int line, const std::string& what) {
    ++count;
    std::cout << file;
    if (line > 0)
        std::cout << ":" << line;
    std::cout << ": " << what << "\n";
}

void CheckCatalogue(Findings& findings) {
    CategoryTable table;
    CollectingReporter reporter;
    std::vector<CatalogueProblem> problems;
    if (!LoadCatalogue(table, reporter, &problems)) {
        findings.Add(kCatalogueFile, 0, "cannot be opened");
        return;
    }
    for (const auto& p : problems)
        findings.Add(kCatalogueFile, p.line, p.what);
    // The loader sees lines only as its reader delivers them; what the line ends cost is
    // found on the bytes.
    if (std::string bytes; ReadWholeDataFile(kCatalogueFile, bytes))
        for (const auto& p : CatalogueLineEndProblems(ScrambleBytes(bytes)))
            findings.Add(kCatalogueFile, p.line, p.what);
    std::set<std::string> checked;
    for (const auto& category : table.categories)
        for (const auto& sub : category.subcategories)
            for (const auto& recipe : sub.recipes) {
                if (!checked.insert(recipe.fileName).second)
                    continue;
                std::string text;
                if (!IsSafeDataName(recipe.fileName)) {
                    findings.Add(kCatalogueFile, 0,
                                 "recipe \"" + recipe.name + "\" names an unsafe file \"" +
                                     recipe.fileName + "\"");
                } else if (!ReadRecipeText(recipe.fileName, text)) {
                    findings.Add(kCatalogueFile, 0,
                                 "recipe \"" + recipe.name + "\": file " + recipe.fileName +
                                     " is missing");
                } else if (CountMarkers(text) != 3) {
                    findings.Add(recipe.fileName, 0,
                                 "has " + std::to_string(CountMarkers(text)) +
                                     " \"#\" markers, not 3");
                }
            }
}

int RunCheck(const Args& args) {
    if (!args.empty())
        return UsageError(FindCommand("check"), "takes no arguments");
    Findings findings;
    CheckCatalogue(findings);
    CheckDictionary(findings);
    CheckCalorieTables(findings);
    CheckFavourites(findings);
    if (findings.count == 0) {
        std::cerr << "no problems found\n";
        return kOk;
    }
    std::cerr << findings.count << " problem(s) found\n";
    return kFailure;
}

} // namespace cookbook
