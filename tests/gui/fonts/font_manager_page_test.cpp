// SPDX-License-Identifier: MIT
// The "Bitmap Font Manager" page driven by object name: the encode modes and
// presets, the cell measured from the selected font, the checks before a font
// is made, Save Font, Download Font on the wire and the preview window.
#include "gui/pages/font_manager_page.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPainter>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <filesystem>
#include <fstream>
#include <iterator>

#include "../../fonts/bmf_reader.h"
#include "../control_named.h"
#include "../scripted_prompter.h"
#include "../test_window.h"
#include "core/fonts/code_pages.h"
#include "core/fonts/font_maker.h"
#include "gui/dialogs/preview_font_dialog.h"
#include "gui/main_window.h"
#include "gui/mnemonics.h"
#include "gui/widgets/radio_group.h"
#include "support/sim_process.h"
#include "support/test_files.h"

using m350test::controlNamed;
using namespace m350::gui;

namespace {

std::string slurp(const QString& path) {
    return m350test::readAll(path.toStdString());
}

struct Page {
    m350test::ScriptedPrompter prompter;
    m350test::RecordingProgress progress;
    std::unique_ptr<MainWindow> main;
    QTemporaryDir dir;

    Page() {
        auto seams = m350test::testSeams(prompter, progress);
        m350test::withoutPrinter(seams);
        main = std::make_unique<MainWindow>(StartupOptions{}, seams);
    }
    explicit Page(int port)
        : main(std::make_unique<MainWindow>(m350test::loopbackPrinter(port),
                                            m350test::testSeams(prompter, progress))) {}
    template <class W>
    W* c(const char* name) {
        return controlNamed<W>(*main, name);
    }
    void mode(int m) { c<QComboBox>("ComboBoxFontEncode")->setCurrentIndex(m); }
    void selectFont(const QFont& f) {
        prompter.fonts.push_back(f);
        c<QPushButton>("ButtonSelectFont")->click();
    }
    QString saveFont(const char* name) {
        const QString path = dir.filePath(QString::fromLatin1(name));
        prompter.files.push_back(path);
        c<QPushButton>("ButtonSaveFont")->click();
        return path;
    }
};

QFont dejaVu(int pixels) {
    QFont f(QStringLiteral("DejaVu Sans"));
    f.setPixelSize(pixels);
    return f;
}

}  // namespace

TEST(FontManagerPage, EncodeModesSetTheirControlsAndPitch) {
    Page p;
    struct Case {
        int mode;
        bool standard, asian, table;
        int pitch;
    };
    for (const Case c : {Case{1, false, true, false, 0}, Case{2, false, false, true, 1},
                         Case{3, false, false, true, 0}, Case{0, true, false, false, 1}}) {
        p.mode(c.mode);
        for (const char* n :
             {"GroupBoxSatndEncode", "ComboBoxSEncode", "EditCharStart", "EditCharEnd"})
            EXPECT_EQ(p.c<QWidget>(n)->isEnabled(), c.standard) << n << " mode " << c.mode;
        // The Asian table's codes are in the chosen Asian encoding.
        EXPECT_EQ(p.c<QWidget>("RadioGroupAsiaFontEncode")->isEnabled(), c.asian || c.mode == 3)
            << c.mode;
        EXPECT_EQ(p.c<QWidget>("ComboBoxFontCodePage")->isEnabled(), c.mode == 0 || c.mode == 2)
            << c.mode;
        for (const char* n : {"GroupBoxEncodeTable", "MemoFontTable", "ButtonFontTblLoad",
                              "ButtonFontTblSave", "CheckBoxFileTable"})
            EXPECT_EQ(p.c<QWidget>(n)->isEnabled(), c.table) << n << " mode " << c.mode;
        EXPECT_EQ(p.c<QComboBox>("ComboBoxFontPitch")->currentIndex(), c.pitch) << c.mode;
    }
}

