#pragma once

#include "catalogue/page.h"

#include <string>

class QWidget;

namespace savorel::ui {

// The temporary folder text the main window holds from start-up (folder + "/").
const std::string& HeldTempFolder();
void SetHeldTempFolder(std::string folderText);

// When set, the recipe window cannot be created, so every recipe opens in the plain window
// (cook --plain; also how tests reach the fallback).
void SetBrowserUnavailable(bool unavailable);
bool BrowserUnavailable();

// Everything that follows the choice of a recipe in any window: the page, the copy
// reteta.txt, then the recipe window or, failing that, the plain recipe window, modal to
// `owner`. Messages go to `owner` as the opener's form requires.
[[nodiscard]] bool OpenRecipeFrom(QWidget* owner, const std::string& sourceName, Opener opener);

} // namespace savorel::ui
