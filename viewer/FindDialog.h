#pragma once
// The viewer's modeless find dialog: the text, match case, whole word, the direction, a
// "find next" button that raises find() for each press, and a cancel button that hides
// the dialog.

#include <QDialog>

class QCheckBox;
class QLineEdit;
class QPushButton;
class QRadioButton;

class FindDialog : public QDialog {
    Q_OBJECT
public:
    explicit FindDialog(QWidget* parent = nullptr);

    QString findText() const;
    void setFindText(const QString& text);
    bool matchCase() const;
    bool wholeWord() const;
    bool down() const;
    void setMatchCase(bool on);
    void setWholeWord(bool on);
    void setDown(bool on);

    // Shows the dialog (it stays open) and gives its text field the focus.
    void execute();

    QLineEdit* EditText = nullptr;
    QCheckBox* CBoxMatchCase = nullptr;
    QCheckBox* CBoxWholeWord = nullptr;
    QRadioButton* RButUp = nullptr;
    QRadioButton* RButDown = nullptr;
    QPushButton* ButFindNext = nullptr;
    QPushButton* ButCancel = nullptr;

signals:
    void find();
};