TEST(FontManagerPage, MappingPresets) {
    Page p;
    auto* preset = p.c<QComboBox>("ComboBoxSEncode");
    preset->setCurrentIndex(1);
    EXPECT_EQ(p.c<QLineEdit>("EditCharEnd")->text(), "255");
    preset->setCurrentIndex(2);
    EXPECT_EQ(p.c<QLineEdit>("EditCharStart")->text(), "32");
    EXPECT_EQ(p.c<QLineEdit>("EditCharEnd")->text(), "255");
    preset->setCurrentIndex(0);
    EXPECT_EQ(p.c<QLineEdit>("EditCharEnd")->text(), "127");
}

TEST(FontManagerPage, SelectFontMeasuresTheCell) {
    Page p;
    QFont boldItalic = dejaVu(30);
    boldItalic.setBold(true);
    boldItalic.setItalic(true);
    QFont underlinedItalic = boldItalic;
    underlinedItalic.setUnderline(true);
    struct Case {
        int mode;
        QFont font;
        QString measured;
        bool italic;
    };
    m350::CodePage big5("CP950");
    for (const Case& c : {Case{0, dejaVu(30), "W", false}, Case{0, boldItalic, "W", true},
                          Case{0, underlinedItalic, "W", false},
                          Case{1, QFont("Noto Sans CJK TC", 20), big5.decode("\xE0\xA2"), false}}) {
        p.mode(c.mode);
        p.c<QLineEdit>("EditPrinterFontName")->setText("OTHER");
        p.selectFont(c.font);
        const QSize cell = m350::measureText(c.font, c.measured);
        EXPECT_EQ(p.c<QLineEdit>("EditFontWidth")->text().toInt(), cell.width());
        EXPECT_EQ(p.c<QLineEdit>("EditFontHeight")->text().toInt(), cell.height());
        EXPECT_EQ(p.c<QLineEdit>("EditItalicWidth")->text().toInt(),
                  c.italic ? cell.width() * 3 / 10 : 0);
        EXPECT_EQ(p.c<QLineEdit>("EditWinFontName")->text(), c.font.family());
        EXPECT_EQ(p.c<QLineEdit>("EditPrinterFontName")->text(), "FONT001");
    }
    EXPECT_EQ(p.prompter.shown.count("font"), 4);
}

// Each refusal names the setting and why, under "Font Parameter Error".
TEST(FontManagerPage, BadSettingsGiveFontParameterErrorAndNoFile) {
    const std::tuple<int, const char*, const char*, const char*> cases[] = {
        {0, "EditItalicWidth", "", "Italic Width is empty."},
        {0, "EditCharStart", "256", "Character Start ASCII must be from 0 to 255."},
        {0, "EditCharStart", "200", "Character End ASCII must not be below Character Start ASCII."},
        {0, "EditFontWidth", "1x", "Font Width is not a whole number."},
        {0, "EditFontHeight", "-1", "Font Height must be 0 or more."},
        {0, "EditFontWidth", "3000", "Font Width and Font Height are too large"},
        {0, "EditFontHeight", "300", "Font Width and Font Height are too large"},  // width 2048
        {1, "ComboBoxFontPitch", "Variable Pitch", "Font Pitch: a whole Asian encoding is made"},
        {2, "MemoFontTable", "", "The table has no characters."},
        {3, "MemoFontTable", "", "The table has no characters."}};
    for (const auto& [mode, control, text, why] : cases) {
        Page p;
        p.mode(mode);
        if (std::string(text) == "300") p.c<QLineEdit>("EditFontWidth")->setText("2048");
        if (auto* memo = p.main->findChild<QPlainTextEdit*>(control))
            memo->setPlainText(text);
        else if (auto* combo = p.main->findChild<QComboBox*>(control))
            combo->setCurrentText(text);
        else
            p.c<QLineEdit>(control)->setText(text);
        const QString path = p.saveFont("bad.bmf");
        EXPECT_EQ(p.prompter.messages.size(), 1) << why;
        EXPECT_TRUE(p.prompter.messages.value(0).startsWith(
            QStringLiteral("Font Parameter Error\n") + QString::fromUtf8(why)))
            << p.prompter.messages.value(0).toStdString();
        EXPECT_FALSE(QFile::exists(path)) << why;
    }
}

