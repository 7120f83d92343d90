#pragma once
// A colour swatch: a bordered, caption-less field that shows a stored colour
// (0x00BBGGRR) as its background and reports clicks.

#include <QLabel>

class TColorSwatch final : public QLabel {
    Q_OBJECT
public:
    explicit TColorSwatch(QWidget* parent = nullptr);

    qint32 color() const { return m_color; }
    void setColor(qint32 value);

signals:
    void clicked(TColorSwatch* swatch);

protected:
    void mouseReleaseEvent(QMouseEvent* event) override;

private:
    qint32 m_color = 0;
};
