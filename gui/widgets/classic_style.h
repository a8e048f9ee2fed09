// SPDX-License-Identifier: MIT
// The window's look: the platform style, with group boxes drawn the classic
// way (a thin rounded frame whose top line runs through the middle of the
// caption, the caption at the top left). A style sheet on the application
// would draw the same, but it makes every widget of the window go through
// style sheet rules when it is polished, which took a third of the window's
// start.
#pragma once

#include <QProxyStyle>

namespace m350::gui {

class ClassicStyle final : public QProxyStyle {
  public:
    // How far the frame starts below the top of the box, and the caption's
    // place: its left edge and the room on each side of its text.
    static constexpr int kFrameTop = 6;
    static constexpr int kCaptionLeft = 6;
    static constexpr int kCaptionPadding = 2;

    ClassicStyle();

    QRect subControlRect(ComplexControl control, const QStyleOptionComplex* option, SubControl sub,
                         const QWidget* widget) const override;
    void drawComplexControl(ComplexControl control, const QStyleOptionComplex* option,
                            QPainter* painter, const QWidget* widget) const override;
};

// For a tab bar whose tabs must all show side by side in a narrow place
// (the configuration pages beside their Verify box): the platform style
// with less room around each tab's text.
class SnugTabStyle final : public QProxyStyle {
  public:
    int pixelMetric(PixelMetric metric, const QStyleOption* option,
                    const QWidget* widget) const override;
};

}  // namespace m350::gui
