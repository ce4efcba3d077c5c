#include "catalogue/catalogue.h"

#include "core/files.h"
#include "core/scramble.h"

namespace savorel {

const CatalogueSubcategory* CategoryTable::Subcategory(int category, int subcategory) const {
    if (category < 0 || category > LastIndex() || subcategory < 0)
        return nullptr;
    const auto& subs = categories[static_cast<std::size_t>(category)].subcategories;
    if (static_cast<std::size_t>(subcategory) >= subs.size())
        return nullptr;
    return &subs[static_cast<std::size_t>(subcategory)];
}

const CatalogueRecipe* CategoryTable::Recipe(int category, int subcategory, int recipe) const {
    const CatalogueSubcategory* sub = Subcategory(category, subcategory);
    if (!sub || recipe < 0 || static_cast<std::size_t>(recipe) >= sub->recipes.size())
        return nullptr;
    return &sub->recipes[static_cast<std::size_t>(recipe)];
}

namespace {

// One line into `line` (kept between calls, so 100,000 lines cost no allocation each), by
// the rule of ReadScrambledLine: carriage returns dropped, the limit cuts the line.
void ReadLineInto(std::FILE* f, std::string& line) {
    line.clear();
    int c = ReadScrambledChar(f);
    while (c != -1 && c != '\n' && line.size() < kCatalogueLineLimit) {
        if (c != '\r')
            line.push_back(static_cast<char>(c));
        c = ReadScrambledChar(f);
    }
}

void AssignCut(std::string& to, std::string_view text) {
    to.assign(text.substr(0, kCatalogueNameLimit));
}

void ReadCatalogueLineInto(std::FILE* f, std::string& line, CatalogueLine& result) {
    result.tag = ' ';
    result.name.clear();
    result.fileName.clear();
    result.hasTilde = false;
    ReadLineInto(f, line);
    if (std::feof(f))
        return;
    const std::string_view view(line);
    std::size_t i = 0;
    while (i < view.size() && (view[i] == ' ' || view[i] == '\t'))
        ++i;
    result.tag = i < view.size() ? view[i] : '\0';
    ++i;
    if (result.tag == 'm' || result.tag == 'h') {
        if (i < view.size() && view[i] == ' ')
            while (i < view.size() && view[i] == ' ')
                ++i;
        AssignCut(result.name, view.substr(std::min(i, view.size())));
    } else if (result.tag == 'i') {
        while (i < view.size() && view[i] == ' ')
            ++i;
        const std::size_t tilde = view.find('~', std::min(i, view.size()));
        result.hasTilde = tilde != std::string_view::npos;
        const std::size_t nameEnd = result.hasTilde ? tilde : view.size();
        AssignCut(result.name, view.substr(std::min(i, nameEnd), nameEnd - std::min(i, nameEnd)));
        if (result.hasTilde) {
            std::size_t j = tilde + 1;
            while (j < view.size() && view[j] == ' ')
                ++j;
            std::size_t end = j;
            while (end < view.size() && view[end] != ' ' && view[end] != '\t')
                ++end;
            AssignCut(result.fileName, view.substr(j, end - j));
        }
    }
}

} // namespace

CatalogueLine ReadCatalogueLine(std::FILE* f) {
    std::string line;
    CatalogueLine result;
    ReadCatalogueLineInto(f, line, result);
    return result;
}

bool LoadCatalogueFrom(std::FILE* f, CategoryTable& table,
                       std::vector<CatalogueProblem>* problems) {
    table.categories.clear();
    auto problem = [&](int line, std::string what) {
        if (problems)
            problems->push_back({line, std::move(what)});
    };
    int lineNumber = 0;
    bool overflow = false; // content after the tenth category is left out
    std::size_t entries = 0;
    // A read error sets neither the end of the file nor stops the reads: it ends the loop.
    std::string buffer;
    CatalogueLine line;
    while (!std::feof(f) && !std::ferror(f)) {
        ReadCatalogueLineInto(f, buffer, line);
        ++lineNumber;
        if ((line.tag == 'h' || line.tag == 'i') && !overflow && entries >= kMaxCatalogueEntries) {
            // Memory stays bounded whatever the file holds; the lists could not show more.
            overflow = true;
            problem(lineNumber, "more than " + std::to_string(kMaxCatalogueEntries) +
                                    " entries: the rest is left out");
        }
        switch (line.tag) {
        case 'm':
            if (table.categories.size() >= kMaxCategories || overflow) {
                if (overflow)
                    break;
                overflow = true;
                problem(lineNumber, "more than " + std::to_string(kMaxCategories) +
                                        " categories: \"" + line.name + "\" is left out");
                break;
            }
            table.categories.push_back({std::move(line.name), {}});
            break;
        case 'h':
            if (overflow)
                break;
            if (table.categories.empty()) {
                problem(lineNumber, "subcategory before any category");
                break;
            }
            if (line.name.empty()) {
                problem(lineNumber, "subcategory without a name");
                break;
            }
            table.categories.back().subcategories.push_back({std::move(line.name), {}});
            ++entries;
            break;
        case 'i':
            if (overflow)
                break;
            if (!line.hasTilde) {
                problem(lineNumber, "recipe line without \"~\"");
                break;
            }
            if (table.categories.empty() || table.categories.back().subcategories.empty()) {
                problem(lineNumber, "recipe before any subcategory of its category");
                break;
            }
            table.categories.back().subcategories.back().recipes.push_back(
                {std::move(line.name), std::move(line.fileName)});
            ++entries;
            break;
        default:
            break;
        }
    }
    return !std::ferror(f);
}

std::vector<CatalogueProblem> CatalogueLineEndProblems(std::string_view text) {
    int lineNumber = 1;
    int firstGlued = 0, glued = 0, firstLong = 0, longLines = 0;
    std::size_t stored = 0; // characters of the current line that the reader keeps
    bool content = false;   // the current line holds more than blanks and tabs
    for (std::size_t i = 0; i < text.size(); ++i) {
        const char c = text[i];
        if (c == '\n') {
            ++lineNumber;
            stored = 0;
            content = false;
            continue;
        }
        if (c == '\r') {
            const std::size_t next = text.find_first_not_of('\r', i);
            if (next != std::string_view::npos && text[next] != '\n' && glued++ == 0)
                firstGlued = lineNumber;
            continue;
        }
        if (++stored == kCatalogueLineLimit + 1 && longLines++ == 0)
            firstLong = lineNumber;
        content = content || (c != ' ' && c != '\t');
    }
    std::vector<CatalogueProblem> problems;
    if (glued)
        problems.push_back({firstGlued, "carriage return without a line feed (" +
                                            std::to_string(glued) +
                                            " in the file): the lines around it are read as one"});
    if (longLines)
        problems.push_back({firstLong, "longer than " + std::to_string(kCatalogueLineLimit) +
                                           " characters (" + std::to_string(longLines) +
                                           " such lines): the rest is read as another line"});
    if (content)
        problems.push_back({lineNumber, "last line without a line feed: it is not taken"});
    return problems;
}

bool LoadCatalogue(CategoryTable& table, Reporter& reporter,
                   std::vector<CatalogueProblem>* problems) {
    table.categories.clear();
    FilePtr f = OpenDataFile(kCatalogueFile, "rb");
    if (!f) {
        reporter.Show(BoxForm::Owned, kCannotOpenCatalogue);
        reporter.Beep();
        return false;
    }
    if (!LoadCatalogueFrom(f.get(), table, problems)) {
        // Half a catalogue would list recipes under the wrong neighbours: none, as when missing.
        table.categories.clear();
        reporter.Show(BoxForm::Owned, kCannotOpenCatalogue);
        reporter.Beep();
        return false;
    }
    return true;
}

void FreeCatalogue(CategoryTable& table) {
    table.categories.clear(); // the vectors within free themselves
}

} // namespace savorel
