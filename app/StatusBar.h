#pragma once
// A status bar of fixed-width panels laid out from the left, each with its own text,
// alignment and bevel.

#include <QFrame>

#include <vector>

class QLabel;

class StatusBar : public QFrame {
    Q_OBJECT
public:
    struct Panel {
        int width;
        Qt::Alignment alignment;
        bool lowered;
    };

    StatusBar(const std::vector<Panel>& panels, QWidget* parent = nullptr);

    int panelCount() const { return int(m_labels.size()); }
    QString panelText(int index) const;
    void setPanelText(int index, const QString& text);
    int panelWidth(int index) const;
    void setPanelWidth(int index, int width);

    QSize sizeHint() const override;

protected:
    void resizeEvent(QResizeEvent* event) override;

private:
    void layoutPanels();

    std::vector<QLabel*> m_labels;
    std::vector<int> m_widths;
    std::vector<QString> m_texts; // as set; the labels show them readable
};
