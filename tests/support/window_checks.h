#pragma once

// Checks shared by the personal windows' tests: nothing clipped, and a picture of the window
// for a person to look at (saved when SAVOREL_SHOTS names a folder).
#include "support/window_support.h"

#include <QAbstractButton>
#include <QDialog>
#include <QLabel>
#include <QPixmap>
#include <QtTest>

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

} // namespace savorel::testing