TEST(FontManagerPage, SaveFontWritesTheFontOfThePage) {
    Page p;
    p.selectFont(dejaVu(14));
    p.c<QLineEdit>("EditItalicWidth")->setText("0");
    p.prompter.answers = {true};  // J and j are cut at the edge of their cells
    QString path = p.saveFont("std.bmf");
    EXPECT_TRUE(p.prompter.messages.isEmpty()) << p.prompter.messages.join(";").toStdString();
    std::string bytes = slurp(path);
    ASSERT_GT(bytes.size(), 32u + 96 * 6);
    EXPECT_EQ(bytes[1], 1);  // variable pitch, the page's default
    EXPECT_EQ(bytes[15], 96);
    EXPECT_EQ(p.progress.calls.front(), "open Making font...");

    // A table typed on two lines gives its six characters in order.
    p.mode(2);
    p.c<QPlainTextEdit>("MemoFontTable")->setPlainText("ABC\nDEF");
    path = p.saveFont("table.bmf");
    bytes = slurp(path);
    ASSERT_GT(bytes.size(), 32u + 36);
    EXPECT_EQ(bytes[15], 6);
    for (int i = 0; i < 6; ++i) EXPECT_EQ(bytes[32 + 6 * i], 'A' + i);
}

// The same single-byte code is another character in another code page:
// 0xC0 is a Latin A with grave in 1252 and the Cyrillic A in 1251.
TEST(FontManagerPage, CodePageChoosesTheCharacters) {
    Page p;
    p.selectFont(dejaVu(20));
    p.c<QComboBox>("ComboBoxSEncode")->setCurrentIndex(2);
    p.c<QLineEdit>("EditCharStart")->setText("192");
    p.c<QLineEdit>("EditCharEnd")->setText("192");
    p.c<QComboBox>("ComboBoxFontPitch")->setCurrentIndex(0);
    auto* pages = p.c<QComboBox>("ComboBoxFontCodePage");
    EXPECT_EQ(pages->currentText(), "1252");
    const std::string western = slurp(p.saveFont("w.bmf"));
    pages->setCurrentIndex(pages->findText("1251"));
    const std::string cyrillic = slurp(p.saveFont("c.bmf"));
    ASSERT_EQ(western.size(), cyrillic.size());
    EXPECT_EQ(western.substr(0, 32), cyrillic.substr(0, 32));
    EXPECT_NE(western.substr(32), cyrillic.substr(32));
    EXPECT_NE(western.substr(32).find_first_not_of('\0'), std::string::npos);
}

TEST(FontManagerPage, TableByFileAndItsLimit) {
    Page p;
    p.mode(2);
    QTemporaryDir dir;
    const QString small = dir.filePath("small.txt"), big = dir.filePath("big.txt");
    std::ofstream(small.toStdString()) << "XY\r\nZ";
    std::ofstream(big.toStdString()) << std::string(70000, 'a');
    p.prompter.files.push_back(small);
    p.c<QPushButton>("ButtonFontTblLoad")->click();
    EXPECT_TRUE(p.c<QCheckBox>("CheckBoxFileTable")->isChecked());
    // Edits in the memo do not reach the font while By File is checked.
    p.c<QPlainTextEdit>("MemoFontTable")->setPlainText("Q");
    std::string bytes = slurp(p.saveFont("file.bmf"));
    ASSERT_GT(bytes.size(), 50u);
    EXPECT_EQ(bytes[15], 3);
    EXPECT_EQ(bytes[32], 'X');

    p.prompter.files.push_back(big);
    p.c<QPushButton>("ButtonFontTblLoad")->click();
    for (int mode : {2, 3}) {
        p.mode(mode);
        p.prompter.messages.clear();
        p.saveFont("big.bmf");
        ASSERT_EQ(p.prompter.messages.size(), 1) << mode;
        EXPECT_TRUE(p.prompter.messages[0].startsWith(
            "Font Parameter Error\nThe table file cannot be used: "))
            << p.prompter.messages[0].toStdString();
    }

    // A FIFO or a device as the table file is refused with the reason (no
    // read blocks), and the table chosen before stays.
    const QString fifo = dir.filePath("fifo.txt");
    ASSERT_EQ(::mkfifo(fifo.toLocal8Bit().constData(), 0600), 0);
    p.prompter.files.push_back(small);
    p.c<QPushButton>("ButtonFontTblLoad")->click();
    for (const QString& hostile : {fifo, QStringLiteral("/dev/zero")}) {
        p.prompter.messages.clear();
        p.prompter.files.push_back(hostile);
        p.c<QPushButton>("ButtonFontTblLoad")->click();
        ASSERT_EQ(p.prompter.messages.size(), 1) << hostile.toStdString();
        EXPECT_TRUE(p.prompter.messages[0].contains("not a regular file"))
            << p.prompter.messages[0].toStdString();
    }
    p.mode(2);
    EXPECT_EQ(slurp(p.saveFont("again.bmf"))[32], 'X');
}

