// The main window's launch entry points for both lists, and the double-click dispatch.
#include "app/TForm1.h"

#include "app/Form2OptionsView.h"
#include "settings/IniFile.h"
#include "app/ReportList.h"

#include <QLabel>

namespace {

// The IDE path the user typed, kept as [setup] delphiExePath.
class SettingsIdePath final : public launch::IdePathSetting {
public:
    explicit SettingsIdePath(TForm1& form) : m_form(form) {}
    QString read() const override { return m_form.settings().read(settings::setup::delphiExePath); }
    void write(const QString& path) override { m_form.settings().write(settings::setup::delphiExePath, path); }

private:
    TForm1& m_form;
};

} // namespace

void TForm1::setOptionsView(std::unique_ptr<launch::OptionsView> view) { LaunchOptionsView = std::move(view); }

const launch::OptionsView& TForm1::optionsView()
{
    if (!LaunchOptionsView)
        LaunchOptionsView = std::make_unique<Form2OptionsView>(*this);
    return *LaunchOptionsView;
}

launch::IdePathSetting& TForm1::idePath()
{
    if (!IdePath)
        IdePath = std::make_unique<SettingsIdePath>(*this);
    return *IdePath;
}

launch::ProjectRow TForm1::launchRow(launch::ListKind list, const QTreeWidgetItem& row)
{
    return {list, optionsView().rootField(), LabelRoot->text(), row.text(2), row.text(1)};
}

void TForm1::SButRunProjectClick()
{
    if (lviewHotlist->hasFocus()) {
        mnuPopupHotlistRunProjectClick();
        return;
    }
    if (const QTreeWidgetItem* row = lview->selectedRow()) {
        launch::runProject(this, launchRow(launch::ListKind::Main, *row), optionsView().launchOptions(), idePath());
    }
}

void TForm1::mnuPopupHotlistRunProjectClick()
{
    if (const QTreeWidgetItem* row = lviewHotlist->selectedRow()) {
        launch::runProject(this, launchRow(launch::ListKind::Hotlist, *row), optionsView().launchOptions(), idePath());
    }
}

void TForm1::SButRunExeClick()
{
    if (lviewHotlist->hasFocus()) {
        mnuPopupHotlistRunExeClick();
        return;
    }
    if (const QTreeWidgetItem* row = lview->selectedRow())
        launch::runExe(this, launchRow(launch::ListKind::Main, *row), optionsView().launchOptions());
}

void TForm1::mnuPopupHotlistRunExeClick()
{
    if (const QTreeWidgetItem* row = lviewHotlist->selectedRow())
        launch::runExe(this, launchRow(launch::ListKind::Hotlist, *row), optionsView().launchOptions());
}

void TForm1::SButOpenInExplorerClick()
{
    if (lviewHotlist->hasFocus()) {
        mnuPopupHotlistOpenFolderClick();
        return;
    }
    if (const QTreeWidgetItem* row = lview->selectedRow())
        launch::openFolder(this, launchRow(launch::ListKind::Main, *row), optionsView().launchOptions());
}

void TForm1::mnuPopupHotlistOpenFolderClick()
{
    if (const QTreeWidgetItem* row = lviewHotlist->selectedRow())
        launch::openFolder(this, launchRow(launch::ListKind::Hotlist, *row), optionsView().launchOptions());
}

void TForm1::lviewDblClick()
{
    switch (optionsView().doubleClickAction()) {
    case launch::DoubleClickRunsExe: SButRunExeClick(); break;
    case launch::DoubleClickOpensProject: SButRunProjectClick(); break;
    default: break;
    }
}

void TForm1::lviewHotlistDblClick()
{
    switch (optionsView().doubleClickAction()) {
    case launch::DoubleClickRunsExe: mnuPopupHotlistRunExeClick(); break;
    case launch::DoubleClickOpensProject: mnuPopupHotlistRunProjectClick(); break;
    default: break;
    }
}
