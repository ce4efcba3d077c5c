// A document offered for import (JSON or a saved web page): reading it never fails loudly;
// every text of every recipe it gives is valid UTF-8 on one line (descriptions aside), markup
// appears in the model only where the document could have written it, the recipe page lets
// none of it take effect, and the lossless form holds the recipe.
#include "catalogue/page.h"
#include "catalogue/recipe_model.h"
#include "core/cp1250.h"
#include "fuzz_util.h"
#include "personal/exchange.h"

#include <algorithm>
#include <cstdint>

namespace {

bool ValidUtf8(std::string_view text) {
    for (std::size_t i = 0; i < text.size();) {
        const std::size_t at = i;
        if (savorel::NextUtf8(text, i) == 0xFFFD && text.substr(at, 3) != "\xEF\xBF\xBD")
            return false;
    }
    return true;
}

// The tags the page writes itself; any other "<" would be markup from the recipe.
bool OnlyOwnTags(std::string_view page) {
    static constexpr std::string_view kOwn[] = {"<!--",    "<html>",
                                                "<head>",  "<meta charset=\"utf-8\">",
                                                "</head>", "<BODY BACKGROUND",
                                                "<b>",     "</b>",
                                                "<hr>",    "<p>",
                                                "<i>",     "</i>",
                                                "<li>",    "</li>",
                                                "<ol>",    "</ol>",
                                                "</BODY>", "</html>"};
    for (std::size_t at = page.find('<'); at != std::string_view::npos; at = page.find('<', at + 1))
        if (std::none_of(std::begin(kOwn), std::end(kOwn),
                         [&](std::string_view tag) { return page.substr(at).starts_with(tag); }))
            return false;
    return true;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view bytes(reinterpret_cast<const char*>(data), size);
    std::vector<savorel::ForeignRecipe> recipes;
    std::string error;
    if (!savorel::ParseRecipeDocument(bytes, recipes, error)) {
        FUZZ_CHECK(!error.empty() && recipes.empty());
        return 0;
    }
    FUZZ_CHECK(!recipes.empty());
    // Without "<", "&" or "\" the document cannot write a "<" in any way.
    const bool canWriteMarkup = bytes.find_first_of("<&\\") != std::string_view::npos;
    for (const savorel::ForeignRecipe& foreign : recipes) {
        const savorel::Recipe& model = foreign.model;
        std::vector<std::string_view> texts = {model.title, model.author};
        for (const auto& section : model.sections) {
            texts.push_back(section.heading);
            for (const std::string& item : section.items) {
                FUZZ_CHECK(!item.empty());
                texts.push_back(item);
            }
        }
        for (const std::string& step : model.steps) {
            FUZZ_CHECK(!step.empty());
            texts.push_back(step);
        }
        const auto& f = model.facts;
        for (const std::string* fact :
             {&f.sourceUrl, &f.image, &f.prepTime, &f.cookTime, &f.totalTime, &f.category,
              &f.keywords, &f.language, &f.identifier, &f.yieldNote})
            texts.push_back(*fact);
        for (const std::string_view text : texts) {
            FUZZ_CHECK(ValidUtf8(text));
            FUZZ_CHECK(text.find_first_of("\r\n") == std::string_view::npos);
            FUZZ_CHECK(canWriteMarkup || text.find('<') == std::string_view::npos);
        }
        FUZZ_CHECK(ValidUtf8(f.description));
        // Images are web addresses only: never a file of this computer.
        std::string scheme = f.image.substr(0, 4);
        for (char& c : scheme)
            c = static_cast<char>(c >= 'A' && c <= 'Z' ? c - 'A' + 'a' : c);
        FUZZ_CHECK(f.image.empty() || scheme == "http");
        FUZZ_CHECK(foreign.fields.name.find_first_of("\r\n") == std::string::npos);
        FUZZ_CHECK(foreign.refusal.empty() ||
                   (savorel::ItemCount(model) == 0 && model.steps.empty()));
        std::string page = savorel::RenderRecipePageText("xet1.txt", model);
        page.erase(0, page.find("-->") + 3);
        FUZZ_CHECK(OnlyOwnTags(page));
        const std::string lossless = savorel::LosslessRecipeText(model);
        FUZZ_CHECK(savorel::ReadLosslessRecipe(lossless).has_value());
    }
    return 0;
}
