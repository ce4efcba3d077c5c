#pragma once

#include "catalogue/page.h"
#include "core/session.h"

#include <string>

class QWidget;

namespace savorel::ui {

// Everything that follows the choice of a recipe in any window: the page, the copy
// reteta.txt (both in the session's temporary folder), then the recipe window or, failing
// that or when the session says the page view is unavailable, the plain recipe window, modal
// to `owner`. Messages go to `owner` as the opener's form requires.
[[nodiscard]] bool OpenRecipeFrom(QWidget* owner, Session& session, const std::string& sourceName,
                                  Opener opener);

} // namespace savorel::ui
