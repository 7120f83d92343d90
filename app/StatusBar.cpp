#include "app/StatusBar.h"

#include "platform/Files.h"

#include <QLabel>

StatusBar::StatusBar(const std::vector<Panel>& panels, QWidget* parent) : QFrame(parent)
{
    for (const Panel& panel : panels) {
        auto* label = new QLabel(this);
        label->setAlignment(panel.alignment | Qt::AlignVCenter);
        label->setFrameShape(panel.lowered ? QFrame::Panel : QFrame::NoFrame);
        label->setFrameShadow(QFrame::Sunken);
        label->setContentsMargins(2, 0, 2, 0);
        label->setTextFormat(Qt::PlainText); // folder names are no markup
        m_labels.push_back(label);
        m_widths.push_back(panel.width);
        m_texts.emplace_back();
    }
    setSizePolicy(QSizePolicy::Preferred, QSizePolicy::Fixed);
    layoutPanels();
}

QString StatusBar::panelText(int index) const { return m_texts.at(size_t(index)); }

void StatusBar::setPanelText(int index, const QString& text)
{
    m_texts.at(size_t(index)) = text;
    m_labels.at(size_t(index))->setText(platform::displayName(text));
}

int StatusBar::panelWidth(int index) const { return m_widths.at(size_t(index)); }

void StatusBar::setPanelWidth(int index, int width)
{
    m_widths.at(size_t(index)) = width;
    layoutPanels();
}

QSize StatusBar::sizeHint() const { return {400, fontMetrics().height() + 6}; }

void StatusBar::resizeEvent(QResizeEvent* event)
{
    QFrame::resizeEvent(event);
    layoutPanels();
}

void StatusBar::layoutPanels()
{
    int x = 0;
    for (size_t i = 0; i < m_labels.size(); ++i) {
        m_labels[i]->setGeometry(x, 0, m_widths[i], height());
        x += m_widths[i];
    }
}
