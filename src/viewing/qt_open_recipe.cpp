#include "viewing/qt_open_recipe.h"

#include "core/qt_messages.h"
#include "viewing/CPlainRecipeDlg.h"
#include "viewing/CRecipeViewDlg.h"

namespace savorel::ui {

namespace {

std::string& Held() {
    static std::string folder;
    return folder;
}

bool& Unavailable() {
    static bool unavailable = false;
    return unavailable;
}

class WindowOpener final : public RecipeWindows {
public:
    explicit WindowOpener(QWidget* owner) : m_owner(owner) {}
    int RunRecipeView(const OpenedRecipe& recipe) override {
        CRecipeViewDlg dialog(m_owner);
        dialog.SetRecipe(recipe);
        return dialog.DoModal();
    }
    void RunPlainRecipe(const OpenedRecipe& recipe) override {
        CPlainRecipeDlg dialog(m_owner);
        dialog.OnInitDialog(recipe);
        RunModal(dialog);
    }

private:
    QWidget* m_owner;
};

} // namespace

const std::string& HeldTempFolder() {
    return Held();
}
void SetHeldTempFolder(std::string folderText) {
    Held() = std::move(folderText);
}
void SetBrowserUnavailable(bool unavailable) {
    Unavailable() = unavailable;
}
bool BrowserUnavailable() {
    return Unavailable();
}

bool OpenRecipeFrom(QWidget* owner, const std::string& sourceName, Opener opener) {
    WidgetReporter reporter(owner);
    WindowOpener windows(owner);
    return OpenRecipe(sourceName, opener, HeldTempFolder(), reporter, &windows);
}

} // namespace savorel::ui
