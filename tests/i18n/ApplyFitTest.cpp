// Whether every translated caption fits its control. Disabled while the
// pages' layouts are still being built; run it with
// --gtest_also_run_disabled_tests to list what a language clips.
#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QCheckBox>
#include <QFontMetrics>
#include <QGroupBox>
#include <QLabel>
#include <QPushButton>
#include <QRadioButton>
#include <QTabWidget>
#include <memory>

#include "app/TFormMain.h"
#include "gui/ScriptedPrompter.h"
#include "i18n/LanguageTable.h"
#include "i18n/TFormLanguage.h"
#include "support/ScriptedPort.h"

namespace {

// Captions wider than the room their control gives them.
QStringList Clipped(QWidget* root) {
    QStringList out;
    auto report = [&](QWidget* w, const QString& text, int need, int have) {
        if (need > have && w->isVisibleTo(root))
            out << QStringLiteral("%1 \"%2\" needs %3 px, has %4")
                       .arg(w->objectName(), text)
                       .arg(need)
                       .arg(have);
    };
    for (auto* b : root->findChildren<QPushButton*>()) {
        const int need = b->fontMetrics().horizontalAdvance(b->text()) + 8;
        report(b, b->text(), need, b->width());
    }
    for (auto* b : root->findChildren<QAbstractButton*>()) {
        if (qobject_cast<QPushButton*>(b)) continue;
        // A check mark or radio circle and its gap come before the text.
        const int need = b->fontMetrics().horizontalAdvance(b->text()) + 20;
        report(b, b->text(), need, b->width());
    }
    for (auto* l : root->findChildren<QLabel*>()) {
        if (l->text().isEmpty() || l->wordWrap() || !l->pixmap().isNull()) continue;
        report(l, l->text(), l->fontMetrics().horizontalAdvance(l->text()), l->width());
    }
    for (auto* g : root->findChildren<QGroupBox*>()) {
        const int need = g->fontMetrics().horizontalAdvance(g->title()) + 16;
        report(g, g->title(), need, g->width());
    }
    return out;
}

TEST(CaptionFit, DISABLED_NoCaptionOfTheMainWindowIsClipped) {
    m350test::ScriptedPrompter prompter;
    m350test::RecordingProgress progress;
    MainWindowSeams seams;
    seams.prompter = &prompter;
    seams.screenSize = [] { return QSize(1280, 1024); };
    seams.progress = &progress;
    seams.sleep = [](int) {};
    auto state = std::make_shared<m350test::ScriptedPortState>();
    state->failOpen = true;
    seams.makePort = [state](m350::LinkContext&, int) {
        return std::make_unique<m350test::ScriptedPort>(state);
    };
    TFormMain window({}, seams);
    window.show();
    for (int lang = 0; lang < m350::kLanguageCount; ++lang) {
        m350ui::ComboBoxLanguageChange(&window, lang);
        // Every page of every page control in turn, as only the shown page's
        // controls are visible.
        QStringList clipped;
        for (auto* tabs : window.findChildren<QTabWidget*>()) {
            const int shown = tabs->currentIndex();
            for (int i = 0; i < tabs->count(); ++i) {
                tabs->setCurrentIndex(i);
                clipped += Clipped(&window);
            }
            tabs->setCurrentIndex(shown);
        }
        clipped.removeDuplicates();
        EXPECT_TRUE(clipped.isEmpty())
            << "language " << lang << ":\n  " << clipped.join("\n  ").toStdString();
    }
}

}  // namespace
