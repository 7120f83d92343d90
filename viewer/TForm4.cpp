#include "viewer/TForm4.h"

#include "app/TForm1.h"

TForm4::TForm4(TForm1& main, QWidget* parent) : QDialog(parent), m_main(main)
{
    setObjectName(QStringLiteral("TForm4"));
    setWindowTitle(QStringLiteral("方法跳躍器"));
    IniFile& ini = m_main.settings();
    namespace f4 = settings::form4;
    setGeometry(ini.read(f4::left), ini.read(f4::top), ini.read(f4::width), ini.read(f4::height));
    lviewMJLastSortedColumn = ini.read(settings::form4::lviewMJLastSortedColumn);
    lviewMJAscending = ini.read(settings::form4::lviewMJAscending);
}

void TForm4::writeState(IniFile& ini) const
{
    namespace f4 = settings::form4;
    if (!isMaximized() && !isMinimized()) {
        ini.write(f4::left, x());
        ini.write(f4::top, y());
        ini.write(f4::width, width());
        ini.write(f4::height, height());
    }
    ini.write(settings::form4::lviewMJAscending, lviewMJAscending);
    ini.write(settings::form4::lviewMJLastSortedColumn, lviewMJLastSortedColumn);
}
