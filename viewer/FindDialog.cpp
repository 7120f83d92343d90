#include "viewer/FindDialog.h"

#include <QCheckBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>

FindDialog::FindDialog(QWidget* parent) : QDialog(parent)
{
    setObjectName(QStringLiteral("FindD"));
    setWindowTitle(tr("尋找"));
    setModal(false);

    auto* label = new QLabel(tr("尋找目標:"), this);
    EditText = new QLineEdit(this);
    label->setBuddy(EditText);
    CBoxWholeWord = new QCheckBox(tr("全字拼寫須相符"), this);
    CBoxMatchCase = new QCheckBox(tr("大小寫須相符"), this);
    auto* direction = new QGroupBox(tr("方向"), this);
    RButUp = new QRadioButton(tr("向上"), direction);
    RButDown = new QRadioButton(tr("向下"), direction);
    RButDown->setChecked(true);
    auto* directionLayout = new QHBoxLayout(direction);
    directionLayout->addWidget(RButUp);
    directionLayout->addWidget(RButDown);
    ButFindNext = new QPushButton(tr("找下一個"), this);
    ButFindNext->setDefault(true);
    ButCancel = new QPushButton(tr("取消"), this);

    auto* grid = new QGridLayout(this);
    grid->addWidget(label, 0, 0);
    grid->addWidget(EditText, 0, 1, 1, 2);
    grid->addWidget(ButFindNext, 0, 3);
    auto* options = new QVBoxLayout;
    options->addWidget(CBoxWholeWord);
    options->addWidget(CBoxMatchCase);
    grid->addLayout(options, 1, 0, 1, 2);
    grid->addWidget(direction, 1, 2);
    grid->addWidget(ButCancel, 1, 3, Qt::AlignTop);

    auto updateButton = [this] { ButFindNext->setEnabled(!EditText->text().isEmpty()); };
    connect(EditText, &QLineEdit::textChanged, this, updateButton);
    updateButton();
    connect(ButFindNext, &QPushButton::clicked, this, &FindDialog::find);
    connect(ButCancel, &QPushButton::clicked, this, &QDialog::hide);
}

QString FindDialog::findText() const { return EditText->text(); }
void FindDialog::setFindText(const QString& text) { EditText->setText(text); }
bool FindDialog::matchCase() const { return CBoxMatchCase->isChecked(); }
bool FindDialog::wholeWord() const { return CBoxWholeWord->isChecked(); }
bool FindDialog::down() const { return RButDown->isChecked(); }
void FindDialog::setMatchCase(bool on) { CBoxMatchCase->setChecked(on); }
void FindDialog::setWholeWord(bool on) { CBoxWholeWord->setChecked(on); }

void FindDialog::setDown(bool on)
{
    if (on)
        RButDown->setChecked(true);
    else
        RButUp->setChecked(true);
}

void FindDialog::execute()
{
    show();
    raise();
    activateWindow();
    EditText->setFocus();
    EditText->selectAll();
}
