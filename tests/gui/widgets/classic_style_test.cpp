// SPDX-License-Identifier: MIT
// The classic group boxes the window is drawn with: the frame's top line runs
// through the caption's middle with a gap for the caption, the contents start
// below that line (the pages' layouts are measured from there), and boxes the
// style does not know (checkable ones) keep the platform's drawing.
#include "gui/widgets/classic_style.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QGroupBox>
#include <QImage>
#include <QPainter>
#include <QStyleOptionGroupBox>

using m350::gui::ClassicStyle;

namespace {

QImage rendered(QGroupBox& box) {
    QImage image(box.size(), QImage::Format_RGB32);
    image.fill(box.palette().color(QPalette::Window));
    box.render(&image);
    return image;
}

bool rowHasColour(const QImage& image, int y, int x0, int x1, QRgb colour) {
    for (int x = x0; x < x1; ++x)
        if (image.pixel(x, y) == colour) return true;
    return false;
}

}  // namespace

TEST(ClassicStyle, FrameThroughTheCaptionAndContentsBelowIt) {
    ClassicStyle style;
    struct Case {
        const char* caption;
        int width, height;
        bool enabled;
    };
    const Case cases[] = {
        {"Interface", 209, 41, true},
        {"Printer Information", 400, 120, true},
        {"", 120, 60, true},
        {"Language", 162, 41, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.caption);
        QGroupBox box(QString::fromLatin1(c.caption));
        box.setStyle(&style);
        box.resize(c.width, c.height);
        box.setEnabled(c.enabled);
        // Layouts inside the box start inside the frame, under its top line.
        EXPECT_EQ(box.contentsMargins(), QMargins(1, ClassicStyle::kFrameTop + 1, 1, 1));

        QStyleOptionGroupBox option;
        option.initFrom(&box);
        option.text = box.title();
        option.subControls = QStyle::SC_GroupBoxFrame | QStyle::SC_GroupBoxLabel;
        option.fontMetrics = box.fontMetrics();
        const QRect label =
            style.subControlRect(QStyle::CC_GroupBox, &option, QStyle::SC_GroupBoxLabel, &box);
        const QImage image = rendered(box);
        const QRgb frame = box.palette().color(QPalette::Mid).rgb();
        const int top = ClassicStyle::kFrameTop;
        // The top line left of the caption, the bottom line, both sides.
        EXPECT_TRUE(rowHasColour(image, top, 2, ClassicStyle::kCaptionLeft, frame));
        EXPECT_TRUE(rowHasColour(image, c.height - 1, 2, c.width - 2, frame));
        EXPECT_EQ(image.pixel(0, c.height / 2), frame);
        EXPECT_EQ(image.pixel(c.width - 1, c.height / 2), frame);
        if (label.isEmpty()) {
            EXPECT_EQ(QString::fromLatin1(c.caption), QString());
            EXPECT_TRUE(rowHasColour(image, top, c.width / 3, c.width / 2, frame));
            continue;
        }
        // The caption starts at the top of the box and straddles the line...
        EXPECT_EQ(label.left(), ClassicStyle::kCaptionLeft + ClassicStyle::kCaptionPadding);
        EXPECT_EQ(label.top(), 0);
        EXPECT_GT(label.bottom(), top);
        // ...which leaves a gap for it, and its text is drawn there.
        EXPECT_FALSE(rowHasColour(image, top, label.left(), label.right(), frame));
        const QRgb background = box.palette().color(QPalette::Window).rgb();
        bool ink = false;
        for (int y = label.top(); y <= label.bottom() && !ink; ++y)
            for (int x = label.left(); x <= label.right() && !ink; ++x)
                ink = image.pixel(x, y) != background && image.pixel(x, y) != frame;
        EXPECT_TRUE(ink) << "the caption is drawn";
    }
}

TEST(ClassicStyle, CheckableBoxesKeepThePlatformsDrawing) {
    ClassicStyle style;
    QGroupBox box(QStringLiteral("Wireless"));
    box.setCheckable(true);
    box.resize(200, 80);
    QStyleOptionGroupBox option;
    option.initFrom(&box);
    option.text = box.title();
    option.subControls =
        QStyle::SC_GroupBoxFrame | QStyle::SC_GroupBoxLabel | QStyle::SC_GroupBoxCheckBox;
    for (const auto sub :
         {QStyle::SC_GroupBoxContents, QStyle::SC_GroupBoxLabel, QStyle::SC_GroupBoxFrame})
        EXPECT_EQ(style.subControlRect(QStyle::CC_GroupBox, &option, sub, &box),
                  style.baseStyle()->subControlRect(QStyle::CC_GroupBox, &option, sub, &box));
}
