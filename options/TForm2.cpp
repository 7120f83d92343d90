#include "options/TForm2.h"

#include "app/StatusBar.h"
#include "app/TForm1.h"

#include <QLineEdit>
#include <QVBoxLayout>

TForm2::TForm2(TForm1& main, QWidget* parent) : QDialog(parent), m_main(main)
{
    setObjectName(QStringLiteral("TForm2"));
    setWindowFlags(Qt::Dialog | Qt::WindowTitleHint | Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint);
    setMinimumSize(525, 474);
    auto* layout = new QVBoxLayout(this);
    EditRoot = new QLineEdit(this);
    EditRoot->setObjectName(QStringLiteral("EditRoot"));
    EditRoot->setReadOnly(true);
    layout->addWidget(EditRoot);
    layout->addStretch(1);

    IniFile& ini = m_main.settings();
    namespace f2 = settings::form2;
    setGeometry(ini.read(f2::left), ini.read(f2::top), ini.read(f2::width), ini.read(f2::height));
    LoadOptions();
}

void TForm2::LoadOptions()
{
    IniFile& ini = m_main.settings();
    QString root = ini.read(settings::options::EditRoot);
    if (!root.isEmpty() && !root.endsWith(u'/'))
        root += u'/';
    EditRoot->setText(root);
    const int onDoubleClick = ini.read(settings::options::RGroupOnDoubleClick);
    m_main.status->setPanelText(3, onDoubleClick == 1 ? QStringLiteral("prjct") : QStringLiteral("exe"));
}
