// SPDX-License-Identifier: MIT
#include "gui/widgets/classic_style.h"

#include <QPainter>
#include <QPainterPath>
#include <QStyleOptionGroupBox>

namespace m350::gui {

namespace {

const QStyleOptionGroupBox* plainGroupBox(QStyle::ComplexControl control,
                                          const QStyleOptionComplex* option) {
    if (control != QStyle::CC_GroupBox) return nullptr;
    const auto* box = qstyleoption_cast<const QStyleOptionGroupBox*>(option);
    // A box with a check box or a flat one keeps the platform's drawing.
    if (!box || (box->subControls & QStyle::SC_GroupBoxCheckBox) ||
        (box->features & QStyleOptionFrame::Flat))
        return nullptr;
    return box;
}

}  // namespace

ClassicStyle::ClassicStyle() : QProxyStyle() {}

QRect ClassicStyle::subControlRect(ComplexControl control, const QStyleOptionComplex* option,
                                   SubControl sub, const QWidget* widget) const {
    const QStyleOptionGroupBox* box = plainGroupBox(control, option);
    if (!box) return QProxyStyle::subControlRect(control, option, sub, widget);
    const QRect r = box->rect;
    switch (sub) {
        case SC_GroupBoxFrame:
            return r.adjusted(0, kFrameTop, 0, 0);
        case SC_GroupBoxContents:
            // Inside the one-pixel frame; the caption may reach into it, as
            // the pages' own margins allow for.
            return r.adjusted(1, kFrameTop + 1, -1, -1);
        case SC_GroupBoxLabel: {
            if (box->text.isEmpty()) return QRect();
            const int width = box->fontMetrics.horizontalAdvance(box->text);
            return QRect(r.left() + kCaptionLeft + kCaptionPadding, r.top(), width,
                         box->fontMetrics.height());
        }
        default:
            return QProxyStyle::subControlRect(control, option, sub, widget);
    }
}

void ClassicStyle::drawComplexControl(ComplexControl control, const QStyleOptionComplex* option,
                                      QPainter* painter, const QWidget* widget) const {
    const QStyleOptionGroupBox* box = plainGroupBox(control, option);
    if (!box) {
        QProxyStyle::drawComplexControl(control, option, painter, widget);
        return;
    }
    const QRect label = subControlRect(control, option, SC_GroupBoxLabel, widget);
    painter->save();
    if (box->subControls & SC_GroupBoxFrame) {
        // The frame, with a gap where the caption sits on its top line.
        QRegion clip(box->rect);
        if (!label.isEmpty()) clip -= label.adjusted(-kCaptionPadding, 0, kCaptionPadding, 0);
        painter->setClipRegion(clip);
        painter->setRenderHint(QPainter::Antialiasing, false);
        painter->setPen(box->palette.color(QPalette::Mid));
        painter->setBrush(Qt::NoBrush);
        const QRect frame = subControlRect(control, option, SC_GroupBoxFrame, widget);
        painter->drawRoundedRect(frame.adjusted(0, 0, -1, -1), 2, 2);
        painter->setClipping(false);
    }
    if ((box->subControls & SC_GroupBoxLabel) && !label.isEmpty())
        drawItemText(painter, label, Qt::AlignLeft | Qt::AlignVCenter | Qt::TextShowMnemonic,
                     box->palette, box->state & State_Enabled, box->text, QPalette::WindowText);
    painter->restore();
}

int SnugTabStyle::pixelMetric(PixelMetric metric, const QStyleOption* option,
                              const QWidget* widget) const {
    constexpr int kTabTextRoom = 12;  // left and right of the text together
    if (metric == PM_TabBarTabHSpace) return kTabTextRoom;
    return QProxyStyle::pixelMetric(metric, option, widget);
}

}  // namespace m350::gui