// The page's two writers (the font and the table text) save like every other
// file: a FIFO or folder at the path is refused with the reason under the
// title and left as it was; a link is followed; nothing is left beside it.
TEST(FontManagerPage, SavesRefuseWhatIsNoFileAndSayWhy) {
    namespace fs = std::filesystem;
    Page p;
    p.selectFont(dejaVu(14));
    p.c<QLineEdit>("EditItalicWidth")->setText("0");
    p.mode(2);  // a table font: the table buttons are enabled
    p.c<QPlainTextEdit>("MemoFontTable")->setPlainText("AB\nC");
    const std::string d = p.dir.path().toStdString();
    ASSERT_EQ(::mkfifo((d + "/fifo").c_str(), 0600), 0);
    fs::create_directory(d + "/folder");
    { std::ofstream(d + "/real.txt") << "old"; }
    fs::create_symlink(d + "/real.txt", d + "/link.txt");
    struct Case {
        const char* button;
        const char* target;
        const char* title;  // empty: saved
        const char* reason;
    };
    for (const Case c :
         {Case{"ButtonSaveFont", "fifo", "Make Font Error\n", "a FIFO"},
          Case{"ButtonSaveFont", "folder", "Make Font Error\n", "a directory"},
          Case{"ButtonFontTblSave", "fifo", "The file cannot be written.\n", "a FIFO"},
          Case{"ButtonFontTblSave", "folder", "The file cannot be written.\n", "a directory"},
          Case{"ButtonFontTblSave", "link.txt", "", ""}}) {
        p.prompter.messages.clear();
        p.prompter.files.push_back(QString::fromStdString(d + "/" + c.target));
        p.c<QPushButton>(c.button)->click();
        if (*c.title) {
            ASSERT_EQ(p.prompter.messages.size(), 1) << c.button << " " << c.target;
            EXPECT_TRUE(p.prompter.messages[0].startsWith(QString::fromUtf8(c.title)))
                << p.prompter.messages[0].toStdString();
            EXPECT_TRUE(p.prompter.messages[0].contains(QString::fromUtf8(c.reason)))
                << p.prompter.messages[0].toStdString();
        } else {
            EXPECT_TRUE(p.prompter.messages.isEmpty()) << c.button << " " << c.target;
        }
    }
    EXPECT_TRUE(fs::is_fifo(d + "/fifo"));
    EXPECT_TRUE(fs::is_empty(d + "/folder"));
    EXPECT_TRUE(fs::is_symlink(d + "/link.txt"));
    EXPECT_EQ(slurp(QString::fromStdString(d + "/real.txt")), "AB\r\nC");
    EXPECT_EQ(std::distance(fs::directory_iterator(d), fs::directory_iterator()), 4);
}

