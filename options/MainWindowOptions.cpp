// The main window's options button.

#include "app/TForm1.h"
#include "options/TForm2.h"

#include <QListWidget>
#include <QToolButton>

void TForm1::SButOptionsClick()
{
    if (!Form2)
        return;
    Form2->lbox->clear();
    Form2->LoadOptions();
    Form2->exec();
}
