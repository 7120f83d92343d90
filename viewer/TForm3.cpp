#include "viewer/TForm3.h"

#include "app/TForm1.h"

TForm3::TForm3(TForm1& main, QWidget* parent) : QWidget(parent, Qt::Window), m_main(main)
{
    setObjectName(QStringLiteral("TForm3"));
    setWindowTitle(QStringLiteral("檔案檢視器"));
    IniFile& ini = m_main.settings();
    namespace f3 = settings::form3;
    setGeometry(ini.read(f3::left), ini.read(f3::top), ini.read(f3::width), ini.read(f3::height));
}
