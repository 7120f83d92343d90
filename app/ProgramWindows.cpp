#include "app/ProgramWindows.h"

ProgramWindows createProgramWindows()
{
    ProgramWindows windows;
    windows.form1 = std::make_unique<TForm1>();
    windows.form2 = std::make_unique<TForm2>(*windows.form1);
    windows.form3 = std::make_unique<TForm3>(*windows.form1);
    windows.form4 = std::make_unique<TForm4>(*windows.form1);
    windows.form1->setCompanions(windows.form2.get(), windows.form3.get(), windows.form4.get());
    // Shown even when its start-up stopped early, so the window stays usable.
    windows.form1->show();
    return windows;
}
