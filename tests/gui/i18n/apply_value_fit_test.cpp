// SPDX-License-Identifier: MIT
// Whether the values of the "Printer Configuration" page show whole in every
// language: the printer information box with what a printer reports, and the
// lists of the Common, Z, D and RS-232 pages with their longest item. Also
// that boxes placed side by side in one row start where the single boxes of
// the other rows start.
#include <gtest/gtest.h>

#include <QComboBox>
#include <QCoreApplication>
#include <QFontMetrics>
#include <QGroupBox>
#include <QLineEdit>
#include <QStyle>
#include <QStyleOptionFrame>
#include <QTabWidget>
#include <algorithm>
#include <memory>

#include "../control_named.h"
#include "../layout_settle.h"
#include "../scripted_prompter.h"
#include "../test_window.h"
#include "core/i18n/language_table.h"
#include "gui/main_window.h"
#include "gui/pages/config_page.h"
#include "support/scripted_port.h"

using namespace m350::gui;

namespace {

// The width a line edit draws its text in: inside the frame, less the text
// margins and the two pixels QLineEdit keeps free on either side.
int TextRoom(const QLineEdit* e) {
    QStyleOptionFrame opt;
    opt.initFrom(e);
    opt.rect = e->rect();
    opt.lineWidth =
        e->hasFrame() ? e->style()->pixelMetric(QStyle::PM_DefaultFrameWidth, &opt, e) : 0;
    opt.midLineWidth = 0;
    opt.state |= QStyle::State_Sunken;
    const QRect contents = e->style()->subElementRect(QStyle::SE_LineEditContents, &opt, e);
    const QMargins margins = e->textMargins();
    return contents.width() - margins.left() - margins.right() - 4;
}

class ValueFit : public ::testing::TestWithParam<int> {
  protected:
    void SetUp() override {
        MainWindowSeams seams = m350test::testSeams(prompter, progress);
        m350test::withoutPrinter(seams);
        window = std::make_unique<MainWindow>(m350::gui::StartupOptions{}, seams);
        window->show();
        window->onLanguageChanged(GetParam());
        m350test::settleLayouts();
    }

    QLineEdit* edit(const char* name) const {
        return window->findChild<QLineEdit*>(QString::fromLatin1(name));
    }

