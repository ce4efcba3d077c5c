#pragma once

// Checks shared by the personal windows' tests: nothing clipped, and a picture of the window
// for a person to look at (saved when SAVOREL_SHOTS names a folder).
#include "support/window_support.h"

#include <QAbstractButton>
#include <QDialog>
#include <QLabel>
#include <QPixmap>
#include <QtTest>

#include <string>
#include <utility>
#include <vector>

namespace savorel::testing {

inline void VerifyNothingClipped(QDialog& dialog, const char* shotName) {
    dialog.show();
    QVERIFY(QTest::qWaitForWindowExposed(&dialog));
    const QRect inside(QPoint(0, 0), dialog.size());
    for (QWidget* w : dialog.findChildren<QWidget*>()) {
        if (!w->isVisibleTo(&dialog) || w->parentWidget() != &dialog)
            continue;
        QVERIFY2(inside.contains(w->geometry()), qPrintable(w->objectName()));
        if (auto* b = qobject_cast<QAbstractButton*>(w))
            // The style's minimum button width is no clipping; the text and its padding are.
            QVERIFY2(b->fontMetrics().horizontalAdvance(b->text()) + 12 <= b->width(),
                     qPrintable(b->text()));
        if (auto* l = qobject_cast<QLabel*>(w)) {
            const int needed =
                l->wordWrap() ? l->heightForWidth(l->width()) : l->sizeHint().height();
            QVERIFY2(needed <= l->height(), qPrintable(l->text()));
            if (!l->wordWrap())
                QVERIFY2(l->sizeHint().width() <= l->width(), qPrintable(l->text()));
        }
    }
    SaveWindowShot(dialog, shotName);
}

// The window opens at its design size, which is also its smallest, and can be maximized:
// then every control stays inside, controls apart at the design size stay apart, and
// back at the design size every control is where it was.
inline void VerifyGrows(QDialog& dialog, const char* shotName) {
    dialog.show();
    QVERIFY(QTest::qWaitForWindowExposed(&dialog));
    const QSize design = dialog.size();
    QCOMPARE(dialog.minimumSize(), design);
    if (dialog.windowFlags() & Qt::WindowTitleHint)
        QVERIFY(dialog.windowFlags() & Qt::WindowMaximizeButtonHint);
    std::vector<std::pair<QWidget*, QRect>> placed;
    for (QWidget* w : dialog.findChildren<QWidget*>(Qt::FindDirectChildrenOnly))
        if (w->isVisibleTo(&dialog))
            placed.emplace_back(w, w->geometry());
    dialog.showMaximized();
    const auto grownBoth = [&] {
        return dialog.width() > design.width() && dialog.height() > design.height();
    };
    if (!QTest::qWaitFor(grownBoth, 500)) { // a screen no larger than the window
        dialog.showNormal();
        dialog.resize(design * 3 / 2);
    }
    QVERIFY(grownBoth());
    const QRect inside(QPoint(0, 0), dialog.size());
    for (std::size_t i = 0; i < placed.size(); ++i) {
        const QRect now = placed[i].first->geometry();
        QVERIFY2(inside.contains(now), qPrintable(placed[i].first->objectName()));
        QVERIFY2(now.width() >= placed[i].second.width(),
                 qPrintable(placed[i].first->objectName()));
        for (std::size_t j = i + 1; j < placed.size(); ++j)
            if (!placed[i].second.intersects(placed[j].second))
                QVERIFY2(!now.intersects(placed[j].first->geometry()),
                         qPrintable(placed[i].first->objectName() + QLatin1Char('/') +
                                    placed[j].first->objectName()));
    }
    SaveWindowShot(dialog, (std::string(shotName) + "_max").c_str());
    dialog.showNormal();
    dialog.resize(design);
    for (const auto& [w, rect] : placed)
        QCOMPARE(w->geometry(), rect);
}

} // namespace savorel::testing
