#include "app/Form2OptionsView.h"

#include "settings/IniFile.h"
#include "app/TForm1.h"
#include "options/RadioGroup.h"
#include "options/TForm2.h"

#include <QCheckBox>
#include <QLineEdit>

Form2OptionsView::Form2OptionsView(TForm1& main) : m_main(main) {}

launch::LaunchOptions Form2OptionsView::launchOptions() const
{
    launch::LaunchOptions options;
    if (const TForm2* f = m_main.Form2) {
        options.minProject = f->CBoxMinProject->isChecked();
        options.showProjFolderInFM = f->CBoxShowProjFolderInFM->isChecked();
        options.minimizeAllWhenRunProject = f->CBoxMinimizeAllWhenRunProject->isChecked();
        options.minExe = f->CBoxMinExe->isChecked();
        options.fileManager = f->EditFileManager->text();
        options.fmCommandLineOption = f->EditFMCommandLineOption->text();
        return options;
    }
    namespace o = settings::options;
    const IniFile& ini = m_main.settings();
    options.minProject = ini.read(o::CBoxMinProject);
    options.showProjFolderInFM = ini.read(o::CBoxShowProjFolderInFM);
    options.minimizeAllWhenRunProject = ini.read(o::CBoxMinimizeAllWhenRunProject);
    options.minExe = ini.read(o::CBoxMinExe);
    options.fileManager = ini.read(o::EditFileManagerText);
    options.fmCommandLineOption = ini.read(o::EEditFMCommandLineOptionText);
    return options;
}

int Form2OptionsView::doubleClickAction() const
{
    if (const TForm2* f = m_main.Form2)
        return f->RGroupOnDoubleClick->ItemIndex();
    return m_main.settings().read(settings::options::RGroupOnDoubleClick);
}

QString Form2OptionsView::rootField() const
{
    if (const TForm2* f = m_main.Form2)
        return f->EditRoot->text();
    QString root = m_main.settings().read(settings::options::EditRoot);
    if (!root.isEmpty() && !root.endsWith(u'/'))
        root += u'/';
    return root;
}
