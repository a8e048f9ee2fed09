// SPDX-License-Identifier: MIT
#include "gui/pages/font_manager_page.h"

#include <QCheckBox>
#include <QComboBox>
#include <QFile>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPainter>
#include <QPixmap>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTemporaryDir>
#include <QVBoxLayout>
#include <tuple>
#include <unordered_set>

#include "core/files/file_types.h"
#include "core/files/font_download.h"
#include "core/files/local_file.h"
#include "core/fonts/code_pages.h"
#include "core/fonts/encode_table.h"
#include "core/fonts/font_maker.h"
#include "core/i18n/text_encoding.h"
#include "gui/app_context.h"
#include "gui/dialogs/preview_font_dialog.h"
#include "gui/field_messages.h"
#include "gui/language_apply.h"
#include "gui/pages/page_kit.h"
#include "gui/password_gate_prompt.h"
#include "gui/printer_text.h"
#include "gui/prompter.h"
#include "gui/widgets/form_kit.h"
#include "gui/widgets/radio_group.h"

namespace m350::gui {

namespace {

constexpr int kVariablePitch = 1;

// The sample of the chosen font is drawn at this size.
constexpr int kSampleWidth = 145, kSampleHeight = 56;
constexpr int kInitialFontPixels = 13;
constexpr int kScreenDpi = 96;
constexpr int kPreviewOffset = 20;
// Items of ComboBoxFontEncode.
enum EncodeMode : int { kModeStandard = 0, kModeAsian = 1, kModeTable = 2, kModeAsianTable = 3 };

QComboBox* columnDropDown(QWidget* parent, const char* name, const QStringList& items,
                          int selected) {
    auto* c = pagekit::dropDown(parent, name, items, selected);
    // The longest item of some languages would push the page wider than the
    // window; the list is as wide as its column, the open list shows all.
    c->setSizeAdjustPolicy(QComboBox::AdjustToMinimumContentsLengthWithIcon);
    c->setMinimumContentsLength(10);
    return c;
}

QGridLayout* fontGroupGrid(QWidget* group) {
    return pagekit::grid(group, 8, 6);
}

// A caption and its box in the next row of a two-column grid.
void Row(QGridLayout* grid, QLabel* caption, QWidget* box) {
    const int row = grid->rowCount();
    caption->setBuddy(box);
    grid->addWidget(caption, row, 0);
    grid->addWidget(box, row, 1);
}

}  // namespace

FontManagerPage::FontManagerPage(AppContext& app, QWidget* sheet) : QObject(sheet), app_(app) {
    setObjectName(QStringLiteral("FontManagerPage"));
    fontSelectGroup_ =
        pagekit::named(new QGroupBox(QStringLiteral("Font Select"), sheet), "GroupBoxFontSelect");
    standEncodeGroup_ = pagekit::named(new QGroupBox(QStringLiteral("Standard Encode"), sheet),
                                       "GroupBoxSatndEncode");
    // One item per row: the longer translations of the encodings need the
    // whole width of the column.
    asiaFontEncodeRadio_ = new RadioGroup(
        sheet, "RadioGroupAsiaFontEncode", QStringLiteral("Asian Font Encode"), 0, 0, 349, 100,
        {"Traditional Chinese", "Simplified Chinese", "Korean", "Japanese"}, 1);
    asiaFontEncodeRadio_->setItemIndex(0);
    encodeTableGroup_ = pagekit::named(new QGroupBox(QStringLiteral("Encode by Table"), sheet),
                                       "GroupBoxEncodeTable");
    saveFontButton_ = pagekit::button(sheet, "ButtonSaveFont", "Save Font");
    downloadFontButton_ = pagekit::button(sheet, "ButtonDowloadFont", "Download Font");
    buildFontSelect();
    buildStandardEncode();
    buildEncodeTable();

    auto* left = new QVBoxLayout;
    left->setSpacing(6);
    left->addWidget(fontSelectGroup_, 1);
    auto* buttons = new QHBoxLayout;
    buttons->setSpacing(8);
    buttons->addWidget(saveFontButton_);
    buttons->addWidget(downloadFontButton_);
    buttons->addStretch(1);
    left->addLayout(buttons);

    auto* right = new QVBoxLayout;
    right->setSpacing(6);
    right->addWidget(standEncodeGroup_);
    right->addWidget(asiaFontEncodeRadio_);
    right->addWidget(encodeTableGroup_, 1);

    auto* page = new QHBoxLayout(sheet);
    page->setContentsMargins(4, 4, 4, 4);
    page->setSpacing(6);
    page->addLayout(left, 4);
    page->addLayout(right, 3);
}

// Encode mode, pitch and target device; the system font with its size, the
// select and preview buttons and the sample; the printer font's name and cell.
void FontManagerPage::buildFontSelect() {
    QGroupBox* g = fontSelectGroup_;
    QGridLayout* grid = fontGroupGrid(g);
    fontEncodeLabel_ = pagekit::caption(g, "LabelFontEncode", "Font Encode");
    fontEncodeCombo_ = columnDropDown(
        g, "ComboBoxFontEncode",
        {"Standard Encode", "Asian Font Encode", "Encode by Table", "Encode by Table (Asian)"}, 0);
    fontPitchLabel_ = pagekit::caption(g, "LabelFontPitch", "Font Pitch");
    fontPitchCombo_ =
        columnDropDown(g, "ComboBoxFontPitch", {"Fixed Pitch", "Variable Pitch"}, kVariablePitch);
    printerDeviceLabel_ = pagekit::caption(g, "LabelPrinterDevice", "Printer Device");
    memoryDeviceCombo_ =
        columnDropDown(g, "ComboBoxMemoryDevice", {"DRAM", "FLASH", "CARD"}, m350::kDeviceFlash);
    // The single-byte code pages of the interface languages; the numbers
    // read the same in every language.
    codePageLabel_ = pagekit::caption(g, "LabelFontCodePage", "Code Page");
    QStringList pages;
    for (const std::string& cp : m350::singleByteCodePages())
        pages << QString::fromStdString(cp.substr(2));
    codePageCombo_ = columnDropDown(g, "ComboBoxFontCodePage", pages, 0);
    windowsFontNameLabel_ = pagekit::caption(g, "LabelWindowsFontName", "Windows Font Name");
    winFontNameEdit_ = pagekit::edit(g, "EditWinFontName");
    winFontNameEdit_->setReadOnly(true);
    fontSizeLabel_ = pagekit::caption(g, "LabelFontSize", "Font Size");
    winFontSizeEdit_ = pagekit::edit(g, "EditWinFontSize");
    winFontSizeEdit_->setReadOnly(true);
    selectFontButton_ = pagekit::button(g, "ButtonSelectFont", "Select Font");
    previewFontButton_ = pagekit::button(g, "ButtonPreviewFont", "Preview Font");
    sample_ = pagekit::named(new QLabel(g), "ImageSmaple");
    sample_->setFixedSize(kSampleWidth, kSampleHeight);
    sample_->setFrameStyle(QFrame::Panel | QFrame::Sunken);
    printerFontNameLabel_ = pagekit::caption(g, "LabelPrinterFontName", "Printer Font Name");
    printerFontNameEdit_ = pagekit::edit(g, "EditPrinterFontName", "FONT001");
    fontWidthLabel_ = pagekit::caption(g, "LabelFontWidth", "Font Width");
    fontWidthEdit_ = pagekit::edit(g, "EditFontWidth");
    fontHeightLabel_ = pagekit::caption(g, "LabelFontHeight", "Font Height");
    fontHeightEdit_ = pagekit::edit(g, "EditFontHeight");
    italicWidthLabel_ = pagekit::caption(g, "LabelItalicWidth", "Italic Width");
    italicWidthEdit_ = pagekit::edit(g, "EditItalicWidth");
    fitGlyphsCheck_ =
        pagekit::named(new QCheckBox(QStringLiteral("Fit Glyphs to Cell"), g), "CheckBoxFitGlyphs");

    Row(grid, fontEncodeLabel_, fontEncodeCombo_);
    Row(grid, codePageLabel_, codePageCombo_);
    Row(grid, fontPitchLabel_, fontPitchCombo_);
    Row(grid, printerDeviceLabel_, memoryDeviceCombo_);
    Row(grid, windowsFontNameLabel_, winFontNameEdit_);
    Row(grid, fontSizeLabel_, winFontSizeEdit_);
    auto* fontButtons = new QHBoxLayout;
    fontButtons->setSpacing(8);
    fontButtons->addWidget(selectFontButton_);
    fontButtons->addWidget(previewFontButton_);
    fontButtons->addStretch(1);
    grid->addLayout(fontButtons, grid->rowCount(), 0, 1, 2);
    grid->addWidget(sample_, grid->rowCount(), 1);
    Row(grid, printerFontNameLabel_, printerFontNameEdit_);
    Row(grid, fontWidthLabel_, fontWidthEdit_);
    Row(grid, fontHeightLabel_, fontHeightEdit_);
    Row(grid, italicWidthLabel_, italicWidthEdit_);
    grid->addWidget(fitGlyphsCheck_, grid->rowCount(), 1);
    grid->setColumnStretch(1, 1);
    grid->setRowStretch(grid->rowCount(), 1);
}

// The mapping preset and the first and last code of the range.
void FontManagerPage::buildStandardEncode() {
    QGroupBox* g = standEncodeGroup_;
    QGridLayout* grid = fontGroupGrid(g);
    fontMappingLabel_ = pagekit::caption(g, "LabelFontMapping", "Font Mapping");
    sEncodeCombo_ = columnDropDown(
        g, "ComboBoxSEncode", {"Standard Mapping", "Full ASCII Mapping", "Customer Mapping"}, 0);
    // Its items are the same in every language: as wide as the longest.
    sEncodeCombo_->setSizeAdjustPolicy(QComboBox::AdjustToContents);
    startAsciiLabel_ = pagekit::caption(g, "LabelStartAscii", "Character Start ASCII");
    charStartEdit_ = pagekit::edit(g, "EditCharStart", "32", 3);
    endAsciiLabel_ = pagekit::caption(g, "LabelEndAscii", "Character End ASCII");
    charEndEdit_ = pagekit::edit(g, "EditCharEnd", "127", 3);
    for (QLineEdit* e : {charStartEdit_, charEndEdit_}) e->setMaximumWidth(60);
    // The preset list under its caption, with the group's whole width.
    fontMappingLabel_->setBuddy(sEncodeCombo_);
    grid->addWidget(fontMappingLabel_, 0, 0, 1, 2);
    grid->addWidget(sEncodeCombo_, 1, 0, 1, 2, Qt::AlignLeft);
    Row(grid, startAsciiLabel_, charStartEdit_);
    Row(grid, endAsciiLabel_, charEndEdit_);
    grid->setColumnStretch(1, 1);
}

// The table text, By File, and the table's load and Save.
void FontManagerPage::buildEncodeTable() {
    QGroupBox* g = encodeTableGroup_;
    QGridLayout* grid = fontGroupGrid(g);
    fontTableMemo_ = pagekit::named(new QPlainTextEdit(g), "MemoFontTable");
    fontTableMemo_->setLineWrapMode(QPlainTextEdit::NoWrap);
    fileTableCheck_ =
        pagekit::named(new QCheckBox(QStringLiteral("By File"), g), "CheckBoxFileTable");
    fontTblLoadButton_ = pagekit::button(g, "ButtonFontTblLoad", "Load");
    fontTblSaveButton_ = pagekit::button(g, "ButtonFontTblSave", "Save");
    grid->addWidget(fontTableMemo_, 0, 0, 1, 4);
    grid->addWidget(fileTableCheck_, 1, 0);
    grid->addWidget(fontTblLoadButton_, 1, 2);
    grid->addWidget(fontTblSaveButton_, 1, 3);
    grid->setColumnStretch(1, 1);
    grid->setRowStretch(0, 1);
}

void FontManagerPage::initialise() {
    connect(fontEncodeCombo_, &QComboBox::currentIndexChanged, this,
            &FontManagerPage::onFontEncodeChanged);
    connect(sEncodeCombo_, &QComboBox::currentIndexChanged, this,
            &FontManagerPage::onSEncodeChanged);
    connect(fontTblLoadButton_, &QPushButton::clicked, this,
            &FontManagerPage::onFontTblLoadClicked);
    connect(fontTblSaveButton_, &QPushButton::clicked, this,
            &FontManagerPage::onFontTblSaveClicked);
    connect(selectFontButton_, &QPushButton::clicked, this, &FontManagerPage::onSelectFontClicked);
    connect(saveFontButton_, &QPushButton::clicked, this, &FontManagerPage::onSaveFontClicked);
    connect(downloadFontButton_, &QPushButton::clicked, this,
            &FontManagerPage::onDownloadFontClicked);
    connect(previewFontButton_, &QPushButton::clicked, this,
            &FontManagerPage::onPreviewFontClicked);
    connect(codePageCombo_, &QComboBox::activated, this, [this] { codePageChosen_ = true; });
    connect(asiaFontEncodeRadio_, &RadioGroup::itemIndexChanged, this,
            [this] { asianChosen_ = true; });
    onFontEncodeChanged(fontEncodeCombo_->currentIndex());
    // The font dialog's first font: Arial, 13 pixels high, regular.
    QFont initial(QStringLiteral("Arial"));
    initial.setPixelSize(kInitialFontPixels);
    applyFont(initial);
    refreshLanguage();
}

void FontManagerPage::refreshLanguage() {
    const int language = app_.language();
    // The code page follows the printer text encoding, as the command
    // tool's Auto does, until the operator picks one here.
    const std::string encoding = app_.textEncoding();
    if (!codePageChosen_) {
        const QString page =
            QString::fromStdString(m350::defaultSingleByteCodePage(encoding).substr(2));
        codePageCombo_->setCurrentIndex(std::max(0, codePageCombo_->findText(page)));
    }
    if (!asianChosen_) {
        const int asian = m350::asianEncodingOf(encoding);
        asiaFontEncodeRadio_->setItemIndex(asian >= 0 ? asian : m350::kTraditionalChinese);
    }
    fitGlyphsCheck_->setText(ownTr("Fit Glyphs to Cell", language));
    fitGlyphsCheck_->setToolTip(
        ownTr("Draws glyphs the cell edge would cut narrower and widens italic cells.", language));
}

void FontManagerPage::onFontEncodeChanged(int index) {
    const bool standard = index == kModeStandard;
    const bool asian = index == kModeAsian;
    const bool table = index == kModeTable || index == kModeAsianTable;
    for (QWidget* w : std::initializer_list<QWidget*>{standEncodeGroup_, sEncodeCombo_,
                                                      charStartEdit_, charEndEdit_})
        w->setEnabled(standard);
    // The Asian table's codes are in the chosen Asian encoding too.
    asiaFontEncodeRadio_->setEnabled(asian || index == kModeAsianTable);
    codePageCombo_->setEnabled(standard || index == kModeTable);
    for (QWidget* w :
         std::initializer_list<QWidget*>{encodeTableGroup_, fontTableMemo_, fontTblLoadButton_,
                                         fontTblSaveButton_, fileTableCheck_})
        w->setEnabled(table);
    fontPitchCombo_->setCurrentIndex(standard || index == kModeTable ? m350::kVariablePitch
                                                                     : m350::kFixedPitch);
}

void FontManagerPage::onSEncodeChanged(int index) {
    if (index == 0) {
        charStartEdit_->setText(QStringLiteral("32"));
        charEndEdit_->setText(QStringLiteral("127"));
    } else if (index == 1) {
        charStartEdit_->setText(QStringLiteral("32"));
        charEndEdit_->setText(QStringLiteral("255"));
    }
}

void FontManagerPage::onFontTblLoadClicked() {
    const QString path = app_.prompter().openFile(anyFileRequest());
    if (path.isEmpty()) return;
    // Only a regular file is read (a FIFO or device is refused with the
    // reason and the memo is left as it was), and only as far as a table can
    // go: a longer file shows its head and is refused when the font is made.
    std::string file, why;
    if (!m350::readLocalFile(localPath(path), m350::kMaxTableBytes + 1, file, why,
                             m350::LongerFile::kReadHead)) {
        app_.prompter().message(QString::fromLocal8Bit(why.data(), qsizetype(why.size())));
        return;
    }
    tablePath_ = path;
    if (const std::size_t nul = file.find('\0'); nul != std::string::npos) file.resize(nul);
    // Shown in the code page of the table's codes, the same that Save writes;
    // the font takes the file's own bytes while By File is checked.
    QString text = QString::fromStdString(m350::decodeTableText(file, tableCodePage()));
    text.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    fontTableMemo_->setPlainText(text);
    fileTableCheck_->setChecked(true);
}

void FontManagerPage::onFontTblSaveClicked() {
    const QString path = app_.prompter().saveFile(anyFileRequest());
    if (path.isEmpty()) return;
    // The memo's lines with CR LF between them, nothing after the last, in
    // the code page of the table's codes.
    const std::string codePage = tableCodePage();
    const m350::EncodedTable table =
        m350::encodeTableText(fontTableMemo_->toPlainText().toStdString(), codePage);
    if (!table.unheld.empty() &&
        !app_.prompter().question(leftOutText(table.unheld, {}, codePage) + QLatin1Char('\n') +
                                  ownTr("Save the table without them?", app_.language())))
        return;
    std::string why;
    if (!m350::writeFileAtomically(localPath(path), table.bytes, &why))
        app_.prompter().message(QStringLiteral("The file cannot be written.\n") +
                                QString::fromLocal8Bit(why.data(), qsizetype(why.size())));
}

void FontManagerPage::onSelectFontClicked() {
    if (std::optional<QFont> chosen = app_.prompter().chooseFont(font_)) applyFont(*chosen);
}

void FontManagerPage::applyFont(const QFont& font) {
    font_ = font;
    winFontNameEdit_->setText(font.family());
    const int points = font.pointSize() > 0 ? font.pointSize()
                                            : (font.pixelSize() * 72 + kScreenDpi / 2) / kScreenDpi;
    winFontSizeEdit_->setText(QString::number(points));
    // The cell of "W", or of the character 0xE0 0xA2 of the chosen Asian
    // encoding for the double-byte modes.
    const int mode = fontEncodeCombo_->currentIndex();
    QString measured = QStringLiteral("W");
    if (mode == kModeAsian || mode == kModeAsianTable) {
        m350::CodePage cp{std::string(m350::asianCodePage(asiaFontEncodeRadio_->itemIndex()))};
        measured = cp.decode("\xE0\xA2");
    }
    const QSize cell = m350::measureText(font, measured);
    fontWidthEdit_->setText(QString::number(cell.width()));
    fontHeightEdit_->setText(QString::number(cell.height()));
    const bool italic = font.italic() && !font.underline() && !font.strikeOut();
    italicWidthEdit_->setText(QString::number(italic ? cell.width() * 3 / 10 : 0));
    printerFontNameEdit_->setText(QStringLiteral("FONT001"));
    QPixmap sample(kSampleWidth, kSampleHeight);
    sample.fill(Qt::white);
    QPainter p(&sample);
    p.setFont(m350::monochromeFont(font));
    p.setPen(Qt::black);
    p.drawText(0, QFontMetrics(p.font()).ascent(), QStringLiteral("ABCD"));
    p.end();
    sample_->setPixmap(sample);
}

std::optional<FontManagerPage::TableCodes> FontManagerPage::tableCodes(bool doubleByte,
                                                                       int asianEncoding,
                                                                       QString& why) {
    TableCodes out;
    const int language = app_.language();
    const std::string codePage =
        m350::tableCodePage(doubleByte, asianEncoding, singleByteCodePage());
    std::string raw;
    if (fileTableCheck_->isChecked()) {
        std::string reason;
        std::optional<std::string> file = m350::readTableFile(localPath(tablePath_), &reason);
        if (!file) {
            why = ownTr("The table file cannot be used: %1", language)
                      .arg(QString::fromLocal8Bit(reason.data(), qsizetype(reason.size())));
            return std::nullopt;
        }
        raw = std::move(*file);
    } else {
        const QString text = fontTableMemo_->toPlainText();
        if (text.size() > static_cast<qsizetype>(m350::kMaxTableBytes)) {
            why = ownTr("The table is longer than 65535 characters.", language);
            return std::nullopt;
        }
        m350::EncodedTable table = m350::encodeTableText(text.toStdString(), codePage);
        raw = std::move(table.bytes);
        out.unheld = std::move(table.unheld);
    }
    std::optional<std::string> converted = m350::convertTable(raw);
    if (!converted) {
        why = ownTr("The table is longer than 65535 characters.", language);
        return std::nullopt;
    }
    out.codes = doubleByte ? m350::doubleByteTableCodes(*converted, asianEncoding, &out.singles)
                           : std::move(*converted);
    return out;
}

QString FontManagerPage::leftOutText(const std::vector<std::string>& unheld,
                                     const std::vector<std::string>& singles,
                                     const std::string& codePage) const {
    const int language = app_.language();
    // Each character in quotes, so a space shows; a long list is cut.
    auto list = [](const std::vector<std::string>& chars) {
        constexpr std::size_t kShown = 40;
        QStringList quoted;
        for (std::size_t i = 0; i < chars.size() && i < kShown; ++i)
            quoted << QLatin1Char('"') + QString::fromStdString(chars[i]) + QLatin1Char('"');
        QString text = quoted.join(QStringLiteral(", "));
        if (chars.size() > kShown) text += QStringLiteral(" ... (%1)").arg(chars.size());
        return text;
    };
    QString text = ownTr("Some characters of the table cannot be in the font:", language);
    if (!unheld.empty())
        text += QLatin1Char('\n') + ownTr("Not in code page %1: %2", language)
                                        .arg(QString::fromStdString(codePage), list(unheld));
    if (!singles.empty())
        text += QLatin1Char('\n') +
                ownTr("One byte, not two, in a double-byte table: %1", language).arg(list(singles));
    return text;
}

std::string FontManagerPage::tableCodePage() const {
    return m350::tableCodePage(fontEncodeCombo_->currentIndex() == kModeAsianTable,
                               asiaFontEncodeRadio_->itemIndex(), singleByteCodePage());
}

bool FontManagerPage::assembleJob(const QString& path, m350::FontJob& job) {
    job = m350::FontJob{};
    const int language = app_.language();
    // The first setting that cannot make a font, named by its caption.
    QString problem;
    auto fail = [&problem](const QString& why) {
        if (problem.isEmpty()) problem = why;
    };
    auto field = [](QLabel* label) {
        QString caption = label->text().remove(QLatin1Char('&')).trimmed();
        while (caption.endsWith(QLatin1Char(':')) || caption.endsWith(QChar(0xFF1A)))
            caption.chop(1);
        return caption.trimmed();
    };
    auto number = [&](QLineEdit* e, QLabel* label, int& out) {
        bool isInt = false;
        out = e->text().trimmed().toInt(&isInt);
        if (e->text().trimmed().isEmpty())
            fail(ownTr("%1 is empty.", language).arg(field(label)));
        else if (!isInt)
            fail(ownTr("%1 is not a whole number.", language).arg(field(label)));
        return isInt;
    };
    job.pitch = fontPitchCombo_->currentIndex();
    const int mode = fontEncodeCombo_->currentIndex();
    const int asian = asiaFontEncodeRadio_->itemIndex();
    job.asianEncoding = asian;
    std::optional<TableCodes> table;
    job.startCode = 0;
    job.endCode = 0;
    if (mode == kModeStandard) {
        job.mode = m350::kSingleByteFont;
        const bool start = number(charStartEdit_, startAsciiLabel_, job.startCode);
        const bool end = number(charEndEdit_, endAsciiLabel_, job.endCode);
        for (auto [ok, value, label] : {std::tuple{start, job.startCode, startAsciiLabel_},
                                        std::tuple{end, job.endCode, endAsciiLabel_}})
            if (ok && (value < 0 || value > 255))
                fail(ownTr("%1 must be from 0 to 255.", language).arg(field(label)));
        if (start && end && job.endCode < job.startCode)
            fail(ownTr("%1 must not be below %2.", language)
                     .arg(field(endAsciiLabel_), field(startAsciiLabel_)));
    } else if (mode == kModeAsian) {
        job.mode = m350::kDoubleByteFont;
        // A whole encoding is a font of fixed cells: a reader finds each
        // glyph by its position.
        if (job.pitch == m350::kVariablePitch)
            fail(ownTr("%1: a whole Asian encoding is made in fixed pitch only.", language)
                     .arg(field(fontPitchLabel_)));
    } else {
        const bool doubleByte = mode == kModeAsianTable;
        job.mode = doubleByte ? m350::kDoubleByteFont : m350::kSingleByteFont;
        job.byTable = true;
        QString why;
        table = tableCodes(doubleByte, asian, why);
        job.table = table ? table->codes : std::string();
        job.tableCount =
            static_cast<std::uint32_t>(doubleByte ? job.table.size() / 2 : job.table.size());
        if (!table)
            fail(why);
        else if (job.tableCount == 0)
            fail(ownTr("The table has no characters.", language));
    }
    const bool width = number(fontWidthEdit_, fontWidthLabel_, job.cellWidth);
    const bool height = number(fontHeightEdit_, fontHeightLabel_, job.cellHeight);
    number(italicWidthEdit_, italicWidthLabel_, job.italicWidth);
    for (auto [ok, value, label] : {std::tuple{width, job.cellWidth, fontWidthLabel_},
                                    std::tuple{height, job.cellHeight, fontHeightLabel_}})
        if (ok && value < 0) fail(ownTr("%1 must be 0 or more.", language).arg(field(label)));
    // A cell beyond the drawing surface or the glyph buffer cannot be drawn.
    if (problem.isEmpty() && !m350::cellFits(job))
        fail(ownTr("%1 and %2 are too large: at most 2048 x 2048 pixels, 65536 bytes a glyph.",
                   language)
                 .arg(field(fontWidthLabel_), field(fontHeightLabel_)));
    job.path = path.toStdString();
    job.font = font_;
    job.singleByteCodePage = singleByteCodePage();
    if (!problem.isEmpty()) {
        app_.prompter().message(QStringLiteral("Font Parameter Error\n") + problem);
        return false;
    }
    // Characters the table cannot give the font are named before it is made.
    if (table && (!table->unheld.empty() || !table->singles.empty()) &&
        !app_.prompter().question(leftOutText(table->unheld, table->singles, tableCodePage()) +
                                  QLatin1Char('\n') +
                                  ownTr("Make the font without them?", language)))
        return false;
    return true;
}

std::string FontManagerPage::singleByteCodePage() const {
    const auto& pages = m350::singleByteCodePages();
    const int i = codePageCombo_->currentIndex();
    return i >= 0 && i < static_cast<int>(pages.size()) ? pages[static_cast<std::size_t>(i)]
                                                        : pages.front();
}

QString FontManagerPage::clippedText(const m350::FontJob& job) const {
    const std::string codePage = job.mode == m350::kDoubleByteFont
                                     ? std::string(m350::asianCodePage(job.asianEncoding))
                                     : job.singleByteCodePage;
    m350::CodePage cp(codePage);
    constexpr std::size_t kShown = 40;
    QStringList glyphs;
    for (std::size_t i = 0; i < job.clippedCodes.size() && i < kShown; ++i) {
        const std::string& code = job.clippedCodes[i];
        const QString ch = cp.decode(code);
        glyphs << (ch.isEmpty()
                       ? QStringLiteral("0x") +
                             QString::fromLatin1(QByteArray::fromStdString(code).toHex().toUpper())
                       : ch);
    }
    QString list = glyphs.join(QStringLiteral(" "));
    if (job.clippedCodes.size() > kShown) list += QStringLiteral(" ...");
    return ownTr("%1 glyphs are cut at the cell edge: %2", app_.language())
        .arg(job.clippedCodes.size())
        .arg(list);
}

bool FontManagerPage::makeFontFile(m350::FontJob& job, Purpose purpose) {
    QWidget* main = app_.dialogParent();
    job.fitGlyphs = fitGlyphsCheck_->isChecked();
    if (purpose != Purpose::kPreview)
        job.approve = [this, purpose](const m350::FontJob& made) {
            if (made.clippedCodes.empty()) return true;
            const int language = app_.language();
            return app_.prompter().question(clippedText(made) + QLatin1Char('\n') +
                                            (purpose == Purpose::kSave
                                                 ? ownTr("Save the font as it is?", language)
                                                 : ownTr("Download the font as it is?", language)));
        };
    main->setEnabled(false);
    const bool made = m350::makeFont(job, app_.link());
    if (!made && !job.stopped) {
        // A file that could not be put in place says why under the title.
        QString text = QStringLiteral("Make Font Error");
        if (!job.writeError.empty())
            text += QStringLiteral("\n") +
                    QString::fromLocal8Bit(job.writeError.data(), qsizetype(job.writeError.size()));
        app_.prompter().message(text);
    }
    main->setEnabled(true);
    return made;
}

void FontManagerPage::onSaveFontClicked() {
    const QString path = app_.prompter().saveFile(anyFileRequest());
    if (path.isEmpty()) return;
    m350::FontJob job;
    if (!assembleJob(path, job)) return;
    makeFontFile(job, Purpose::kSave);
}

void FontManagerPage::onDownloadFontClicked() {
    // The printer font name first, by the file manager's rule: a name the
    // printer cannot hold is refused before any font is made or the
    // password is asked for.
    const std::string encoding = app_.textEncoding();
    const std::optional<std::string> encoded = printerBytes(printerFontNameEdit_->text(), encoding);
    if (!encoded) {
        app_.prompter().message(
            unwritableText(printerFontNameEdit_->text(), app_.language(), encoding));
        return;
    }
    const std::string name = *encoded;
    if (const auto problem = m350::checkPrinterFileName(name);
        problem != m350::NameProblem::kNone) {
        app_.prompter().message(
            fileNameMessage(captionText(printerFontNameLabel_), problem, app_.language()));
        return;
    }
    // The font is made in a private temporary folder (the program's own
    // folder may be read-only) and removed with it after the download.
    QTemporaryDir folder;
    if (!folder.isValid()) {
        app_.prompter().message(QStringLiteral("Make Font Error"));
        return;
    }
    const QString path = folder.filePath(QStringLiteral("TEMP.BMF"));
    m350::FontJob job;
    if (!assembleJob(path, job)) return;
    if (!passwordGate(app_)) return;
    if (!makeFontFile(job, Purpose::kDownload)) return;
    const std::string file = path.toStdString();
    const int device = memoryDeviceCombo_->currentIndex();
    app_.runStandard(ops::downloadFontFile(file, name, device));
}

std::optional<m350::FontFileContents> FontManagerPage::makeBitmapPreview() {
    QTemporaryDir folder;
    if (!folder.isValid()) return std::nullopt;
    const QString path = folder.filePath(QStringLiteral("PREVIEW.BMF"));
    m350::FontJob job;
    if (!assembleJob(path, job)) return std::nullopt;
    if (!makeFontFile(job, Purpose::kPreview)) return std::nullopt;
    std::string bytes, error;
    if (!m350::readLocalFile(localPath(path), kMaxFontFileBytes, bytes, error)) {
        app_.prompter().message(QString::fromLocal8Bit(error.data(), qsizetype(error.size())));
        return std::nullopt;
    }
    std::optional<m350::FontFileContents> contents = m350::parseFontFile(bytes, &error);
    if (!contents) {
        app_.prompter().message(QString::fromStdString(error));
        return contents;
    }
    // The glyphs the maker cut at the cell edge are marked in the view: one-
    // byte codes as they are, two-byte codes above 0xFFFF to keep them apart.
    std::unordered_set<int> cut;
    for (const std::string& code : job.clippedCodes) {
        const int b1 = static_cast<unsigned char>(code[0]);
        cut.insert(code.size() > 1 ? 0x10000 + b1 * 256 + static_cast<unsigned char>(code[1]) : b1);
    }
    for (m350::FontFileGlyph& g : contents->glyphs)
        g.clipped = cut.count(g.doubleByte ? 0x10000 + g.code : g.code) > 0;
    return contents;
}

void FontManagerPage::onPreviewFontClicked() {
    QWidget* main = app_.dialogParent();
    // The grid shows the single-byte codes of the font's own code page.
    const int mode = fontEncodeCombo_->currentIndex();
    const std::string codePage =
        mode == kModeAsian || mode == kModeAsianTable
            ? std::string(m350::asianCodePage(asiaFontEncodeRadio_->itemIndex()))
            : singleByteCodePage();
    PreviewFontDialog dialog(
        font_, app_.language(), [this] { return makeBitmapPreview(); }, main, codePage);
    dialog.move(main->mapToGlobal(QPoint(0, 0)) + QPoint(kPreviewOffset, kPreviewOffset));
    app_.prompter().runModal(dialog);
}

}  // namespace m350::gui