// A loaded table shows its characters in the code page of its codes, and the
// font takes the file's bytes as they are.
TEST(FontManagerPage, LoadedAsianTableShowsItsCharacters) {
    Page p;
    p.mode(3);
    QTemporaryDir dir;
    const QString path = dir.filePath("big5.txt");
    std::ofstream(path.toStdString(), std::ios::binary) << "\xA4\xA4\xA4\xE5\r\nA";
    p.prompter.files.push_back(path);
    p.c<QPushButton>("ButtonFontTblLoad")->click();
    EXPECT_EQ(p.c<QPlainTextEdit>("MemoFontTable")->toPlainText(),
              QString::fromUtf8("\xE4\xB8\xAD\xE6\x96\x87\nA"));
    p.prompter.answers.push_back(true);  // make it without the A
    const std::string bytes = slurp(p.saveFont("big5.bmf"));
    ASSERT_EQ(p.prompter.shown.filter("question:").size(), 1);
    EXPECT_TRUE(p.prompter.shown.filter("question:")[0].contains("\"A\""));
    ASSERT_GT(bytes.size(), 44u);
    EXPECT_EQ(bytes[15], 2);  // A and the line break are not a pair of codes
    EXPECT_EQ(bytes.substr(32, 2), "\xA4\xA4");
    EXPECT_EQ(bytes.substr(38, 2), "\xA4\xE5");
}

TEST(FontManagerPage, DownloadSendsTheSameFontAsSaveFont) {
    m350test::SimProcess sim;
    ASSERT_TRUE(sim.ok()) << sim.error();
    Page p(sim.tcpPort());
    ASSERT_TRUE(sim.waitForQuiet());
    p.selectFont(dejaVu(12));
    p.c<QComboBox>("ComboBoxMemoryDevice")->setCurrentIndex(2);
    p.c<QLineEdit>("EditPrinterFontName")->setText("MYFONT");
    p.c<QCheckBox>("CheckBoxFitGlyphs")->setChecked(true);  // nothing cut, nothing asked
    const std::string saved = slurp(p.saveFont("same.bmf"));
    ASSERT_FALSE(saved.empty());
    const std::size_t before = sim.transcript().size();
    p.c<QPushButton>("ButtonDowloadFont")->click();
    EXPECT_TRUE(p.prompter.messages.isEmpty()) << p.prompter.messages.join(";").toStdString();
    ASSERT_TRUE(sim.waitForQuiet());
    const auto t = sim.transcript();
    ASSERT_GE(t.size(), before + 2);  // the password read, then the download
    EXPECT_EQ(t.back().rx, "DOWNLOAD E,\"MYFONT\"," + std::to_string(saved.size()) + "," + saved);
    EXPECT_TRUE(p.main->isEnabled());
}

TEST(FontManagerPage, DownloadRefusals) {
    m350test::SimProcess sim;
    ASSERT_TRUE(sim.ok()) << sim.error();
    Page p(sim.tcpPort());
    ASSERT_TRUE(sim.waitForQuiet());
    // Variable pitch with a whole Asian encoding: refused, naming the pitch,
    // before the password is asked.
    p.mode(1);
    p.c<QComboBox>("ComboBoxFontPitch")->setCurrentIndex(1);
    std::size_t before = sim.transcript().size();
    p.c<QPushButton>("ButtonDowloadFont")->click();
    ASSERT_EQ(p.prompter.messages.size(), 1);
    EXPECT_TRUE(p.prompter.messages[0].startsWith("Font Parameter Error\nFont Pitch: "));
    ASSERT_TRUE(sim.waitForQuiet());
    EXPECT_EQ(sim.transcript().size(), before);

    // A printer name the printer cannot take is refused before anything.
    p.mode(0);
    p.prompter.messages.clear();
    p.c<QLineEdit>("EditPrinterFontName")->setText(QString(31, 'N'));
    before = sim.transcript().size();
    p.c<QPushButton>("ButtonDowloadFont")->click();
    EXPECT_EQ(p.prompter.messages,
              QStringList{"File name too long\nPrinter Font Name: A printer file name has at most "
                          "30 characters."});
    ASSERT_TRUE(sim.waitForQuiet());
    EXPECT_EQ(sim.transcript().size(), before);
}

