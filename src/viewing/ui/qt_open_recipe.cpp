#include "viewing/ui/qt_open_recipe.h"

#include "core/ui/qt_messages.h"
#include "viewing/ui/CPlainRecipeDlg.h"
#include "viewing/ui/CRecipeViewDlg.h"

namespace savorel::ui {

namespace {

class WindowOpener final : public RecipeWindows {
public:
    WindowOpener(QWidget* owner, Session& session) : m_owner(owner), m_session(session) {}
    int RunRecipeView(const OpenedRecipe& recipe) override {
        CRecipeViewDlg dialog(m_session, m_owner);
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
    Session& m_session;
};

} // namespace

bool OpenRecipeFrom(QWidget* owner, Session& session, const std::string& sourceName,
                    Opener opener) {
    WidgetReporter reporter(owner);
    WindowOpener windows(owner, session);
    return OpenRecipe(sourceName, opener, session.tempFolder, reporter, &windows);
}

} // namespace savorel::ui
