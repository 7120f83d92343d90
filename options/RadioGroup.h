#pragma once
// A captioned group of radio buttons laid out in columns, read and set by item index
// (-1 for none).

#include <QGroupBox>
#include <QStringList>

class QButtonGroup;

class TRadioGroup final : public QGroupBox {
    Q_OBJECT
public:
    TRadioGroup(const QString& caption, const QStringList& items, int columns, QWidget* parent = nullptr);

    int ItemIndex() const;
    // An index outside the items selects none.
    void setItemIndex(int index);
    int count() const;

private:
    QButtonGroup* m_buttons;
};