TEST(FontManagerPage, PreviewGridAndBitmap) {
    Page p;
    p.selectFont(dejaVu(12));
    p.c<QComboBox>("ComboBoxFontPitch")->setCurrentIndex(0);
    bool ran = false;
    p.prompter.dialogs["TFormPreviewFont"] = [&](QDialog& d) {
        ran = true;
        auto& dialog = static_cast<PreviewFontDialog&>(d);
        EXPECT_EQ(dialog.windowTitle(), "Preview Font");
        EXPECT_EQ(
            m350::gui::withoutMnemonic(controlNamed<QPushButton>(dialog, "ButtonExit")->text()),
            "Exit");
        const QImage& img = dialog.previewImage();
        EXPECT_EQ(img.size(), QSize(320, 480));
        auto dark = [&](int x, int y) { return (img.pixel(x, y) & 0xFFFFFF) != 0xFFFFFF; };
        int vertical = 0, horizontal = 0;
        for (int x = 1; x < 319; ++x) vertical += dark(x, 2) && dark(x, 477);
        for (int y = 1; y < 479; ++y) horizontal += dark(2, y) && dark(317, y);
        EXPECT_EQ(vertical, 15);
        EXPECT_EQ(horizontal, 15);
        // Code 0 draws nothing in the top-left cell; code 0x41 'A' draws.
        bool empty = true, a = false;
        for (int y = 1; y < 29; ++y)
            for (int x = 1; x < 19; ++x) {
                empty = empty && !dark(x, y);
                a = a || dark(20 + x, 4 * 30 + y);
            }
        EXPECT_TRUE(empty);
        EXPECT_TRUE(a);
        // The bitmap of the font the page makes, glyph for glyph.
        controlNamed<QPushButton>(dialog, "ButtonBitmap")->click();
        const auto& font = dialog.bitmapView()->contents();
        EXPECT_EQ(font.glyphs.size(), 96u);
        EXPECT_EQ(font.cellWidth, p.c<QLineEdit>("EditFontWidth")->text().toInt());
        controlNamed<QPushButton>(dialog, "ButtonExit")->click();
        return d.result();
    };
    p.c<QPushButton>("ButtonPreviewFont")->click();
    EXPECT_TRUE(ran);
    EXPECT_TRUE(p.prompter.messages.isEmpty());
}

// A table saved, loaded again and made into a font keeps its characters (the
// file holds the table's code page, the font's codes); characters it cannot
// give the font are named first, and No makes no file.
TEST(FontManagerPage, TablesRoundTripAndNameWhatTheyLeaveOut) {
    struct Case {
        int mode, asian;
        const char *codePage, *text, *named;  // named: "" when nothing is left out
        std::string file, codes;
    };
    const Case cases[] = {
        {2, 0, "1251", "АБВ\nгд", "", "\xC0\xC1\xC2\r\n\xE3\xE4", "\xC0\xC1\xC2\xE3\xE4"},
        {2, 0, "1253", "ΑΒΓ", "", "\xC1\xC2\xC3", "\xC1\xC2\xC3"},
        {3, 0, "", "中文\n字", "", "\xA4\xA4\xA4\xE5\r\n\xA6\x72", "\xA4\xA4\xA4\xE5\xA6\x72"},
        {3, 1, "", "中文", "", "\xD6\xD0\xCE\xC4", "\xD6\xD0\xCE\xC4"},
        {3, 3, "", "日本", "", "\x93\xFA\x96\x7B", "\x93\xFA\x96\x7B"},
        {3, 0, "", "中A文 字", "\"A\", \" \"", "", "\xA4\xA4\xA4\xE5\xA6\x72"},
        {3, 0, "", "中한文", "CP950: \"한\"", "", "\xA4\xA4\xA4\xE5"},
        {2, 0, "1251", "Аé€", "CP1251: \"é\"", "", "\xC0\x88"},
    };
    for (const Case& c : cases) {
        Page p;
        p.mode(c.mode);
        auto* pages = p.c<QComboBox>("ComboBoxFontCodePage");
        if (*c.codePage) pages->setCurrentIndex(pages->findText(c.codePage));
        p.main->findChild<RadioGroup*>("RadioGroupAsiaFontEncode")->setItemIndex(c.asian);
        const QString text = QString::fromUtf8(c.text), table = p.dir.filePath("t.txt");
        p.c<QPlainTextEdit>("MemoFontTable")->setPlainText(text);
        if (!*c.named) {
            p.prompter.files = {table, table};
            p.c<QPushButton>("ButtonFontTblSave")->click();
            EXPECT_EQ(slurp(table), c.file) << c.text;
            p.c<QPlainTextEdit>("MemoFontTable")->setPlainText("X");
            p.c<QPushButton>("ButtonFontTblLoad")->click();  // checks By File
            EXPECT_EQ(p.c<QPlainTextEdit>("MemoFontTable")->toPlainText(), text) << c.text;
        }
        // From the file (By File) and from the memo; No to a question, then Yes.
        for (int round : {0, 1}) {
            const bool byFile = round == 0 && !*c.named;
            p.c<QCheckBox>("CheckBoxFileTable")->setChecked(byFile);
            const int asked = round;
            p.prompter.answers = {round > 0};
            const QString path = p.saveFont("t.bmf");
            QStringList q = p.prompter.shown.filter("question:");
            EXPECT_EQ(q.size(), *c.named ? asked + 1 : 0) << c.text;
            EXPECT_TRUE(!*c.named || q.back().contains(QString::fromUtf8(c.named))) << c.text;
            if (*c.named && asked == 0) {
                EXPECT_FALSE(QFile::exists(path)) << c.text;
                continue;
            }
            std::string codes;
            for (int code : bmftest::read(slurp(path)).codes)
                codes += (c.mode == 3 ? std::string(1, char(code >> 8)) : "") + char(code & 0xFF);
            EXPECT_EQ(codes, c.codes) << c.text << " by file " << byFile;
            QFile::remove(path);
        }
        EXPECT_TRUE(p.prompter.messages.isEmpty()) << c.text;
    }
}

