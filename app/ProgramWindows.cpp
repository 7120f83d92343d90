#include "app/ProgramWindows.h"

#include <QCheckBox>
#include <QLabel>

namespace {

// The viewer's questions, answered from the main window and the options dialog as they
// stand when it asks.
class ProgramViewerHost final : public ViewerHost {
public:
    ProgramViewerHost(const TForm1& main, const TForm2& options) : m_main(main), m_options(options) {}

    QString projectFile() const override { return m_main.LabelFuldSti->text(); }
    QString helpFile() const override { return m_main.HelpFile; }
    bool removeParameterList() const override { return m_options.CBoxRemoveParameterList->isChecked(); }

private:
    const TForm1& m_main;
    const TForm2& m_options;
};

} // namespace

ProgramWindows createProgramWindows()
{
    ProgramWindows windows;
    windows.form1 = std::make_unique<TForm1>();
    IniFile& settings = windows.form1->settings();
    windows.form2 = std::make_unique<TForm2>(settings, *windows.form1);
    windows.viewerHost = std::make_unique<ProgramViewerHost>(*windows.form1, *windows.form2);
    windows.form3 = std::make_unique<TForm3>(settings, *windows.viewerHost);
    windows.form4 = std::make_unique<TForm4>(settings);
    windows.form3->setMethodJumper(windows.form4.get());
    windows.form1->setCompanions(windows.form2.get(), windows.form3.get(), windows.form4.get());
    // Shown even when its start-up stopped early, so the window stays usable.
    windows.form1->show();
    return windows;
}