    m350test::ScriptedPrompter prompter;
    m350test::RecordingProgress progress;
    std::unique_ptr<MainWindow> window;
};

TEST_P(ValueFit, PrinterInformationShowsWhatThePrinterReportsWhole) {
    // As the simulated printer of either resolution reports them, with
    // counters of a printer that has run for years.
    const std::pair<const char*, const char*> values[] = {
        {"EditVersion", "M350-300 V2.07 SIM"}, {"EditChecksum", "5A3C0F12"},
        {"EditSerial", "SIM350000001"},        {"EditMilage", "12345.6"},
        {"EditResetMilage", "1234.5"},         {"EditCuttingCounter", "123456"},
        {"EditResetCuttingCounter", "123456"},
    };
    QGroupBox* info = m350test::controlNamed<QGroupBox>(*window, "GroupBoxPrinterInfo");
    for (const auto& [name, value] : values) {
        QLineEdit* e = edit(name);
        ASSERT_NE(e, nullptr) << name;
        e->setText(QString::fromLatin1(value));
        const int need = e->fontMetrics().horizontalAdvance(e->text());
        EXPECT_LE(need, TextRoom(e)) << name << " \"" << value << "\", language " << GetParam();
        EXPECT_TRUE(info->rect().contains(QRect(e->mapTo(info, QPoint(0, 0)), e->size())))
            << name << " runs out of the box, language " << GetParam();
    }
}

TEST_P(ValueFit, ListsOfTheFirstPagesShowTheirLongestItem) {
    QTabWidget* pages = m350test::controlNamed<QTabWidget>(*window, "PageControl2");
    for (int page = 0; page < 4; ++page) {  // Common, Z, D, RS-232
        pages->setCurrentIndex(page);
        m350test::settleLayouts();
        const auto lists = pages->widget(page)->findChildren<QComboBox*>();
        ASSERT_FALSE(lists.isEmpty());
        for (QComboBox* list : lists) {
            int longest = 0;
            for (int i = 0; i < list->count(); ++i)
                longest =
                    std::max(longest, list->fontMetrics().horizontalAdvance(list->itemText(i)));
            // The item beside the arrow, as the caption check measures it.
            EXPECT_LE(longest + 26, list->width())
                << list->objectName().toStdString() << ", language " << GetParam();
        }
    }
}

// The status word of every state shows whole and from its first letter; the
// Bluetooth MAC address, in a box the operator cannot scroll, shows whole.
TEST_P(ValueFit, StatusWordsAndTheBluetoothAddressShowWhole) {
    QLineEdit* status = edit("EditPrinterStatus");
    ASSERT_NE(status, nullptr);
    // One state per status word: cover, other error, out of ribbon, ribbon
    // encoder, paper, jam, pause, printing, ready.
    const std::vector<std::vector<int>> states = {{0}, {7}, {3, 9}, {3, 8}, {2}, {1}, {4}, {5}, {}};
    for (const auto& set : states) {
        m350::StatusFlags flags{};
        for (int f : set) flags[static_cast<std::size_t>(f)] = 1;
        window->showPrinterStatus(flags);
        const int need = status->fontMetrics().horizontalAdvance(status->text());
        EXPECT_LE(need, TextRoom(status))
            << status->text().toStdString() << ", language " << GetParam();
        EXPECT_EQ(status->cursorPosition(), 0) << status->text().toStdString();
    }

    QTabWidget* pages = m350test::controlNamed<QTabWidget>(*window, "PageControl2");
    pages->setCurrentIndex(5);
    m350test::settleLayouts();
    QLineEdit* mac = edit("EditBTMACAddress");
    ASSERT_NE(mac, nullptr);
    for (const char* address : {"66:55:44:33:22:11", "DB:DB:DB:DB:DB:DB", "00:00:00:00:00:00"}) {
        mac->setText(QString::fromLatin1(address));
        EXPECT_LE(mac->fontMetrics().horizontalAdvance(mac->text()), TextRoom(mac))
            << address << ", language " << GetParam();
    }
}

INSTANTIATE_TEST_SUITE_P(Languages, ValueFit, ::testing::Range(0, m350::kLanguageCount),
                         [](const ::testing::TestParamInfo<int>& info) {
                             return "Language" + std::to_string(info.param);
                         });

class RowAlignment : public ValueFit {};

// Rows of two boxes start at the same place as rows of one, and the lists
// of one column line up with the edits.
TEST_P(RowAlignment, BoxesOfTheCommonPageStartInOneColumn) {
    QTabWidget* pages = m350test::controlNamed<QTabWidget>(*window, "PageControl2");
    pages->setCurrentIndex(0);
    m350test::settleLayouts();
    QWidget* page = pages->widget(0);
    auto left = [&](const char* name) {
        auto* w = page->findChild<QWidget*>(QString::fromLatin1(name));
        return w ? w->mapTo(page, QPoint(0, 0)).x() : -1;
    };
    const int column = left("EditSpeed");
    ASSERT_GT(column, 0);
    for (const char* name :
         {"ComboBoxDensity", "EditWidth", "ComboBoxMediaSensor", "EditReferenceX",
          "ComboBoxDirection", "EditOffset", "EditShiftX", "EditShiftY"})
        EXPECT_EQ(left(name), column) << name;
    const int second = left("ComboBoxRibbon");
    for (const char* name : {"ComboBoxDisplayLanguage", "EditMaximumLength", "ComboBoxThreshold"})
        EXPECT_EQ(left(name), second) << name;
    // The second box of a row follows the first, not the column's far side.
    EXPECT_LT(left("EditReferenceY") - left("EditReferenceX"), edit("EditSpeed")->width() + 8);
}

INSTANTIATE_TEST_SUITE_P(EnglishAndRussian, RowAlignment, ::testing::Values(0, 9),
                         [](const ::testing::TestParamInfo<int>& info) {
                             return "Language" + std::to_string(info.param);
                         });

}  // namespace