// The preview grid draws each code as the character it is in the chosen code
// page (0xC0 is À in 1252, А in 1251), exactly as that character drawn alone.
TEST(FontManagerPage, PreviewGridFollowsTheCodePage) {
    for (auto [page, code, ch] : {std::tuple{"1252", 0xC0, "À"}, std::tuple{"1251", 0xC0, "А"},
                                  std::tuple{"1253", 0xC1, "Α"}}) {
        Page p;
        auto* pages = p.c<QComboBox>("ComboBoxFontCodePage");
        pages->setCurrentIndex(pages->findText(page));
        QImage grid, alone(20, 30, QImage::Format_RGB32);
        p.prompter.dialogs["TFormPreviewFont"] = [&](QDialog& d) {
            grid = static_cast<PreviewFontDialog&>(d).previewImage();
            return int(QDialog::Accepted);
        };
        p.c<QPushButton>("ButtonPreviewFont")->click();
        QFont f = p.main->findChild<FontManagerPage*>()->selectedFont();
        f.setPointSize(10);
        alone.fill(Qt::white);
        QPainter painter(&alone);
        painter.setFont(f);
        painter.drawText(5, 5 + QFontMetrics(f).ascent(), QString::fromUtf8(ch));
        painter.end();
        const QRect cell((code % 16) * 20 + 1, (code / 16) * 30 + 1, 19, 29);
        EXPECT_EQ(grid.copy(cell), alone.copy(1, 1, 19, 29)) << page;
        QImage white(alone.size(), alone.format());
        white.fill(Qt::white);
        EXPECT_NE(alone, white) << page;
    }
}

