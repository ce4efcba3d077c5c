#include "catalogue/page.h"

#include "catalogue/recipe.h"
#include "catalogue/servings.h"
#include "core/cp1250.h"
#include "core/files.h"
#include "core/folders.h"
#include "core/scramble.h"

namespace savorel {

std::string RenderRecipePageText(std::string_view sourceName, std::string_view recipeText) {
    return RenderRecipePageText(sourceName, recipeText, nullptr);
}

std::string RenderRecipePageText(std::string_view sourceName, std::string_view recipeText,
                                 const ItemRewrite& rewrite) {
    return RenderRecipePageText(sourceName, ReadRecipe(recipeText), rewrite);
}

namespace {

constexpr std::string_view kBody = "<BODY BACKGROUND = \"coffee.gif\" BGCOLOR=#BFBFBF>";

std::string BookPage(std::string_view sourceName, const Recipe& recipe,
                     const ItemRewrite& rewrite) {
    std::string page;
    page.reserve(recipe.storedIngredients.size() + recipe.preparation.size() + sourceName.size() +
                 recipe.title.size() + 256);
    page += "<!--";
    page += sourceName;
    page += "-->";
    page += "<html>";
    page += kBody;
    if (recipe.hasTitle) {
        page += "<b>";
        page += recipe.title;
        page += "</b><hr>\n";
    }
    std::size_t index = 0;
    for (const RecipeSection& section : recipe.sections) {
        if (section.hasHeading) {
            page += "<p><b>";
            page += section.heading;
            page += "</b>\n";
        }
        for (const std::string& item : section.items) {
            page += "<li>";
            page += rewrite ? rewrite(index, item) : item;
            page += "\n";
            ++index;
        }
    }
    page += "\n<hr>";
    for (char c : recipe.preparation)
        page.push_back(c == '\r' || c == '\n' ? ' ' : c);
    page += "\n</BODY>\n</html>";
    return page;
}

void AddFact(std::string& page, const char* label, std::string_view value, bool& any) {
    if (value.empty())
        return;
    page += any ? " &middot; " : "<p>";
    page += label;
    page += ": ";
    page += EscapedForPage(ReadableDuration(value));
    any = true;
}

std::string LosslessPage(std::string_view sourceName, const Recipe& recipe,
                         const ItemRewrite& rewrite) {
    std::string page = "<!--";
    page += sourceName;
    page += "-->";
    page += kUtf8PageHead;
    page += kBody;
    page += "<b>";
    page += EscapedForPage(recipe.title);
    page += "</b><hr>\n";
    if (!recipe.facts.description.empty()) {
        page += "<p><i>";
        page += EscapedForPage(recipe.facts.description);
        page += "</i>\n";
    }
    bool anyTime = false;
    AddFact(page, "Preparare", recipe.facts.prepTime, anyTime);
    AddFact(page, "G\xc4\x83tire", recipe.facts.cookTime, anyTime);
    AddFact(page, "Total", recipe.facts.totalTime, anyTime);
    if (anyTime)
        page += "\n";
    std::size_t index = 0;
    if (const auto servings = ServingsOf(recipe)) {
        const std::string item = Cp1250ToUtf8(BookServingsText(*servings));
        page += "<li>";
        page += EscapedForPage(rewrite ? rewrite(index, item) : item);
        page += "\n";
        ++index;
    } else if (!recipe.facts.yieldNote.empty()) {
        page += "<li>";
        page += EscapedForPage(recipe.facts.yieldNote);
        page += "\n";
    }
    for (const RecipeSection& section : recipe.sections) {
        if (section.hasHeading) {
            page += "<p><b>";
            page += EscapedForPage(section.heading);
            page += "</b>\n";
        }
        for (const std::string& item : section.items) {
            page += "<li>";
            page += EscapedForPage(rewrite ? rewrite(index, item) : item);
            page += "\n";
            ++index;
        }
    }
    page += "\n<hr>";
    if (!recipe.steps.empty()) {
        page += "<ol>\n";
        for (const std::string& step : recipe.steps) {
            page += "<li>";
            page += EscapedForPage(step);
            page += "</li>\n";
        }
        page += "</ol>";
    }
    // An image only from the data folder, named as the data files are; nothing from outside.
    const std::string& image = recipe.facts.image;
    if (!image.empty() && IsSafeDataName(image) && DataEntryExists(image)) {
        page += "<p><img src=\"file://";
        page += EscapedForPage(ResolveDataName(image));
        page += "\">\n";
    }
    if (!recipe.facts.sourceUrl.empty()) {
        page += "<p>Sursa: ";
        page += EscapedForPage(recipe.facts.sourceUrl);
        page += "\n";
    }
    page += "\n</BODY>\n</html>";
    return page;
}

} // namespace

std::string RenderRecipePageText(std::string_view sourceName, const Recipe& recipe,
                                 const ItemRewrite& rewrite) {
    return recipe.form == RecipeForm::Book ? BookPage(sourceName, recipe, rewrite)
                                           : LosslessPage(sourceName, recipe, rewrite);
}

bool PageIsUtf8(std::string_view page) {
    if (!page.starts_with("<!--"))
        return false;
    const std::size_t end = page.find("-->");
    return end != std::string_view::npos && page.substr(end + 3).starts_with(kUtf8PageHead);
}

std::string EscapedForPage(std::string_view text) {
    std::string out;
    out.reserve(text.size() + 16);
    for (const char c : text) {
        switch (c) {
        case '&':
            out += "&amp;";
            break;
        case '<':
            out += "&lt;";
            break;
        case '>':
            out += "&gt;";
            break;
        case '"':
            out += "&quot;";
            break;
        case '\'':
            out += "&#39;";
            break;
        default:
            out.push_back(c);
        }
    }
    return out;
}

std::string UnescapedFromPage(std::string_view text) {
    static constexpr std::pair<std::string_view, char> kEntities[] = {
        {"&amp;", '&'}, {"&lt;", '<'}, {"&gt;", '>'}, {"&quot;", '"'}, {"&#39;", '\''}};
    std::string out;
    out.reserve(text.size());
    for (std::size_t i = 0; i < text.size();) {
        bool replaced = false;
        if (text[i] == '&')
            for (const auto& [entity, c] : kEntities)
                if (text.substr(i, entity.size()) == entity) {
                    out.push_back(c);
                    i += entity.size();
                    replaced = true;
                    break;
                }
        if (!replaced)
            out.push_back(text[i++]);
    }
    return out;
}

bool ReadRecipeText(const std::string& sourceName, std::string& text) {
    if (!ReadWholeDataFile(sourceName, text))
        return false;
    text = ScrambleBytes(text);
    return true;
}

bool RenderRecipePage(const std::string& sourceName, const std::string& tempFolderText,
                      BoxForm form, Reporter& reporter, std::string* pageOut) {
    std::string text;
    if (!ReadRecipeText(sourceName, text)) {
        reporter.Show(form, kCannotOpenInput);
        return false;
    }
    const std::string page = RenderRecipePageText(sourceName, text);
    if (!WriteTempFolderFile(tempFolderText, kRecipePageName, page)) {
        reporter.Show(form, kCannotOpenOutput);
        return false;
    }
    if (pageOut)
        *pageOut = page;
    return true;
}

bool WriteRecipeCopy(const std::string& sourceName, const std::string& tempFolderText,
                     std::string* copy) {
    std::string bytes;
    if (!ReadWholeDataFile(sourceName, bytes) ||
        !WriteTempFolderFile(tempFolderText, kRecipeCopyName, bytes))
        return false;
    if (copy)
        *copy = std::move(bytes);
    return true;
}

bool OpenRecipe(const std::string& sourceName, Opener opener, const std::string& mainTempFolder,
                Reporter& reporter, RecipeWindows* windows) {
    const bool fromMain = opener == Opener::MainWindow;
    const BoxForm form = fromMain ? BoxForm::CaptionOnly : BoxForm::Owned;
    OpenedRecipe opened;
    opened.sourceName = sourceName;
    opened.folderText = fromMain ? mainTempFolder : ReadCookIni().value_or("");
    if (!RenderRecipePage(sourceName, opened.folderText, form, reporter, &opened.page))
        return false;
    // The plain window shows this copy; one that could not be written is said, so that no
    // older or planted reteta.txt is ever taken for it.
    opened.copyWritten = WriteRecipeCopy(sourceName, opened.folderText, &opened.copy);
    if (!opened.copyWritten)
        reporter.Show(form, kCannotOpenOutput);
    if (windows && windows->RunRecipeView(opened) == -1)
        windows->RunPlainRecipe(opened);
    return true;
}

} // namespace savorel
