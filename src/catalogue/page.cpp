#include "catalogue/page.h"

#include "catalogue/recipe.h"
#include "core/files.h"
#include "core/folders.h"
#include "core/scramble.h"

namespace savorel {

std::string RenderRecipePageText(std::string_view sourceName, std::string_view recipeText) {
    return RenderRecipePageText(sourceName, recipeText, nullptr);
}

std::string RenderRecipePageText(std::string_view sourceName, std::string_view recipeText,
                                 const ItemRewrite& rewrite) {
    std::string page;
    page.reserve(recipeText.size() + sourceName.size() + 256);
    page += "<!--";
    page += sourceName;
    page += "-->";
    page += "<html>";
    page += "<BODY BACKGROUND = \"coffee.gif\" BGCOLOR=#BFBFBF>";
    const RecipePieces pieces = SplitRecipe(recipeText);
    if (pieces.hasTitle) {
        page += "<b>";
        page += pieces.title;
        page += "</b><hr>\n";
    }
    std::size_t index = 0;
    for (const IngredientItem& item : SplitIngredientItems(pieces.ingredients)) {
        if (item.hasHeading) {
            page += "<p><b>";
            page += item.heading;
            page += "</b>\n";
        }
        page += "<li>";
        page += rewrite ? rewrite(index, item.text) : item.text;
        page += "\n";
        ++index;
    }
    page += "\n<hr>";
    for (char c : pieces.preparation)
        page.push_back(c == '\r' || c == '\n' ? ' ' : c);
    page += "\n</BODY>\n</html>";
    return page;
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
