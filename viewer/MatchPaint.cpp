#include "viewer/MatchPaint.h"

#include <QApplication>
#include <QFontMetrics>
#include <QPainter>
#include <QStyle>
#include <QStyleOptionViewItem>

namespace viewer {

namespace {

struct Run {
    QString text;
    bool bold = false;
};

std::vector<Run> runsOf(const QString& text, const std::vector<int>& bold)
{
    std::vector<Run> runs;
    size_t next = 0;
    for (qsizetype i = 0; i < text.size(); ++i) {
        while (next < bold.size() && bold[next] < i)
            ++next;
        const bool isBold = next < bold.size() && bold[next] == i;
        if (runs.empty() || runs.back().bold != isBold)
            runs.push_back({QString(), isBold});
        runs.back().text += text[i];
    }
    return runs;
}

} // namespace

void drawMatchedText(QPainter& painter, const QRect& rect, Qt::Alignment alignment, const QString& text,
                     const std::vector<int>& bold, const QFont& font, const QColor& color)
{
    QFont heavy = font;
    heavy.setBold(true);
    const QFontMetrics plain(font), strong(heavy);
    std::vector<Run> runs = runsOf(text, bold);
    const auto widthOf = [&](const Run& run) { return (run.bold ? strong : plain).horizontalAdvance(run.text); };
    int total = 0;
    for (const Run& run : runs)
        total += widthOf(run);

    QString ellipsis;
    if (total > rect.width()) {
        // Cut where the text and an ellipsis still fit, never inside a surrogate pair.
        ellipsis = QStringLiteral("…");
        const int room = rect.width() - plain.horizontalAdvance(ellipsis);
        int used = 0;
        std::vector<Run> kept;
        for (Run& run : runs) {
            const int w = widthOf(run);
            if (used + w <= room) {
                used += w;
                kept.push_back(std::move(run));
                continue;
            }
            const QFontMetrics& metrics = run.bold ? strong : plain;
            qsizetype length = 0;
            while (length < run.text.size()) {
                qsizetype step = run.text[length].isHighSurrogate() && length + 1 < run.text.size() ? 2 : 1;
                if (used + metrics.horizontalAdvance(run.text.left(length + step)) > room)
                    break;
                length += step;
            }
            if (length > 0) {
                run.text.truncate(length);
                used += metrics.horizontalAdvance(run.text);
                kept.push_back(std::move(run));
            }
            break;
        }
        runs = std::move(kept);
        total = used + plain.horizontalAdvance(ellipsis);
    }

    int x = rect.left();
    if (alignment & Qt::AlignRight)
        x = rect.right() + 1 - total;
    else if (alignment & Qt::AlignHCenter)
        x = rect.left() + (rect.width() - total) / 2;
    const int baseline = rect.top() + (rect.height() - plain.height()) / 2 + plain.ascent();
    painter.save();
    painter.setClipRect(rect);
    painter.setPen(color);
    for (const Run& run : runs) {
        painter.setFont(run.bold ? heavy : font);
        painter.drawText(QPoint(x, baseline), run.text);
        x += widthOf(run);
    }
    if (!ellipsis.isEmpty()) {
        painter.setFont(font);
        painter.drawText(QPoint(x, baseline), ellipsis);
    }
    painter.restore();
}

void drawMatchedCell(QPainter& painter, const QStyleOptionViewItem& option, const std::vector<int>& bold)
{
    const QWidget* widget = option.widget;
    QStyle* style = widget ? widget->style() : QApplication::style();
    // The text's room as the style lays the cell out, with the margin it keeps on both sides.
    QRect room = style->subElementRect(QStyle::SE_ItemViewItemText, &option, widget);
    const int margin = style->pixelMetric(QStyle::PM_FocusFrameHMargin, nullptr, widget) + 1;
    room.adjust(margin, 0, -margin, 0);

    QStyleOptionViewItem bare = option;
    bare.text.clear();
    style->drawControl(QStyle::CE_ItemViewItem, &bare, &painter, widget);

    const QPalette::ColorGroup group = !(option.state & QStyle::State_Enabled) ? QPalette::Disabled
                                       : (option.state & QStyle::State_Active) ? QPalette::Normal
                                                                               : QPalette::Inactive;
    const QColor color = option.palette.color(
        group, (option.state & QStyle::State_Selected) ? QPalette::HighlightedText : QPalette::Text);
    drawMatchedText(painter, room, option.displayAlignment, option.text, bold, option.font, color);
}

} // namespace viewer