// Glyphs cut at the cell edge are named before Save and Download; No saves
// and sends nothing. "Fit Glyphs to Cell" cuts none and asks nothing. The
// Bitmap preview frames the cut glyphs in red.
TEST(FontManagerPage, CutGlyphsAreNamedBeforeSaveAndDownload) {
    m350test::SimProcess sim;
    ASSERT_TRUE(sim.ok()) << sim.error();
    Page p(sim.tcpPort());
    ASSERT_TRUE(sim.waitForQuiet());
    QFont italic(QStringLiteral("DejaVu Serif"));
    italic.setPointSize(24);
    italic.setItalic(true);
    p.selectFont(italic);
    const QString path = p.dir.filePath("cut.bmf");
    for (auto [save, fit, answer] : {std::tuple{true, false, false}, std::tuple{true, false, true},
                                     std::tuple{true, true, false}, std::tuple{false, false, false},
                                     std::tuple{false, true, false}}) {
        p.c<QCheckBox>("CheckBoxFitGlyphs")->setChecked(fit);
        p.prompter.shown.clear();
        p.prompter.answers = {answer};
        QFile::remove(path);
        const std::size_t before = sim.transcript().size();
        if (save) p.prompter.files.push_back(path);
        p.c<QPushButton>(save ? "ButtonSaveFont" : "ButtonDowloadFont")->click();
        ASSERT_TRUE(sim.waitForQuiet());
        const QStringList asked = p.prompter.shown.filter("question:");
        EXPECT_EQ(asked.size(), fit ? 0 : 1) << save << fit;
        EXPECT_TRUE(fit || asked.value(0).contains(QRegularExpression(
                               "^question: \\d+ glyphs are cut at the cell edge: ")));
        const auto t = sim.transcript();
        EXPECT_EQ(save ? QFile::exists(path) : t.back().rx.rfind("DOWNLOAD", 0) == 0, fit || answer)
            << save << fit << answer << t.size() - before;
    }
    p.c<QCheckBox>("CheckBoxFitGlyphs")->setChecked(false);
    int marked = 0, clipped = 0;
    p.prompter.dialogs["TFormPreviewFont"] = [&](QDialog& d) {
        auto& dialog = static_cast<PreviewFontDialog&>(d);
        controlNamed<QPushButton>(dialog, "ButtonBitmap")->click();
        const QImage shot = dialog.bitmapView()->grab().toImage();
        for (std::size_t i = 0; i < dialog.bitmapView()->contents().glyphs.size(); ++i) {
            const QRect r = dialog.bitmapView()->cellRect(static_cast<int>(i));
            clipped += dialog.bitmapView()->contents().glyphs[i].clipped;
            marked += shot.pixelColor(r.right() + 1, r.top()) == QColor(Qt::red);
        }
        EXPECT_TRUE(controlNamed<QLabel>(dialog, "LabelClipped")
                        ->text()
                        .startsWith(QString::number(clipped) + " glyphs are cut"));
        return int(QDialog::Accepted);
    };
    p.c<QPushButton>("ButtonPreviewFont")->click();
    EXPECT_GE(clipped, 10);
    EXPECT_EQ(marked, clipped);
}

// The font page's code page follows the printer text encoding as the command
// tool's Auto does, until the operator picks one; the command tool offers
// every code page the font page makes fonts in.
TEST(FontManagerPage, CodePageDefaultIsTheCommandToolsAuto) {
    Page p;
    auto* pages = p.c<QComboBox>("ComboBoxFontCodePage");
    auto* tool = p.c<QComboBox>("ComboBoxTextEncoding");
    auto language = [&](int l) {
        p.c<QComboBox>("ComboBoxLanguage")->setCurrentIndex(l);
        p.c<QComboBox>("ComboBoxLanguage")->activated(l);
    };
    for (auto [l, autoText, page, asian] :
         {std::tuple{9, "Auto: CP1251", "1251", 0}, std::tuple{11, "Auto: CP1257", "1257", 0},
          std::tuple{3, "Auto: CP932", "1252", 3}, std::tuple{2, "Auto: GBK", "1252", 1},
          std::tuple{0, "Auto: CP1252", "1252", 0}}) {
        language(l);
        EXPECT_EQ(tool->itemText(0), autoText);
        EXPECT_EQ(pages->currentText(), page) << l;
        EXPECT_EQ(p.main->findChild<RadioGroup*>("RadioGroupAsiaFontEncode")->itemIndex(), asian);
    }
    pages->activated(pages->findText("1253"));  // the operator's choice stays
    pages->setCurrentIndex(pages->findText("1253"));
    language(9);
    EXPECT_EQ(pages->currentText(), "1253");
    language(0);
    QStringList wanted{"CP950", "GBK", "CP949", "CP932"};
    for (int i = 0; i < pages->count(); ++i) wanted << "CP" + pages->itemText(i);
    for (const QString& w : wanted) EXPECT_GE(tool->findText(w), 1) << w.toStdString();
}
