// The ingredient search and the dictionary look-up, measured against grep over the same
// recipes stored plain: the shipped book, and a synthetic book of 100,000 recipes.
#include "catalogue/recipe_model.h"
#include "core/files.h"
#include "core/report.h"
#include "core/scramble.h"
#include "dictionary/dictionary.h"
#include "search/search.h"
#include "support/reference.h"

#include <benchmark/benchmark.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <random>
#include <string>
#include <unistd.h>
#include <vector>

namespace fs = std::filesystem;
using namespace savorel;

namespace {

// A few keys in each list, and the same keys for grep.
const SearchFields kFields{"varza+ciuperci+pui", "porc+smantana", "ceapa+sare"};
const char* const kAllKeys[] = {"varza", "ciuperci", "pui", "porc", "smantana", "ceapa", "sare"};

// Counts what the window would show instead of showing it.
class CountingReporter final : public Reporter {
public:
    void Show(BoxForm, std::string_view) override { ++messages; }
    int messages = 0;
};

std::string MakeTempFolder(const char* name) {
    std::string pattern = (fs::temp_directory_path() / name).string() + "-XXXXXX";
    if (!::mkdtemp(pattern.data()))
        return {};
    return pattern;
}

bool WriteBytes(const std::string& path, const std::string& bytes) {
    std::FILE* f = std::fopen(path.c_str(), "wb");
    if (!f)
        return false;
    const bool ok = std::fwrite(bytes.data(), 1, bytes.size(), f) == bytes.size();
    return std::fclose(f) == 0 && ok;
}

std::string GrepCommand(const std::string& folder) {
    std::string command = "LC_ALL=C grep -r -i -l -F";
    for (const char* key : kAllKeys)
        command += std::string(" -e ") + key;
    return command + " '" + folder + "' >/dev/null";
}

// The folders made for a run go when the run ends.
struct Cleanup {
    std::vector<std::string> folders;
    ~Cleanup() {
        std::error_code ec;
        for (const auto& f : folders)
            fs::remove_all(f, ec);
    }
};
Cleanup& Folders() {
    static Cleanup cleanup;
    return cleanup;
}

// The recipe files the shipped catalogue names, unscrambled into a folder of their own.
const std::string& PlainShippedBook() {
    static const std::string folder = [] {
        std::string plain = MakeTempFolder("savorel-bench-plain");
        if (plain.empty())
            return plain;
        Folders().folders.push_back(plain);
        std::string catalogue;
        if (!ReadWholeFile(std::string(BOOK_DATA_DIR) + "/virt-dir.txt", catalogue))
            return std::string();
        for (const std::string& line : reference::SplitSearchLines(ScrambleBytes(catalogue))) {
            const auto recipe = reference::ParseSearchLine(line);
            std::string bytes;
            if (!recipe || !IsSafeDataName(recipe->fileName) ||
                !ReadWholeFile(std::string(BOOK_DATA_DIR) + "/" + recipe->fileName, bytes))
                continue;
            WriteBytes(plain + "/" + recipe->fileName, ScrambleBytes(bytes));
        }
        return plain;
    }();
    return folder;
}

// 100,000 recipes of about 1.5 kB, scrambled in a data folder and plain in a second folder.
struct SyntheticBook {
    std::string data;
    std::string plain;
};

const SyntheticBook& Synthetic() {
    static const SyntheticBook book = [] {
        SyntheticBook b{MakeTempFolder("savorel-bench-data"), MakeTempFolder("savorel-bench-txt")};
        if (b.data.empty() || b.plain.empty())
            return SyntheticBook{};
        Folders().folders.push_back(b.data);
        Folders().folders.push_back(b.plain);
        const char* words[] = {"varza",  "ciuperci",  "pui",      "porc",   "smantana",  "ceapa",
                               "sare",   "morcovi",   "cartofi",  "orez",   "faina",     "oua",
                               "lapte",  "unt",       "zahar",    "rosii",  "ardei",     "usturoi",
                               "marar",  "patrunjel", "vita",     "miel",   "peste",     "fasole",
                               "mazare", "dovlecei",  "vinete",   "telina", "pastarnac", "piper",
                               "boia",   "cimbru",    "leustean", "bors",   "otet",      "ulei"};
        const std::size_t wordCount = sizeof words / sizeof words[0];
        std::mt19937 random(740);
        std::string catalogue = "m Sintetic\nh Toate\n";
        for (int n = 1; n <= 100000; ++n) {
            const std::string file = "R" + std::to_string(n) + ".TXT";
            catalogue += "i Reteta sintetica " + std::to_string(n) + " ~ " + file + "\n";
            std::string text = "#\nReteta sintetica " + std::to_string(n) + "\n#\n";
            const int items = 6 + static_cast<int>(random() % 8);
            for (int i = 0; i < items; ++i)
                text += std::to_string(50 + random() % 450) + " g " + words[random() % wordCount] +
                        "; ";
            text += "\n#\n";
            while (text.size() < 1500)
                text += "Se amesteca bine cu " + std::string(words[random() % wordCount]) +
                        " si se lasa la foc mic cateva minute, apoi se gusta. ";
            WriteBytes(b.data + "/" + file, ScrambleBytes(text));
            WriteBytes(b.plain + "/" + file, text);
        }
        WriteBytes(b.data + "/virt-dir.txt", ScrambleBytes(catalogue));
        // Write-back of the new files must not run during the measurements.
        ::sync();
        return b;
    }();
    return book;
}

// The same 100,000 recipes as own recipes in the lossless form: one item per line, each file the
// JSON that the editor writes, scrambled in a data folder and plain in a second folder.
const SyntheticBook& SyntheticLossless() {
    static const SyntheticBook book = [] {
        SyntheticBook b{MakeTempFolder("savorel-bench-json"), MakeTempFolder("savorel-bench-jtxt")};
        if (b.data.empty() || b.plain.empty())
            return SyntheticBook{};
        Folders().folders.push_back(b.data);
        Folders().folders.push_back(b.plain);
        const char* words[] = {"varz\xc4\x83",
                               "ciuperci",
                               "pui",
                               "porc",
                               "sm\xc3\xa2nt\xc3\xa2n\xc4\x83",
                               "ceap\xc4\x83",
                               "sare",
                               "morcovi",
                               "cartofi",
                               "orez",
                               "f\xc4\x83in\xc4\x83",
                               "ou\xc4\x83",
                               "lapte",
                               "unt",
                               "zah\xc4\x83r",
                               "ro\xc8\x99ii",
                               "ardei",
                               "usturoi",
                               "m\xc4\x83rar",
                               "vit\xc4\x83"};
        const std::size_t wordCount = sizeof words / sizeof words[0];
        std::mt19937 random(740);
        std::string catalogue = "m Sintetic\nh Toate\n";
        for (int n = 1; n <= 100000; ++n) {
            const std::string file = "xet" + std::to_string(n) + ".txt";
            catalogue += "i Reteta sintetica " + std::to_string(n) + " ~ " + file + "\n";
            Recipe r;
            r.form = RecipeForm::Lossless;
            r.title = "Re\xc8\x9b"
                      "et\xc4\x83 sintetic\xc4\x83 " +
                      std::to_string(n);
            r.servings = 4;
            r.sections.emplace_back();
            const int items = 6 + static_cast<int>(random() % 8);
            for (int i = 0; i < items; ++i)
                r.sections.back().items.push_back(std::to_string(50 + random() % 450) + " g " +
                                                  words[random() % wordCount] + ", t\xc4\x83iat");
            std::string step;
            while (step.size() < 1200)
                step += "Se amestec\xc4\x83 bine cu " + std::string(words[random() % wordCount]) +
                        " \xc8\x99i se las\xc4\x83 la foc mic c\xc3\xa2teva minute. ";
            r.steps = {step};
            const std::string text = LosslessRecipeText(r);
            WriteBytes(b.data + "/" + file, ScrambleBytes(text));
            WriteBytes(b.plain + "/" + file, text);
        }
        WriteBytes(b.data + "/virt-dir.txt", ScrambleBytes(catalogue));
        ::sync();
        return b;
    }();
    return book;
}

void RunSearchIn(benchmark::State& state, const std::string& folder) {
    if (folder.empty() || ::chdir(folder.c_str()) != 0) {
        state.SkipWithError("no book to search");
        return;
    }
    int matches = 0;
    CountingReporter reporter;
    for (auto _ : state) {
        matches = RunSearch(kFields, reporter, [](const SearchMatch& m) {
            benchmark::DoNotOptimize(m.fileName.data());
        });
    }
    state.counters["matches"] = matches;
    state.counters["messages"] = reporter.messages;
}

void RunGrepIn(benchmark::State& state, const std::string& folder) {
    if (folder.empty()) {
        state.SkipWithError("no plain copy");
        return;
    }
    const std::string command = GrepCommand(folder);
    for (auto _ : state) {
        const int status = std::system(command.c_str());
        if (status == -1) {
            state.SkipWithError("grep cannot run");
            return;
        }
    }
}

void SearchShippedBook(benchmark::State& state) {
    RunSearchIn(state, BOOK_DATA_DIR);
}
BENCHMARK(SearchShippedBook)->Unit(benchmark::kMillisecond)->UseRealTime();

void GrepShippedBook(benchmark::State& state) {
    RunGrepIn(state, PlainShippedBook());
}
BENCHMARK(GrepShippedBook)->Unit(benchmark::kMillisecond)->UseRealTime();

void SearchSynthetic100k(benchmark::State& state) {
    RunSearchIn(state, Synthetic().data);
}
BENCHMARK(SearchSynthetic100k)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(5);

void GrepSynthetic100k(benchmark::State& state) {
    RunGrepIn(state, Synthetic().plain);
}
BENCHMARK(GrepSynthetic100k)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(5);

void SearchLossless100k(benchmark::State& state) {
    RunSearchIn(state, SyntheticLossless().data);
}
BENCHMARK(SearchLossless100k)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(5);

void GrepLossless100k(benchmark::State& state) {
    RunGrepIn(state, SyntheticLossless().plain);
}
BENCHMARK(GrepLossless100k)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(5);

// A word near the end of the shipped dictionary, and one that is not there (the whole file).
void DictionaryLookUp(benchmark::State& state) {
    if (::chdir(BOOK_DATA_DIR) != 0) {
        state.SkipWithError("no packed book");
        return;
    }
    std::string text;
    if (!ReadWholeDataFile(kDictionaryFile, text)) {
        state.SkipWithError("no dictionary");
        return;
    }
    const auto entries = ParseDictionary(ScrambleBytes(text));
    const std::string word = state.range(0) == 0 || entries.empty()
                                 ? std::string("cuvant care nu exista")
                                 : entries[entries.size() - 1].word;
    std::string explanation;
    LookupResult result = LookupResult::NotFound;
    for (auto _ : state) {
        result = DictionaryLookup(word, explanation);
        benchmark::DoNotOptimize(explanation.data());
    }
    state.counters["found"] = result == LookupResult::Found;
}
BENCHMARK(DictionaryLookUp)->Arg(0)->Arg(1)->Unit(benchmark::kMicrosecond)->UseRealTime();

} // namespace
